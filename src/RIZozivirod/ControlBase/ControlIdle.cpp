#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

int32_t LControl::RegisterForIdle(const RCPtr<IRootWindow>& window) {
    if (!mHandler) {
        mHandler = LNotificationHandler<LControl>::Create(this);
    }
    const int32_t result =
        mHandler->AddHandler(&LControl::OnIdle, RCPtr<LNotificationDistributor>(window), u"NID_IDLE", 0);
    if (result < 0) {
        mIdleWorkCount = 0;
    }
    return result;
}

int32_t LControl::BeginIdleWork() {
    ++mIdleWorkCount;
    if (mIdleWorkCount == 1) {
        if (RCPtr<IRootWindow> window = GetRootWindow()) {
            return RegisterForIdle(window);
        }
    }
    return S_OK;
}

int32_t LControl::EndIdleWork() {
    if (mIdleWorkCount <= 0) {
        mIdleWorkCount = 0;
        return S_OK;
    }
    if (--mIdleWorkCount != 0) {
        return S_OK;
    }
    RCPtr<IRootWindow> window = GetRootWindow();
    if (!window) {
        return S_OK;
    }
    RCPtr<LNotificationDistributor> source(window);
    if (!mHandler || !mHandler->RemoveHandler(source, u"NID_IDLE")) {
        return E_FAIL;
    }
    return LNotificationClient::UnregisterForNotification(source, u"NID_IDLE");
}

int32_t LControl::AttachToRootWindow() {
    RCPtr<IRootWindow> window = GetRootWindow();
    if (mIdleWorkCount > 0 && window) {
        RegisterForIdle(window);
    }
    for (uint32_t i = mChildren.GetCount(); i-- > 0;) {
        RCPtr<LControl> child = mChildren.GetAt(i, kOrderCreation);
        child->AttachToRootWindow();
    }
    return S_OK;
}

int32_t LControl::StartScrollAnimation(int32_t axis, double speed, double maximum, double minimum,
                                       const RCPtr<LControl>& driver) {
    ScrollAxis& state = mScrollAxes[axis == 0 ? 0 : 1];
    state.speed = speed;
    state.maximum = maximum;
    state.minimum = minimum;
    state.driver = driver;
    if (!state.animating) {
        state.animating = true;
        state.lastTime = GetApplicationServices().GetTime();
        BeginIdleWork();
    }
    return S_OK;
}

int32_t LControl::StopScrollAnimation(int32_t axis) {
    ScrollAxis& state = mScrollAxes[axis == 0 ? 0 : 1];
    state.driver = nullptr;
    if (!state.animating) {
        return 1;
    }
    state.animating = false;
    state.kinetic = false;
    EndIdleWork();
    return S_OK;
}

bool LControl::IsScrollAnimating(int32_t axis) const {
    return mScrollAxes[axis == 0 ? 0 : 1].animating;
}

int32_t LControl::OnIdle(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    RCPtr<LControl> hold = Self();
    StepScrollAnimations();
    ProcessPendingRemovals();
    OnIdleTick();
    return S_OK;
}

void LControl::OnIdleTick() {}

int32_t LControl::RemoveChildLater(const RCPtr<LControl>& child) {
    if (!child || child->mParent != this) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold = Self();
    if (child->mCapture) {
        child->OnCaptureEnd();
    }
    child->SetVisible(false);
    for (uint32_t i = 0; i < mPendingRemovals.GetCount(); ++i) {
        if (mPendingRemovals.GetAt(i).Get() == child.Get()) {
            // Queued already: it is removed once, and the queue holds one unit of idle work.
            return S_OK;
        }
    }
    const bool wasEmpty = mPendingRemovals.GetCount() == 0;
    if (mPendingRemovals.Add(child) < 0) {
        return E_INVALIDARG;
    }
    if (wasEmpty) {
        BeginIdleWork();
    }
    return S_OK;
}

int32_t LControl::ProcessPendingRemovals() {
    const uint32_t pending = mPendingRemovals.GetCount();
    if (pending == 0) {
        return S_OK;
    }
    RCPtr<LControl> hold = GetRefCount() > 0 ? Self() : nullptr;
    for (uint32_t i = 0; i < pending && mPendingRemovals.GetCount() != 0; ++i) {
        RCPtr<LControl> child;
        mPendingRemovals.RemoveItem(0, child);
        child->Close();
    }
    if (mPendingRemovals.GetCount() == 0) {
        EndIdleWork();
    }
    return S_OK;
}

}  // namespace QV
