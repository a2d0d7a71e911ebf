#include <atomic>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "RIZozivirod/Utilities/Storage/ArrayUtils.h"

namespace QV {

namespace {

std::atomic<int32_t>& LiveControls() {
    static std::atomic<int32_t>* const count = new std::atomic<int32_t>(0);
    return *count;
}

int32_t ZOrder(const LControl& control) {
    return control.GetLayout() ? control.GetLayout()->zOrder : 0;
}

int32_t TabStop(const LControl& control) {
    return control.GetLayout() ? control.GetLayout()->tabStop : 0;
}

}  // namespace

// Parameter classes.

ReuseAllocator<LConditionsParam, 1>& LConditionsParam::GetAllocator() {
    return GetReuseAllocator<LConditionsParam, 1, true>();
}
void* LConditionsParam::operator new(size_t size) {
    return GetAllocator().Allocate(size);
}
void LConditionsParam::operator delete(void* p) {
    GetAllocator().Free(p);
}
RCPtr<LConditionsParam> LConditionsParam::Create() {
    return RCPtr<LConditionsParam>(new LConditionsParam());
}

ReuseAllocator<LValueParam, 1>& LValueParam::GetAllocator() {
    return GetReuseAllocator<LValueParam, 1, true>();
}
void* LValueParam::operator new(size_t size) {
    return GetAllocator().Allocate(size);
}
void LValueParam::operator delete(void* p) {
    GetAllocator().Free(p);
}
RCPtr<LValueParam> LValueParam::Create(double normalized, double user) {
    return RCPtr<LValueParam>(new LValueParam(normalized, user));
}

LSiblingKeyParam::LSiblingKeyParam(const KeyCode& keyCode, const RCPtr<LControl>& fromControl)
    : key(keyCode), from(fromControl) {}
LSiblingKeyParam::~LSiblingKeyParam() = default;
RCPtr<LSiblingKeyParam> LSiblingKeyParam::Create(const KeyCode& key, const RCPtr<LControl>& from) {
    return RCPtr<LSiblingKeyParam>(new LSiblingKeyParam(key, from));
}

LMenuItemUpdater::LMenuItemUpdater(const RCPtr<LControl>& control) : mControl(control) {}
LMenuItemUpdater::~LMenuItemUpdater() = default;
RCPtr<LMenuItemUpdater> LMenuItemUpdater::Create(const RCPtr<LControl>& control) {
    return RCPtr<LMenuItemUpdater>(new LMenuItemUpdater(control));
}
void LMenuItemUpdater::DropControl() {
    mControl = nullptr;
}

LKeyParam::LKeyParam(KeyCode keyCode, bool wrapFlag) : key(keyCode), wrap(wrapFlag) {}
LKeyParam::~LKeyParam() = default;
RCPtr<LKeyParam> LKeyParam::Create(KeyCode key, bool wrap) {
    return RCPtr<LKeyParam>(new LKeyParam(key, wrap));
}

// Child list.

const RCPtr<LControl>& LControl::ChildControlList::GetAt(uint32_t index, int32_t order) {
    return static_cast<const ChildControlList&>(*this).GetAt(index, order);
}

const RCPtr<LControl>& LControl::ChildControlList::GetAt(uint32_t index, int32_t order) const {
    if (index >= mItems.GetCount()) {
        QV_THROW_IN(std::runtime_error, "QV::LControl::ChildControlList::GetAt");
    }
    switch (order) {
        case kOrderCreation:
            return mItems.GetAt(index);
        case kOrderPaint:
        case kOrderTab:
            if (mSortedAt != mChangeCount) {
                Sort();
            }
            return mItems.GetAt((order == kOrderPaint ? mPaintOrder : mTabOrder).GetAt(index));
        default:
            break;
    }
    QV_THROW_IN(std::runtime_error, "QV::LControl::ChildControlList::GetAt");
}

void LControl::ChildControlList::Sort() const {
    const uint32_t count = mItems.GetCount();
    const IArray<RCPtr<LControl>>& items = mItems;
    ArrayUtils::SortIndecies(mTabOrder, items, 0, count, [&items](unsigned int a, unsigned int b) {
        return TabStop(*items.GetAt(a)) < TabStop(*items.GetAt(b));
    });
    ArrayUtils::SortIndecies(mPaintOrder, items, 0, count, [&items](unsigned int a, unsigned int b) {
        const LControl& first = *items.GetAt(a);
        const LControl& second = *items.GetAt(b);
        if (first.ClipsToParent() != second.ClipsToParent()) {
            return first.ClipsToParent();
        }
        if (first.DockedAxes() != second.DockedAxes()) {
            return first.DockedAxes() < second.DockedAxes();
        }
        return ZOrder(first) < ZOrder(second);
    });
    mSortedAt = mChangeCount;
}

int32_t LControl::ChildControlList::Add(const RCPtr<LControl>& child) {
    if (!child) {
        return E_INVALIDARG;
    }
    for (uint32_t i = mItems.GetCount(); i-- > 0;) {
        if (mItems.GetAt(i)->mName == child->mName) {
            return E_FAIL;
        }
    }
    const int32_t unclipped = child->mUnclippedDescendantCount + (child->ClipsToParent() ? 0 : 1);
    if (unclipped != 0) {
        mOwner->IncrementUnclippedDescendantCount(unclipped);
    }
    child->mParent = mOwner;
    mItems.Add(child);
    ++mChangeCount;
    return S_OK;
}

int32_t LControl::ChildControlList::Remove(const RCPtr<LControl>& child) {
    int32_t index = -1;
    for (uint32_t i = mItems.GetCount(); i-- > 0;) {
        if (mItems.GetAt(i).Get() == child.Get()) {
            index = static_cast<int32_t>(i);
            break;
        }
    }
    if (index < 0) {
        return -1;
    }
    RCPtr<LControl> held = child;
    const int32_t unclipped = held->mUnclippedDescendantCount + (held->ClipsToParent() ? 0 : 1);
    if (unclipped != 0) {
        mOwner->DecrementUnclippedDescendantCount(unclipped);
    }
    held->mParent = nullptr;
    RCPtr<LControl> removed;
    mItems.RemoveItem(static_cast<uint32_t>(index), removed);
    ++mChangeCount;
    mOwner->OnChildrenChanged(held.Get(), index);
    return index;
}

bool LControl::ChildControlList::Clear() {
    const bool wasEmpty = mItems.GetCount() == 0;
    while (mItems.GetCount() != 0) {
        RCPtr<LControl> last = mItems.GetAt(mItems.GetCount() - 1);
        Remove(last);
    }
    return wasEmpty;
}

int32_t LControl::ChildControlList::RenameChild(const RCPtr<LControl>& child, const WString& name) {
    if (!child) {
        return E_INVALIDARG;
    }
    if (child->mName == name) {
        return 1;
    }
    int32_t index = -1;
    for (uint32_t i = mItems.GetCount(); i-- > 0;) {
        if (mItems.GetAt(i).Get() == child.Get()) {
            index = static_cast<int32_t>(i);
        } else if (mItems.GetAt(i)->mName == name) {
            return E_FAIL;
        }
    }
    if (index < 0) {
        return E_INVALIDARG;
    }
    const WString oldName = child->mName;
    child->mName = name;
    // A layout refers only to siblings made before it.
    for (uint32_t i = static_cast<uint32_t>(index) + 1; i < mItems.GetCount(); ++i) {
        const RCPtr<LLayoutDescriptor>& layout = mItems.GetAt(i)->mLayout;
        if (!layout) {
            continue;
        }
        for (WString* reference : {&layout->xPlacement.referenceName, &layout->xSize.referenceName,
                                   &layout->yPlacement.referenceName, &layout->ySize.referenceName}) {
            if (*reference == oldName) {
                *reference = name;
            }
        }
    }
    return S_OK;
}

// Construction and release.

LControl::LControl(const RCPtr<LControl>& parent, const WString& name)
    : mName(name), mConditionsParam(LConditionsParam::Create()), mChildren(this) {
    LiveControls().fetch_add(1);
    if (parent) {
        AttachTo(parent.Get());
    }
    RCPtr<LControlFactory> factory = LControlFactory::GetCurrent();
    if (factory) {
        WString parentClass;
        if (parent && parent->mDescriptor) {
            parentClass = parent->mDescriptor->GetClass();
        }
        mStringTable = factory->GetControlStringTable(parentClass, mName);
    }
}

LControl::~LControl() {
    // Children that someone else still holds lose their link to this control.
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i) {
        mChildren.GetAt(i, kOrderCreation)->mParent = nullptr;
    }
    LiveControls().fetch_sub(1);
}

int32_t LControl::GetLiveCount() {
    return LiveControls().load();
}

int32_t LControl::ReleaseInternalReferences() {
    UnregisterAllClients();
    if (mMenuItemUpdater) {
        mMenuItemUpdater->DropControl();
        AddInternalReferences(-1);
        mMenuItemUpdater = nullptr;
    }
    mChildren.Clear();
    LNotificationClient::UnregisterAll();
    return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
}

RCPtr<LMenuItemUpdater> LControl::GetMenuItemUpdater() {
    if (!mMenuItemUpdater) {
        mMenuItemUpdater = LMenuItemUpdater::Create(Self());
        AddInternalReferences(1);
    }
    return mMenuItemUpdater;
}

// Notifications.

void LControl::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                   const RCPtr<LNotification>& notification) {
    if (!mCreated) {
        return;
    }
    DeliverToControlHandler(sender, notification);
}

int32_t LControl::DeliverToControlHandler(const RCPtr<LNotificationDistributor>& sender,
                                          const RCPtr<LNotification>& notification) {
    if (!mCreated || !mHandler) {
        return S_OK;
    }
    return mHandler->HandleNotification(sender, notification);
}

int32_t LControl::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                            const WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return LNotificationClient::UnregisterForNotification(distributor, name);
}

void LControl::Notify(const WChar* name, const RCPtr<LRefCountedObject>& param) {
    RCPtr<LNotification> notification = LNotification::Create(name, param);
    LNotificationDistributor::Notify(notification);
}

int32_t LControl::PostNotificationByName(const RCPtr<LRefCountedObject>& target, const WChar* name,
                                         const RCPtr<LRefCountedObject>& param) {
    if (!target) {
        return E_INVALIDARG;
    }
    RCPtr<LNotification> notification = LNotification::Create(name, param);
    if (RCPtr<LNotificationCenter> center = target; center) {
        center->PostNotification(notification);
        return S_OK;
    }
    if (RCPtr<LNotificationReceiver> receiver = target; receiver) {
        receiver->ReceiveNotification(nullptr, notification);
        return S_OK;
    }
    return E_INVALIDARG;
}

// Tree.

int32_t LControl::AttachTo(LControl* parent) {
    if (parent == mParent) {
        return 1;
    }
    if (mParent != nullptr) {
        InvalidateRect({0, 0, mFrame.width, mFrame.height}, ClipsToParent());
        mParent->mChildren.Remove(Self());
    } else {
        mRootWindow = nullptr;
    }
    if (parent == nullptr) {
        return S_OK;
    }
    // A child waiting for removal under the same name must not block the name.
    parent->ProcessPendingRemovals();
    if (GetRefCount() == 0) {
        // Still being constructed: nobody holds the control yet, so the list's reference is
        // taken only when the name is free (a failed attach must not free it).
        for (uint32_t i = parent->mChildren.GetCount(); i-- > 0;) {
            if (parent->mChildren.GetAt(i, kOrderCreation)->mName == mName) {
                return E_FAIL;
            }
        }
    }
    return parent->mChildren.Add(Self());
}

int32_t LControl::SetParent(const RCPtr<LControl>& parent) {
    if (parent.Get() == mParent) {
        return 1;
    }
    RCPtr<LControl> hold = Self();
    const int32_t result = AttachTo(parent.Get());
    return result < 0 ? result : S_OK;
}

int32_t LControl::SetRootWindow(const RCPtr<IRootWindow>& window) {
    if (mParent != nullptr) {
        return E_FAIL;
    }
    mRootWindow = window;
    if (window) {
        window->SetTitle(mText);
        AttachToRootWindow();
    }
    return S_OK;
}

RCPtr<IRootWindow> LControl::GetRootWindow() const {
    const LControl* top = this;
    while (top->mParent != nullptr) {
        top = top->mParent;
    }
    return top->mRootWindow;
}

RCPtr<LControl> LControl::GetTopLevelControl() {
    LControl* top = this;
    while (top->mParent != nullptr) {
        top = top->mParent;
    }
    return RCPtr<LControl>(top);
}

int32_t LControl::Close() {
    RCPtr<LControl> hold = Self();
    SetVisible(false);
    SetClipToParent(true);
    if (mCapture) {
        OnCaptureEnd();
    }
    while (mIdleWorkCount > 0) {
        EndIdleWork();
    }
    if (mParent != nullptr) {
        return SetParent(nullptr);
    }
    return SetRootWindow(nullptr);
}

void LControl::OnChildrenChanged(LControl*, int32_t) {}

RCPtr<LControl> LControl::FindChild(const WString& name) const {
    for (uint32_t i = mChildren.GetCount(); i-- > 0;) {
        const RCPtr<LControl>& child = mChildren.GetAt(i, kOrderCreation);
        if (child->mName == name) {
            return child;
        }
    }
    return nullptr;
}

int32_t LControl::FindChildIndex(const LControl* child, int32_t order) {
    for (uint32_t i = mChildren.GetCount(); i-- > 0;) {
        if (mChildren.GetAt(i, order).Get() == child) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

uint32_t LControl::CollectDescendants(RCPtrArray<LControl, 1, 0>& out) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i) {
        const RCPtr<LControl>& child = mChildren.GetAt(i, kOrderCreation);
        out.Add(child);
        count += 1 + child->CollectDescendants(out);
    }
    return count;
}

int32_t LControl::SetDragThreshold(int32_t pixels) {
    if (pixels < 0) {
        return E_INVALIDARG;
    }
    mDragThreshold = pixels;
    return S_OK;
}

int32_t LControl::GetInitialWindowRect(RectT<double>&) {
    return S_OK;
}

LControl::CAutoControlFlag::CAutoControlFlag(const RCPtr<LControl>& control) : mControl(control) {
    if (mControl) {
        mControl->mHitTestExcluded = true;
    }
}

LControl::CAutoControlFlag::~CAutoControlFlag() {
    if (mControl) {
        mControl->mHitTestExcluded = false;
    }
}

}  // namespace QV
