#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/PointerParams.h"

// What a control does once a pressed left button has passed the drag threshold: it moves,
// resizes itself, scrolls its own content or is carried onto a drop target; and the idle-time
// scrolling that auto-scroll zones and kinetic releases drive.

namespace QV {

namespace {

constexpr double kZone = 30.0;
constexpr double kKineticMinimumSpeed = 1000.0;
constexpr double kDeceleration = 1000.0;

double RoundHalfAway(double value) {
    return value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5);
}

bool IsDockedPlacement(const LControl& control, int32_t axis) {
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    return layout && (axis == 0 ? layout->xDocked : layout->yDocked);
}

}  // namespace

struct LControl::DragSnapshot {
    PointT<double> size;
    PointT<double> parentOffset;
    double position[2] = {0, 0};
    double extent[2] = {0, 0};
    bool inDrag = false;
    bool wasUnclipped = false;
    bool wasDocked[2] = {true, true};
    RCPtr<LControl> dropTarget;
};

void LControl::DragSnapshotDeleter::operator()(DragSnapshot* snapshot) const {
    delete snapshot;
}

LControl::DragSnapshot& LControl::Snapshot() {
    if (!mDragSnapshot) {
        mDragSnapshot.reset(new DragSnapshot());
    }
    return *mDragSnapshot;
}

void LControl::TakeDragSnapshot() {
    DragSnapshot& snapshot = Snapshot();
    snapshot.size = {mFrame.width, mFrame.height};
    snapshot.parentOffset = mParent != nullptr ? mParent->mScrollOffset : PointT<double>{};
    for (int32_t axis = 0; axis < 2; ++axis) {
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        GetPlacement(axis, placement, size);
        snapshot.position[axis] = placement.offset;
        snapshot.extent[axis] = size.offset;
    }
}

int32_t LControl::SetDragMode(int32_t mode, uint32_t edges) {
    mDragMode = mode;
    mDragEdges = edges;
    return S_OK;
}

int32_t LControl::BeginDrag() {
    if (!mLeftDragging) {
        return 1;
    }
    TakeDragSnapshot();
    DragSnapshot& snapshot = Snapshot();
    if (mDragMode == 1) {
        snapshot.dropTarget = nullptr;
        snapshot.wasUnclipped = !ClipsToParent();
        SetClipToParent(false);
        for (int32_t axis = 0; axis < 2; ++axis) {
            snapshot.wasDocked[axis] = IsDockedPlacement(*this, axis);
            if (!snapshot.wasDocked[axis]) {
                LLayoutDescriptor::Placement placement;
                LLayoutDescriptor::Size size;
                GetPlacement(axis, placement, size);
                (axis == 0 ? mLayout->xDocked : mLayout->yDocked) = true;
                placement.offset =
                    (axis == 0 ? mFrame.x : mFrame.y) -
                    (mParent != nullptr ? (axis == 0 ? mParent->mScrollOffset.x : mParent->mScrollOffset.y)
                                        : 0.0);
                SetPlacement(axis, placement, size);
            }
        }
        TakeDragSnapshot();
    }
    return S_OK;
}

int32_t LControl::ResetDragOrigin() {
    mDragOrigin.x += mDragDisplacement.x;
    mDragOrigin.y += mDragDisplacement.y;
    TakeDragSnapshot();
    return S_OK;
}

int32_t LControl::DragBy(const RCPtr<LPointWithModifiersParam>& param) {
    if (!param) {
        return E_INVALIDARG;
    }
    if (mParent == nullptr) {
        // Every mode reads the parent's view, range or scroll offset.
        OnDragMoved(param);
        return S_OK;
    }
    RCPtr<LControl> hold = Self();
    RCPtr<LControl> parent(mParent);
    DragSnapshot& snapshot = Snapshot();
    snapshot.inDrag = true;
    // The pointer in the window, taken before the control moves under it.
    const PointT<double> origin = GetRectInWindow();
    const PointT<double> inWindow{origin.x + param->x, origin.y + param->y};
    double dx = mFrame.x + param->x - mDragOrigin.x;
    double dy = mFrame.y + param->y - mDragOrigin.y;
    bool asks[2] = {false, false};
    double overshoot[2] = {0, 0};
    if (mDragMode >= 2 && mDragMode <= 6) {
        RectT<double> view;
        parent->GetViewRect(view);
        view.x += parent->mScrollOffset.x;
        view.y += parent->mScrollOffset.y;
        RectT<double> allowed = view;
        ConstrainDragRect(allowed);
        double minX = allowed.x - mDragOrigin.x;
        double maxX = allowed.x + allowed.width - mDragOrigin.x;
        double minY = allowed.y - mDragOrigin.y;
        double maxY = allowed.y + allowed.height - mDragOrigin.y;
        if (mDragMode == 4 || mDragMode == 5) {
            if ((mDragEdges & 4) != 0) {
                minX = std::max(minX, 1 - snapshot.size.x);
            }
            if ((mDragEdges & 8) != 0) {
                maxX = std::min(maxX, snapshot.size.x - 1);
            }
            if ((mDragEdges & 0x20) != 0) {
                minY = std::max(minY, 1 - snapshot.size.y);
            }
            if ((mDragEdges & 0x10) != 0) {
                maxY = std::min(maxY, snapshot.size.y - 1);
            }
        }
        if (mDragMode == 3 || mDragMode == 5) {
            const double pointerX = mFrame.x + param->x;
            const double pointerY = mFrame.y + param->y;
            if ((mDragEdges & (1 | 4 | 8)) != 0) {
                if (pointerX >= view.x + view.width / 2) {
                    const double zone =
                        std::clamp(kZone + (view.x + view.width - (allowed.x + allowed.width)), 0.0, kZone);
                    if (dx > maxX - zone) {
                        asks[0] = true;
                        overshoot[0] = dx - (maxX - zone);
                    }
                } else {
                    const double zone = std::clamp(kZone - (view.x - allowed.x), 0.0, kZone);
                    if (dx < minX + zone) {
                        asks[0] = true;
                        overshoot[0] = -((minX + zone) - dx);
                    }
                }
            }
            if ((mDragEdges & (2 | 0x10 | 0x20)) != 0) {
                if (pointerY >= view.y + view.height / 2) {
                    const double zone =
                        std::clamp(kZone + (view.y + view.height - (allowed.y + allowed.height)), 0.0, kZone);
                    if (dy > maxY - zone) {
                        asks[1] = true;
                        overshoot[1] = dy - (maxY - zone);
                    }
                } else {
                    const double zone = std::clamp(kZone - (view.y - allowed.y), 0.0, kZone);
                    if (dy < minY + zone) {
                        asks[1] = true;
                        overshoot[1] = -((minY + zone) - dy);
                    }
                }
            }
        }
        if (mDragMode <= 5) {
            const double cx = std::clamp(dx, minX, std::max(minX, maxX));
            const double cy = std::clamp(dy, minY, std::max(minY, maxY));
            if (cx != dx) {
                asks[0] = false;
            }
            if (cy != dy) {
                asks[1] = false;
            }
            dx = cx;
            dy = cy;
        }
    }
    const PointT<double> current{dx, dy};
    const PointT<double> scrollChange{parent->mScrollOffset.x - snapshot.parentOffset.x,
                                      parent->mScrollOffset.y - snapshot.parentOffset.y};
    if (mDragMode >= 1 && mDragMode <= 3) {
        mDragDisplacement = current;
        for (int32_t axis = 0; axis < 2; ++axis) {
            if ((mDragEdges & (axis == 0 ? 1u : 2u)) == 0) {
                continue;
            }
            LLayoutDescriptor::Placement placement;
            LLayoutDescriptor::Size size;
            GetPlacement(axis, placement, size);
            placement.offset =
                snapshot.position[axis] + (axis == 0 ? dx : dy) -
                (IsDockedPlacement(*this, axis) ? (axis == 0 ? scrollChange.x : scrollChange.y) : 0.0);
            SetPlacement(axis, placement, size);
        }
    } else if (mDragMode == 4 || mDragMode == 5) {
        mDragDisplacement = current;
        for (int32_t axis = 0; axis < 2; ++axis) {
            const uint32_t growEdge = axis == 0 ? 4u : 0x20u;
            const uint32_t moveEdge = axis == 0 ? 8u : 0x10u;
            const double d = axis == 0 ? dx : dy;
            if ((mDragEdges & (growEdge | moveEdge)) == 0) {
                continue;
            }
            LLayoutDescriptor::Placement placement;
            LLayoutDescriptor::Size size;
            GetPlacement(axis, placement, size);
            if ((mDragEdges & growEdge) != 0) {
                size.offset = snapshot.extent[axis] + d;
            } else {
                placement.offset =
                    snapshot.position[axis] + d -
                    (IsDockedPlacement(*this, axis) ? (axis == 0 ? scrollChange.x : scrollChange.y) : 0.0);
                size.offset = snapshot.extent[axis] - d;
            }
            SetPlacement(axis, placement, size);
        }
    } else if (mDragMode == 6) {
        RectT<double> range;
        parent->GetScrollRange(range, hold);
        const double dt = static_cast<double>(static_cast<uint32_t>(mMoveTime - mPreviousMoveTime)) / 1000.0;
        if (dt > 0) {
            PointT<double> offset = mScrollOffset;
            bool moved = false;
            for (int32_t axis = 0; axis < 2; ++axis) {
                const double movement =
                    axis == 0 ? mDragDisplacement.x - current.x : mDragDisplacement.y - current.y;
                ScrollAxis& state = mScrollAxes[axis];
                const double velocity = movement / dt;
                state.velocity = state.velocity != 0 && dt < 0.2 ? (state.velocity + velocity) / 2 : velocity;
                if ((mDragEdges & (axis == 0 ? 1u : 2u)) != 0 && movement != 0) {
                    double& value = axis == 0 ? offset.x : offset.y;
                    const double start = axis == 0 ? range.x : range.y;
                    const double length = axis == 0 ? range.width : range.height;
                    value = std::clamp(value + movement, start, std::max(start, start + length));
                    moved = true;
                }
            }
            if (moved) {
                SetScrollOffset(offset);
            }
            mDragDisplacement = current;
        }
    }
    if (mDragMode == 1) {
        TrackDropTarget(inWindow);
        if (snapshot.dropTarget) {
            const uint32_t bits = snapshot.dropTarget->GetDragData(hold);
            if (bits != 0) {
                const RCPtr<LControl>& target = snapshot.dropTarget;
                const PointT<double> local = target->MapPointFrom(nullptr, inWindow);
                const RectT<double> client = target->GetClientRect(-1);
                const double x = local.x - client.x;
                const double y = local.y - client.y;
                if ((bits & 4) != 0 && x > client.width - kZone) {
                    asks[0] = true;
                    overshoot[0] = x - (client.width - kZone);
                } else if ((bits & 8) != 0 && x < kZone) {
                    asks[0] = true;
                    overshoot[0] = -(kZone - x);
                }
                if ((bits & 0x20) != 0 && y > client.height - kZone) {
                    asks[1] = true;
                    overshoot[1] = y - (client.height - kZone);
                } else if ((bits & 0x10) != 0 && y < kZone) {
                    asks[1] = true;
                    overshoot[1] = -(kZone - y);
                }
            }
        }
        if (snapshot.dropTarget) {
            RCPtr<LControl> target = snapshot.dropTarget;
            RequestAutoScroll(target.Get(), asks, overshoot);
        }
    } else if (mDragMode == 3 || mDragMode == 5) {
        RequestAutoScroll(parent.Get(), asks, overshoot);
    }
    OnDragMoved(param);
    snapshot.inDrag = false;
    return S_OK;
}

void LControl::RequestAutoScroll(LControl* scroller, const bool asks[2], const double overshoot[2]) {
    if (scroller == nullptr) {
        return;
    }
    if (!asks[0] && !asks[1]) {
        scroller->StopScrollAnimation(0);
        scroller->StopScrollAnimation(1);
        return;
    }
    RectT<double> range;
    RCPtr<LControl> self = Self();
    scroller->GetScrollRange(range, self);
    for (int32_t axis = 0; axis < 2; ++axis) {
        if (!asks[axis]) {
            scroller->StopScrollAnimation(axis);
            continue;
        }
        const double depth = std::fabs(overshoot[axis]);
        const double speed = (depth + 1) * 15 * (overshoot[axis] < 0 ? -1 : 1);
        const double start = axis == 0 ? range.x : range.y;
        const double length = axis == 0 ? range.width : range.height;
        scroller->StartScrollAnimation(axis, speed, start + length, start, self);
    }
}

void LControl::TrackDropTarget(const PointT<double>& pointer) {
    RCPtr<IRootWindow> window = GetRootWindow();
    if (!window) {
        return;
    }
    RCPtr<LControl> self = Self();
    DragSnapshot& snapshot = Snapshot();
    RCPtr<LControl> found;
    {
        CAutoControlFlag excluded(self);
        PointT<int32_t> local;
        found = window->HitTest(
            {static_cast<int32_t>(std::lround(pointer.x)), static_cast<int32_t>(std::lround(pointer.y))},
            local, false);
    }
    RCPtr<LControl> target = found ? found->FindDropTarget(self, pointer) : nullptr;
    PointT<double> point = pointer;
    if (target) {
        point = target->MapPointFrom(nullptr, pointer);
    }
    if (target.Get() != snapshot.dropTarget.Get()) {
        if (RCPtr<LControl> old = snapshot.dropTarget) {
            old->StopScrollAnimation(0);
            old->StopScrollAnimation(1);
            old->OnDragLeave(self);
        }
        snapshot.dropTarget = target;
        if (target) {
            window->SetCursor(GetApplicationServices().GetCursor(u"UI_CURSOR_DROP_MOVE"));
            target->OnDragEnter(self);
        }
    }
    if (target) {
        target->OnDragOver(self, point);
    } else {
        window->SetCursor(GetApplicationServices().GetCursor(u"UI_CURSOR_NO_DROP"));
    }
}

void LControl::OnDragMoved(const RCPtr<LPointWithModifiersParam>&) {}

int32_t LControl::EndDrag() {
    RCPtr<LControl> self = Self();
    DragSnapshot& snapshot = Snapshot();
    if (mDragMode != 1) {
        if (mParent != nullptr) {
            mParent->StopScrollAnimation(0);
            mParent->StopScrollAnimation(1);
        }
        return S_OK;
    }
    if (RCPtr<IRootWindow> window = GetRootWindow()) {
        window->SetCursor(GetApplicationServices().GetCursor(u"UI_CURSOR_ARROW"));
    }
    if (!snapshot.wasUnclipped) {
        SetClipToParent(true);
    }
    for (int32_t axis = 0; axis < 2; ++axis) {
        if (snapshot.wasDocked[axis]) {
            continue;
        }
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        GetPlacement(axis, placement, size);
        (axis == 0 ? mLayout->xDocked : mLayout->yDocked) = false;
        placement.offset +=
            mParent != nullptr ? (axis == 0 ? mParent->mScrollOffset.x : mParent->mScrollOffset.y) : 0.0;
        SetPlacement(axis, placement, size);
        snapshot.wasDocked[axis] = true;
    }
    if (RCPtr<LControl> target = snapshot.dropTarget) {
        target->StopScrollAnimation(0);
        target->StopScrollAnimation(1);
        target->OnDrop(self);
        target->OnDragLeave(self);
        snapshot.dropTarget = nullptr;
    }
    return S_OK;
}

uint32_t LControl::GetDragData(const RCPtr<LControl>&) {
    return 0;
}
void LControl::ConstrainDragRect(RectT<double>&) {}
void LControl::OnDragEnter(const RCPtr<LControl>&) {}
void LControl::OnDragOver(const RCPtr<LControl>&, const PointT<double>&) {}
void LControl::OnDragLeave(const RCPtr<LControl>&) {}
int32_t LControl::OnDrop(const RCPtr<LControl>&) {
    return E_FAIL;
}

// Kinetic scrolling: a fast release keeps the content moving at the release speed for a second,
// then slows it down until it stops.

void LControl::StartKineticScroll() {
    RectT<double> range;
    GetScrollRange(range, Self());
    for (int32_t axis = 0; axis < 2; ++axis) {
        if ((mDragEdges & (axis == 0 ? 1u : 2u)) == 0) {
            continue;
        }
        const double velocity = mScrollAxes[axis].velocity;
        if (std::fabs(velocity) >= kKineticMinimumSpeed) {
            StartScrollAnimation(axis, velocity, axis == 0 ? range.width : range.height, 0, nullptr);
            mScrollAxes[axis].kinetic = true;
        }
    }
}

void LControl::StepScrollAnimations() {
    for (int32_t axis = 0; axis < 2; ++axis) {
        ScrollAxis& state = mScrollAxes[axis];
        if (!state.animating) {
            continue;
        }
        const double now = GetApplicationServices().GetTime();
        const double elapsed = now - state.lastTime;
        const double step = RoundHalfAway(state.speed * elapsed);
        state.lastTime = now;
        if (step != 0) {
            PointT<double> offset = mScrollOffset;
            double& value = axis == 0 ? offset.x : offset.y;
            value = std::clamp(value + step, state.minimum, std::max(state.minimum, state.maximum));
            SetScrollOffset(offset);
            if (RCPtr<LControl> driver = state.driver) {
                if (RCPtr<IRootWindow> window = GetRootWindow()) {
                    const PointT<int32_t> cursor = window->GetCursorPos();
                    const PointT<double> origin = driver->GetRectInWindow();
                    driver->DragBy(RCPtr<LPointWithModifiersParam>(
                        new LPointWithModifiersParam(static_cast<int32_t>(RoundHalfAway(cursor.x - origin.x)),
                                                     static_cast<int32_t>(RoundHalfAway(cursor.y - origin.y)),
                                                     window->GetKeyModifiers(), 0)));
                }
            }
        }
        if (state.kinetic && state.animating) {
            const uint32_t sinceRelease = GetApplicationServices().GetTimeMs() - mReleaseTime;
            if (sinceRelease > 1000) {
                const double cut = RoundHalfAway(kDeceleration * elapsed);
                const double magnitude = std::fabs(state.speed) - cut;
                if (magnitude <= 0) {
                    StopScrollAnimation(axis);
                } else {
                    state.speed = state.speed < 0 ? -magnitude : magnitude;
                }
            }
        }
    }
}

}  // namespace QV
