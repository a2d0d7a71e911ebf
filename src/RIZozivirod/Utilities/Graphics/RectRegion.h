#pragma once

#include <cstdint>

#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

namespace QV {

// An integer rectangle by its edges; right and bottom are exclusive.
struct RegionRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool operator==(const RegionRect&) const = default;
};

struct RectRegionNode : RegionRect {
    RectRegionNode* next = nullptr;
};

// The nodes of every region in the process: a block of slots handed out through a free ring
// stored in the slots themselves, and the heap once the block is used up. Take and Return may
// be called from any thread; each holds the pool's lock for its own few steps only.
class RectRegionNodePool {
public:
    static constexpr uint32_t kCapacity = 512;

    // The pool every region uses: made on first use, never destroyed.
    static RectRegionNodePool& GetInstance();

    // The block is allocated on the first Take.
    explicit RectRegionNodePool(uint32_t capacity = kCapacity);
    RectRegionNodePool(const RectRegionNodePool&) = delete;
    RectRegionNodePool& operator=(const RectRegionNodePool&) = delete;
    ~RectRegionNodePool();

    // A zeroed node. Throws QV::Exception<std::bad_alloc> when the block is used up and the heap
    // has no memory left.
    RectRegionNode* Take();
    void Return(RectRegionNode* node) noexcept;

    // A slot of this pool's block (false for heap nodes).
    bool IsPoolNode(const RectRegionNode* node) const;

    uint32_t GetCapacity() const;
    uint32_t GetFreeCount() const;
    // Nodes handed out and not returned, from the block and the heap alike; the peak is the
    // highest in-use count seen.
    uint32_t GetInUseCount() const;
    uint32_t GetPeakCount() const;

private:
    struct Slot;

    const uint32_t mRequestedCapacity;
    mutable Mutex mLock;
    Slot* mBlock = nullptr;
    uint32_t mCapacity = 0;
    uint32_t mFreeCount = 0;
    uint32_t mRingHead = 0;
    uint32_t mInUse = 0;
    uint32_t mPeak = 0;
};

// An area as a list of integer rectangles that do not overlap: what a window must redraw, what
// a control shows, what a look covers. Only Append can make rectangles overlap. Normalize
// brings the list to its banded form: rows of equal height, each sorted by left with touching
// neighbours merged, and columns of equal left and right in adjacent rows merged into one.
//
// A region is used on one thread at a time; its nodes come from the process-wide node pool.
class RectRegion {
public:
    RectRegion() = default;
    RectRegion(const RectRegion& other);
    RectRegion(RectRegion&& other) noexcept;
    RectRegion& operator=(const RectRegion& other);
    RectRegion& operator=(RectRegion&& other) noexcept;
    ~RectRegion();

    // The node of the added rectangle; null for an empty one, which changes nothing.
    const RectRegionNode* AddRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Each value rounded as the integer part of itself plus one half.
    const RectRegionNode* AddRect(const RectT<double>& rect);

    // The parts of this region inside the rectangle (or region) are removed; with a list of
    // removed parts they are moved to its front, otherwise their nodes go back to the pool.
    void SubtractRect(const RegionRect& rect, RectRegion* removed = nullptr);
    void SubtractRegion(const RectRegion& other, RectRegion* removed = nullptr);
    void Intersect(const RectRegion& other);
    // Copies of the other region's rectangles, put at the head of the list as they are.
    void Append(const RectRegion& other);
    // Coordinates saturate at the 32-bit range; a rectangle squeezed to nothing there is dropped.
    void Offset(int32_t dx, int32_t dy);
    void Normalize();

    // False and (0, 0, 0, 0) for the empty region.
    bool GetBounds(RegionRect& bounds) const;
    uint32_t GetCount() const;
    bool IsEmpty() const { return mHead == nullptr; }
    // Empties the array, then appends every rectangle in list order as x, y, width, height.
    void ForEachRect(IArray<RectT<int32_t>>& rects) const;

    // Overlap of open intervals: touching edges do not intersect.
    bool Intersects(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    // The rectangle moved by the offset and limited to the non-negative quarter.
    bool Intersects(const RectT<double>& rect, const PointT<double>& offset) const;

    void Clear();

    const RectRegionNode* GetHead() const { return mHead; }

private:
    void Push(RectRegionNode* node);
    void NormalizeBands();
    void MergeWithinBands();
    void MergeAcrossBands();

    RectRegionNode* mHead = nullptr;
};

}  // namespace QV
