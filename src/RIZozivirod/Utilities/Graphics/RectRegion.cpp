#include "RIZozivirod/Utilities/Graphics/RectRegion.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <utility>

#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace QV {

// A node's payload followed by its ring entry: the ring of free slot indices lives inside the
// block, so the pool needs one allocation.
struct RectRegionNodePool::Slot {
    RectRegionNode node;
    uint32_t ring;
};

RectRegionNodePool& RectRegionNodePool::GetInstance() {
    static RectRegionNodePool* const pool = new RectRegionNodePool();
    return *pool;
}

RectRegionNodePool::RectRegionNodePool(uint32_t capacity) : mRequestedCapacity(capacity) {}

RectRegionNodePool::~RectRegionNodePool() {
    delete[] mBlock;
}

RectRegionNode* RectRegionNodePool::Take() {
    RectRegionNode* node = nullptr;
    {
        CAutoLock guard(mLock);
        if (mPeak == 0 && mBlock == nullptr && mRequestedCapacity != 0) {
            // Without a block every node comes from the heap.
            mBlock = new (std::nothrow) Slot[mRequestedCapacity];
            if (mBlock != nullptr) {
                mCapacity = mRequestedCapacity;
                for (uint32_t i = 0; i < mCapacity; ++i) {
                    mBlock[i].ring = i;
                }
                mFreeCount = mCapacity;
                mRingHead = 0;
            }
        }
        if (mFreeCount > 0) {
            node = &mBlock[mBlock[mRingHead].ring].node;
            --mFreeCount;
            mRingHead = (mRingHead + 1) % mCapacity;
        } else {
            node = new (std::nothrow) RectRegionNode;
            if (node == nullptr) {
                throw Exception<std::bad_alloc>();
            }
        }
        ++mInUse;
        mPeak = std::max(mPeak, mInUse);
    }
    *node = RectRegionNode{};
    return node;
}

void RectRegionNodePool::Return(RectRegionNode* node) noexcept {
    if (node == nullptr) {
        return;
    }
    bool toHeap = true;
    {
        CAutoLock guard(mLock);
        if (mFreeCount < mCapacity && IsPoolNode(node)) {
            const uint32_t index = static_cast<uint32_t>(reinterpret_cast<Slot*>(node) - mBlock);
            mBlock[(mRingHead + mFreeCount) % mCapacity].ring = index;
            ++mFreeCount;
            toHeap = false;
        }
        --mInUse;
    }
    if (toHeap) {
        delete node;
    }
}

bool RectRegionNodePool::IsPoolNode(const RectRegionNode* node) const {
    CAutoLock guard(mLock);
    if (mBlock == nullptr) {
        return false;
    }
    // Compared as addresses: a heap node is no element of the block.
    const uintptr_t address = reinterpret_cast<uintptr_t>(node);
    const uintptr_t first = reinterpret_cast<uintptr_t>(mBlock);
    const uintptr_t end = reinterpret_cast<uintptr_t>(mBlock + mCapacity);
    return address >= first && address < end && (address - first) % sizeof(Slot) == 0;
}

uint32_t RectRegionNodePool::GetCapacity() const {
    CAutoLock guard(mLock);
    return mCapacity;
}

uint32_t RectRegionNodePool::GetFreeCount() const {
    CAutoLock guard(mLock);
    return mFreeCount;
}

uint32_t RectRegionNodePool::GetInUseCount() const {
    CAutoLock guard(mLock);
    return mInUse;
}

uint32_t RectRegionNodePool::GetPeakCount() const {
    CAutoLock guard(mLock);
    return mPeak;
}

namespace {

RectRegionNodePool& Pool() {
    return RectRegionNodePool::GetInstance();
}

bool RegionRectsOverlap(const RegionRect& r, const RegionRect& n) {
    const bool horizontal = r.left < n.left ? n.left < r.right : r.left < n.right;
    const bool vertical = r.top < n.top ? n.top < r.bottom : r.top < n.bottom;
    return horizontal && vertical;
}

// The integer part of value + 0.5, saturated to the 32-bit range (NaN gives 0).
int64_t TruncateHalfUp(double value) {
    const double shifted = value + 0.5;
    if (!(shifted == shifted)) {
        return 0;
    }
    return static_cast<int64_t>(std::clamp(std::trunc(shifted), -2147483648.0, 2147483647.0));
}

int32_t SaturateRegionEdge(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Stable merge sort of a list: equal keys keep their order.
template <class Less>
RectRegionNode* SortList(RectRegionNode* head, Less less) {
    if (head == nullptr || head->next == nullptr) {
        return head;
    }
    RectRegionNode* slow = head;
    RectRegionNode* fast = head->next;
    while (fast != nullptr && fast->next != nullptr) {
        slow = slow->next;
        fast = fast->next->next;
    }
    RectRegionNode* second = slow->next;
    slow->next = nullptr;
    RectRegionNode* a = SortList(head, less);
    RectRegionNode* b = SortList(second, less);
    RectRegionNode* merged = nullptr;
    RectRegionNode** tail = &merged;
    while (a != nullptr && b != nullptr) {
        if (less(*b, *a)) {
            *tail = b;
            b = b->next;
        } else {
            *tail = a;
            a = a->next;
        }
        tail = &(*tail)->next;
    }
    *tail = a != nullptr ? a : b;
    return merged;
}

// Detaches the run of nodes starting at *link whose top equals the first one's; returns the
// run's first node and leaves *link at the node after it.
RectRegionNode* DetachBand(RectRegionNode** link) {
    RectRegionNode* first = *link;
    RectRegionNode* last = first;
    while (last->next != nullptr && last->next->top == first->top) {
        last = last->next;
    }
    *link = last->next;
    last->next = nullptr;
    return first;
}

RectRegionNode** TailLink(RectRegionNode** link) {
    while (*link != nullptr) {
        link = &(*link)->next;
    }
    return link;
}

}  // namespace

RectRegion::RectRegion(const RectRegion& other) {
    RectRegionNode** tail = &mHead;
    for (const RectRegionNode* node = other.mHead; node != nullptr; node = node->next) {
        RectRegionNode* copy = Pool().Take();
        static_cast<RegionRect&>(*copy) = *node;
        *tail = copy;
        tail = &copy->next;
    }
}

RectRegion::RectRegion(RectRegion&& other) noexcept : mHead(std::exchange(other.mHead, nullptr)) {}

RectRegion& RectRegion::operator=(const RectRegion& other) {
    if (this != &other) {
        RectRegion copy(other);
        std::swap(mHead, copy.mHead);
    }
    return *this;
}

RectRegion& RectRegion::operator=(RectRegion&& other) noexcept {
    if (this != &other) {
        Clear();
        mHead = std::exchange(other.mHead, nullptr);
    }
    return *this;
}

RectRegion::~RectRegion() {
    Clear();
}

void RectRegion::Push(RectRegionNode* node) {
    node->next = mHead;
    mHead = node;
}

const RectRegionNode* RectRegion::AddRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (right <= left || bottom <= top) {
        return nullptr;
    }
    // Taken first: when no node can be had, the region is left as it was.
    RectRegionNode* node = Pool().Take();
    try {
        SubtractRect({left, top, right, bottom});
    } catch (...) {
        Pool().Return(node);
        throw;
    }
    node->left = left;
    node->top = top;
    node->right = right;
    node->bottom = bottom;
    Push(node);
    return node;
}

const RectRegionNode* RectRegion::AddRect(const RectT<double>& rect) {
    const int64_t left = TruncateHalfUp(rect.x);
    const int64_t top = TruncateHalfUp(rect.y);
    const int64_t right = left + TruncateHalfUp(rect.width);
    const int64_t bottom = top + TruncateHalfUp(rect.height);
    return AddRect(static_cast<int32_t>(left), static_cast<int32_t>(top), SaturateRegionEdge(right),
                   SaturateRegionEdge(bottom));
}

void RectRegion::SubtractRect(const RegionRect& r, RectRegion* removed) {
    if (r.right <= r.left || r.bottom <= r.top) {
        return;
    }
    RectRegionNode** link = &mHead;
    while (*link != nullptr) {
        RectRegionNode* node = *link;
        if (!RegionRectsOverlap(r, *node)) {
            link = &node->next;
            continue;
        }
        // The pieces outside r go to the head of the list, where this walk never meets them.
        // Each is taken before the node changes, so a failed take leaves the node whole.
        if (node->top < r.top) {
            RectRegionNode* piece = Pool().Take();
            *static_cast<RegionRect*>(piece) = {node->left, node->top, node->right, r.top};
            node->top = r.top;
            Push(piece);
        }
        if (r.bottom < node->bottom) {
            RectRegionNode* piece = Pool().Take();
            *static_cast<RegionRect*>(piece) = {node->left, r.bottom, node->right, node->bottom};
            node->bottom = r.bottom;
            Push(piece);
        }
        if (node->left < r.left) {
            RectRegionNode* piece = Pool().Take();
            *static_cast<RegionRect*>(piece) = {node->left, node->top, r.left, node->bottom};
            node->left = r.left;
            Push(piece);
        }
        if (r.right < node->right) {
            RectRegionNode* piece = Pool().Take();
            *static_cast<RegionRect*>(piece) = {r.right, node->top, node->right, node->bottom};
            node->right = r.right;
            Push(piece);
        }
        // A push at the head may have moved the link when it was the head itself.
        if (*link != node) {
            link = &mHead;
            while (*link != node) {
                link = &(*link)->next;
            }
        }
        *link = node->next;
        if (removed != nullptr) {
            removed->Push(node);
        } else {
            Pool().Return(node);
        }
    }
}

void RectRegion::SubtractRegion(const RectRegion& other, RectRegion* removed) {
    if (&other == this) {
        // Walking our own list while cutting it would read returned nodes.
        if (removed != nullptr) {
            removed->Append(*this);
        }
        Clear();
        return;
    }
    for (const RectRegionNode* node = other.mHead; node != nullptr; node = node->next) {
        SubtractRect(*node, removed);
    }
}

void RectRegion::Intersect(const RectRegion& other) {
    if (&other == this) {
        return;
    }
    RectRegion inside;
    SubtractRegion(other, &inside);
    std::swap(mHead, inside.mHead);
}

void RectRegion::Append(const RectRegion& other) {
    // Noted first: the copies go to the head, so appending a region to itself ends.
    const RectRegionNode* node = other.mHead;
    for (; node != nullptr; node = node->next) {
        RectRegionNode* copy = Pool().Take();
        static_cast<RegionRect&>(*copy) = *node;
        Push(copy);
    }
}

void RectRegion::Offset(int32_t dx, int32_t dy) {
    if (dx == 0 && dy == 0) {
        return;
    }
    RectRegionNode** link = &mHead;
    while (*link != nullptr) {
        RectRegionNode* node = *link;
        node->left = SaturateRegionEdge(int64_t{node->left} + dx);
        node->right = SaturateRegionEdge(int64_t{node->right} + dx);
        node->top = SaturateRegionEdge(int64_t{node->top} + dy);
        node->bottom = SaturateRegionEdge(int64_t{node->bottom} + dy);
        if (node->right <= node->left || node->bottom <= node->top) {
            *link = node->next;
            Pool().Return(node);
        } else {
            link = &node->next;
        }
    }
}

void RectRegion::Normalize() {
    mHead = SortList(mHead, [](const RegionRect& a, const RegionRect& b) { return a.top < b.top; });
    NormalizeBands();
    MergeWithinBands();
    MergeAcrossBands();
}

// Cuts the list, sorted by top, into bands: afterwards rectangles of equal top have equal
// bottom, and no band reaches into the next one.
void RectRegion::NormalizeBands() {
    RectRegionNode* node = mHead;
    while (node != nullptr) {
        const int32_t top = node->top;
        RectRegionNode* last = node;
        int32_t bandBottom = node->bottom;
        while (last->next != nullptr && last->next->top == top) {
            last = last->next;
            bandBottom = std::min(bandBottom, last->bottom);
        }
        RectRegionNode* const nextBand = last->next;
        if (nextBand != nullptr && nextBand->top < bandBottom) {
            bandBottom = nextBand->top;
        }
        // Lower pieces go after the first rectangle that starts at the band bottom, else
        // between this band and the next, keeping the list in top order.
        RectRegionNode* anchor = nextBand != nullptr && nextBand->top == bandBottom ? nextBand : last;
        for (RectRegionNode* n = node;; n = n->next) {
            if (n->bottom > bandBottom) {
                RectRegionNode* piece = Pool().Take();
                *static_cast<RegionRect*>(piece) = {n->left, bandBottom, n->right, n->bottom};
                n->bottom = bandBottom;
                piece->next = anchor->next;
                anchor->next = piece;
                if (anchor == last) {
                    anchor = piece;
                }
            }
            if (n == last) {
                break;
            }
        }
        node = last->next;
    }
}

// Sorts each band by left and merges rectangles that touch side by side.
void RectRegion::MergeWithinBands() {
    RectRegionNode** link = &mHead;
    while (*link != nullptr) {
        RectRegionNode* rest = *link;
        RectRegionNode* band = DetachBand(&rest);
        band = SortList(band, [](const RegionRect& a, const RegionRect& b) { return a.left < b.left; });
        for (RectRegionNode* n = band; n->next != nullptr;) {
            RectRegionNode* next = n->next;
            if (n->right == next->left) {
                n->right = std::max(n->right, next->right);
                n->next = next->next;
                Pool().Return(next);
            } else {
                n = next;
            }
        }
        *link = band;
        link = TailLink(link);
        *link = rest;
    }
}

// Merges each rectangle into the one of exactly its left and right in the band that starts
// where its own band ends, from the top band down, so a column of any height becomes one.
void RectRegion::MergeAcrossBands() {
    RectRegionNode* result = nullptr;
    RectRegionNode** resultTail = &result;
    RectRegionNode* upper = nullptr;
    RectRegionNode* rest = mHead;
    mHead = nullptr;
    while (rest != nullptr) {
        RectRegionNode* lower = DetachBand(&rest);
        if (upper != nullptr && upper->bottom == lower->top) {
            RectRegionNode** upperLink = &upper;
            RectRegionNode* match = lower;
            while (*upperLink != nullptr) {
                RectRegionNode* u = *upperLink;
                while (match != nullptr && match->left < u->left) {
                    match = match->next;
                }
                if (match != nullptr && match->left == u->left && match->right == u->right) {
                    match->top = u->top;
                    *upperLink = u->next;
                    Pool().Return(u);
                } else {
                    upperLink = &u->next;
                }
            }
        }
        *resultTail = upper;
        resultTail = TailLink(resultTail);
        upper = lower;
    }
    *resultTail = upper;
    mHead = result;
}

bool RectRegion::GetBounds(RegionRect& bounds) const {
    if (mHead == nullptr) {
        bounds = {};
        return false;
    }
    bounds = *mHead;
    for (const RectRegionNode* node = mHead->next; node != nullptr; node = node->next) {
        bounds.left = std::min(bounds.left, node->left);
        bounds.top = std::min(bounds.top, node->top);
        bounds.right = std::max(bounds.right, node->right);
        bounds.bottom = std::max(bounds.bottom, node->bottom);
    }
    return true;
}

uint32_t RectRegion::GetCount() const {
    uint32_t count = 0;
    for (const RectRegionNode* node = mHead; node != nullptr; node = node->next) {
        ++count;
    }
    return count;
}

void RectRegion::ForEachRect(IArray<RectT<int32_t>>& rects) const {
    rects.RemoveAll();
    for (const RectRegionNode* node = mHead; node != nullptr; node = node->next) {
        // Widths of rectangles near both ends of the range do not fit; they saturate.
        rects.Add({node->left, node->top, SaturateRegionEdge(int64_t{node->right} - node->left),
                   SaturateRegionEdge(int64_t{node->bottom} - node->top)});
    }
}

bool RectRegion::Intersects(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    // An empty rectangle covers nothing, wherever it lies.
    if (right <= left || bottom <= top) {
        return false;
    }
    const RegionRect r{left, top, right, bottom};
    for (const RectRegionNode* node = mHead; node != nullptr; node = node->next) {
        if (RegionRectsOverlap(r, *node)) {
            return true;
        }
    }
    return false;
}

bool RectRegion::Intersects(const RectT<double>& rect, const PointT<double>& offset) const {
    constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
    const double x = rect.x + offset.x;
    const double y = rect.y + offset.y;
    const double l = std::max(x, 0.0);
    const double t = std::max(y, 0.0);
    const double r = std::min(x + rect.width, 2147483647.0);
    const double b = std::min(y + rect.height, 2147483647.0);
    // Written so that NaN coordinates intersect nothing.
    if (!(r - l > kEpsilon) || !(b - t > kEpsilon)) {
        return false;
    }
    return Intersects(RoundToInt32(l), RoundToInt32(t), RoundToInt32(r), RoundToInt32(b));
}

void RectRegion::Clear() {
    RectRegionNode* node = std::exchange(mHead, nullptr);
    while (node != nullptr) {
        RectRegionNode* next = node->next;
        Pool().Return(node);
        node = next;
    }
}

}  // namespace QV
