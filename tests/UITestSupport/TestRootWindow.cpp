#include "UITestSupport/TestRootWindow.h"

#include <algorithm>
#include <climits>

#include "RIZozivirod/ControlBase/PointerParams.h"
#include "RIZozivirod/Renderer/Renderer.h"

namespace QV {

RCPtr<TestRootWindow> TestRootWindow::Create(const RectT<int32_t>& clientRect) {
    return RCPtr<TestRootWindow>(new TestRootWindow(clientRect));
}

void TestRootWindow::SetRootControl(const RCPtr<LControl>& control) {
    mRootControl = control;
    if (control) {
        control->SetRootWindow(RCPtr<IRootWindow>(this));
        control->SetRect({0, 0}, {Int32ToDouble(mRect.width), Int32ToDouble(mRect.height)});
    }
}

void TestRootWindow::Detach() {
    RCPtr<LControl> root = mRootControl;
    mFocusControl = nullptr;
    mPreviousFocus = nullptr;
    mHoverControl = nullptr;
    mCaptureControl = nullptr;
    mRootControl = nullptr;
    if (root) {
        root->Close();
    }
    mFocusControl = nullptr;
    mPreviousFocus = nullptr;
    mHoverControl = nullptr;
    mCaptureControl = nullptr;
    UnregisterAllClients();
}

void TestRootWindow::Paint(const RCPtr<LRenderer>& renderer, const RectRegion& region) {
    if (!mRootControl) {
        return;
    }
    RCPtrArray<LControl, 1, 0> unclipped;
    mRootControl->Paint(renderer, region, unclipped, false);
    std::vector<RCPtr<LControl>> ordered;
    for (uint32_t i = 0; i < unclipped.GetCount(); ++i) {
        ordered.push_back(unclipped.GetAt(i));
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const RCPtr<LControl>& a, const RCPtr<LControl>& b) {
        return a->GetLayout()->zOrder < b->GetLayout()->zOrder;
    });
    for (const RCPtr<LControl>& control : ordered) {
        // The control paints at its frame: put the origin where its parent's content starts.
        const PointT<double> position = control->GetRectInWindow();
        renderer->PushState();
        renderer->PushOrigin({position.x - control->GetFrame().x, position.y - control->GetFrame().y});
        RCPtrArray<LControl, 1, 0> nested;
        control->Paint(renderer, region, nested, true);
        renderer->PopState();
        renderer->PopState();
    }
}

uint32_t TestRootWindow::GetIdleRegistrationCount() const {
    RCPtr<LNotificationClientPool> pool = FindClientPool(GetNotificationID(u"NID_IDLE"));
    return pool ? pool->GetCount() : 0;
}

uint32_t TestRootWindow::SendIdle() {
    const uint32_t count = GetIdleRegistrationCount();
    Notify(LNotification::Create(u"NID_IDLE"));
    return count;
}

void TestRootWindow::ClearInvalidated() {
    mInvalidated.clear();
    mUpdateRegion.Clear();
}

RCPtr<LControl> TestRootWindow::HitTest(const PointT<int32_t>& point, PointT<int32_t>& localPoint,
                                        bool updateHover) {
    RCPtr<LControl> hit;
    localPoint = {};
    if (mRootControl) {
        int32_t bestZ = INT32_MIN;
        const RectT<double>& frame = mRootControl->GetFrame();
        hit = mRootControl->HitTest({point.x - RoundToInt32(frame.x), point.y - RoundToInt32(frame.y)}, true,
                                    localPoint, bestZ);
    }
    if (updateHover) {
        SetHoverControl(hit);
    }
    return hit;
}

void TestRootWindow::SetFocusControl(const RCPtr<LControl>& control) {
    mFocusControl = control;
}

void TestRootWindow::SaveFocus() {
    ++mSaveFocusCount;
    mPreviousFocus = mFocusControl;
    mFocusControl = nullptr;
}

void TestRootWindow::CycleFocus(const RCPtr<LKeyParam>&) {}

int32_t TestRootWindow::SetCaptureControl(const RCPtr<LControl>& control) {
    if (!control) {
        return E_INVALIDARG;
    }
    mCaptureControl = control;
    return S_OK;
}

int32_t TestRootWindow::ReleaseCaptureControl() {
    mCaptureControl = nullptr;
    return S_OK;
}

int32_t TestRootWindow::SetHoverControl(const RCPtr<LControl>& control) {
    if (control.Get() == mHoverControl.Get()) {
        return S_OK;
    }
    RCPtr<LControl> old = mHoverControl;
    mHoverControl = control;
    RCPtr<LPointWithModifiersParam> param(new LPointWithModifiersParam(mCursorPos.x, mCursorPos.y, 0, 0));
    if (old) {
        old->OnMouseLeave(param);
    }
    if (control) {
        control->OnMouseEnter(param);
    }
    return S_OK;
}

void TestRootWindow::Invalidate(const RectT<int32_t>& rect) {
    mInvalidated.push_back(rect);
    mUpdateRegion.AddRect(rect.x, rect.y, rect.x + rect.width, rect.y + rect.height);
}

CursorHandle TestRootWindow::SetCursor(CursorHandle cursor) {
    const CursorHandle previous = mCursor;
    mCursor = cursor;
    return previous;
}

int32_t TestRootWindow::SetRect(const RectT<int32_t>& rect) {
    if (rect == mRect) {
        return S_OK;
    }
    mRect = rect;
    if (mRootControl) {
        mRootControl->InvalidateRect({0, 0, mRootControl->GetFrame().width, mRootControl->GetFrame().height},
                                     true);
    }
    return S_OK;
}

RCPtr<LControl> ControlEventDriver::MoveTo(int32_t x, int32_t y) {
    mWindow->SetCursorPosForTest({x, y});
    PointT<int32_t> local;
    return mWindow->HitTest({x, y}, local, true);
}

RCPtr<LControl> ControlEventDriver::Press(int32_t button) {
    mWindow->SetMouseButtonsForTest(mWindow->GetMouseButtons() | static_cast<uint32_t>(button));
    PointT<int32_t> local;
    RCPtr<LControl> target = mWindow->HitTest(mWindow->GetCursorPos(), local, true);
    if (target && target->OnCaptureStart(button, local.x, local.y) == 0) {
        return target;
    }
    return nullptr;
}

void ControlEventDriver::Release(int32_t button) {
    mWindow->SetMouseButtonsForTest(mWindow->GetMouseButtons() & ~static_cast<uint32_t>(button));
    RCPtr<LControl> capture = mWindow->GetCaptureControl();
    if (capture && mWindow->GetMouseButtons() == 0) {
        capture->OnCaptureEnd();
    }
}

int32_t ControlEventDriver::FocusWindow() {
    const RCPtr<LControl>& root = mWindow->GetRootControl();
    return root ? root->SetFocus(true) : E_FAIL;
}

RCPtr<NotificationRecorder> NotificationRecorder::Create(const RCPtr<LNotificationDistributor>& source,
                                                         std::initializer_list<const char16_t*> names) {
    RCPtr<NotificationRecorder> recorder(new NotificationRecorder());
    for (const char16_t* name : names) {
        recorder->RegisterForNotification(source, name, 0);
    }
    return recorder;
}

void NotificationRecorder::ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                               const RCPtr<LNotification>& notification) {
    mNames.emplace_back(GetNotificationName(notification->GetID()).GetString());
    mParams.push_back(notification->GetParam());
    if (onReceive) {
        onReceive(mNames.back(), notification->GetParam().Get());
    }
}

void NotificationRecorder::Clear() {
    mNames.clear();
    mParams.clear();
}

}  // namespace QV
