#include <algorithm>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Renderer/AutoClip.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "RIZozivirod/Utilities/Graphics/RectRegion.h"

namespace QV {

namespace {

constexpr double kEpsilon = 0x1p-52;

bool ShownWithArea(const LControl& control) {
    const RectT<double>& frame = control.GetFrame();
    return (!control.GetLayout() || control.GetLayout()->visible) && frame.width > 0 && frame.height > 0;
}

// The intersection of two rectangles; false when it is 2^-52 or less wide or high.
bool IntersectPaintRects(const RectT<double>& a, const RectT<double>& b, RectT<double>& out) {
    const double left = std::max(a.x, b.x);
    const double top = std::max(a.y, b.y);
    const double right = std::min(a.x + a.width, b.x + b.width);
    const double bottom = std::min(a.y + a.height, b.y + b.height);
    out = {left, top, right - left, bottom - top};
    return out.width > kEpsilon && out.height > kEpsilon;
}

}  // namespace

int32_t LControl::PaintContent(const RCPtr<LRenderer>&) {
    return S_OK;
}

int32_t LControl::PaintOverlay(const RCPtr<LRenderer>&) {
    return S_OK;
}

int32_t LControl::Paint(const RCPtr<LRenderer>& renderer, const RectRegion& region,
                        RCPtrArray<LControl, 1, 0>& unclipped, bool unclippedPass) {
    if (ClipsToParent() == unclippedPass) {
        return E_INVALIDARG;
    }
    if (!ShownWithArea(*this)) {
        return S_OK;
    }
    RectT<double> r = mFrame;
    bool visible = true;
    if (!unclippedPass) {
        visible = IntersectPaintRects(r, CurrentRenderState(*renderer).clip, r);
    } else {
        visible = r.width > kEpsilon && r.height > kEpsilon;
    }
    if (!visible) {
        if (mUnclippedDescendantCount > 0) {
            CollectUnclippedDescendants(unclipped, true, false);
        }
        return S_OK;
    }
    RCPtr<LControl> hold = Self();
    CAutoClip frameClip(renderer, mFrame, r, nullptr, true);
    RenderState& state = CurrentRenderState(*renderer);
    state.opacity *= mOpacity;
    RectT<double> own;
    if (!IntersectPaintRects({0, 0, mFrame.width, mFrame.height}, CurrentRenderState(*renderer).clip, own)) {
        if (mUnclippedDescendantCount > 0) {
            CollectUnclippedDescendants(unclipped, true, false);
        }
        return S_OK;
    }
    const uint32_t lookCount = GetLookCount();
    PaintLooks(renderer, region, lookCount, 0);
    PaintLooks(renderer, region, lookCount, 1);

    Array<RectT<int32_t>> rects;
    region.ForEachRect(rects);
    auto eachDirtyRect = [&](auto&& paint) {
        for (uint32_t i = 0; i < rects.GetCount(); ++i) {
            const RenderState& current = CurrentRenderState(*renderer);
            RectT<double> local = rects.GetAt(i).ToDouble();
            local.x -= current.origin.x;
            local.y -= current.origin.y;
            RectT<double> dirty;
            if (IntersectPaintRects(local, current.clip, dirty)) {
                renderer->PushClip(dirty, dirty, nullptr, true);
                paint();
                renderer->PopState();
            }
        }
    };
    eachDirtyRect([&] { PaintContent(renderer); });

    if (lookCount == 0) {
        // A control without looks still shows its children, through its whole area.
        if (mChildren.GetCount() != 0) {
            PaintChildren(renderer, region, -1, unclipped);
        }
    } else {
        PaintLooks(renderer, region, lookCount, 2, &unclipped);
    }
    eachDirtyRect([&] { PaintOverlay(renderer); });

    for (uint32_t i = 0; i < mChildren.GetCount(); ++i) {
        const RCPtr<LControl>& child = mChildren.GetAt(i, kOrderPaint);
        if (!child->ClipsToParent() && ShownWithArea(*child)) {
            unclipped.Add(child);
        }
    }
    return S_OK;
}

int32_t LControl::PaintChildren(const RCPtr<LRenderer>& renderer, const RectRegion& region, int32_t lookIndex,
                                RCPtrArray<LControl, 1, 0>& unclipped) {
    const RectT<double> client = GetClientRect(lookIndex);
    ClipRecord record;
    record.flavor = 1;
    record.clip = client;
    // Only the bounds' corner matters here (it becomes the content's origin): they reach past
    // the client part, so that they never cut into it.
    record.bounds = {client.x - mScrollOffset.x, client.y - mScrollOffset.y, RenderState::kNoClip.width,
                     RenderState::kNoClip.height};
    record.stencil = RCPtr<LStencil>(const_cast<LStencil*>(LookStencil(lookIndex).Get()));
    record.intersect = true;
    // The clip rectangle is in this control's own coordinates, while the bounds' corner moves
    // the origin into the content space.
    const uint32_t count = mChildren.GetCount();
    uint32_t cursor = 0;
    for (int32_t docked = 0; docked < 2; ++docked) {
        const uint32_t start = cursor;
        while (cursor < count) {
            const RCPtr<LControl>& child = mChildren.GetAt(cursor, kOrderPaint);
            if (!child->ClipsToParent() || child->DockedAxes() != docked) {
                break;
            }
            ++cursor;
        }
        if (cursor == start) {
            continue;
        }
        RectT<double> meets;
        const bool inView = client.width > 0 && client.height > 0 &&
                            IntersectPaintRects(client, CurrentRenderState(*renderer).clip, meets);
        if (inView) {
            CAutoClip clip(renderer, record);
            for (uint32_t i = start; i < cursor; ++i) {
                RCPtr<LControl> child = mChildren.GetAt(i, kOrderPaint);
                child->Paint(renderer, region, unclipped, false);
            }
        } else {
            for (uint32_t i = start; i < cursor; ++i) {
                RCPtr<LControl> child = mChildren.GetAt(i, kOrderPaint);
                if (child->mUnclippedDescendantCount > 0) {
                    child->CollectUnclippedDescendants(unclipped, true, false);
                }
            }
        }
    }
    const uint32_t start = cursor;
    while (cursor < count) {
        const RCPtr<LControl>& child = mChildren.GetAt(cursor, kOrderPaint);
        if (!child->ClipsToParent() || child->DockedAxes() != 2) {
            break;
        }
        ++cursor;
    }
    if (cursor != start) {
        ClipRecord origin;
        origin.flavor = 2;
        origin.origin = {record.bounds.x, record.bounds.y};
        CAutoClip clip(renderer, origin);
        for (uint32_t i = start; i < cursor; ++i) {
            RCPtr<LControl> child = mChildren.GetAt(i, kOrderPaint);
            child->Paint(renderer, region, unclipped, false);
        }
    }
    return S_OK;
}

uint32_t LControl::CollectUnclippedDescendants(RCPtrArray<LControl, 1, 0>& list, bool onlyVisible,
                                               bool includeSelf) {
    uint32_t count = 0;
    const bool shown = ShownWithArea(*this);
    if (!ClipsToParent() && includeSelf && (!onlyVisible || shown)) {
        list.Add(Self());
        ++count;
    }
    if (onlyVisible && !shown) {
        return count;
    }
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i) {
        RCPtr<LControl> child = mChildren.GetAt(i, kOrderPaint);
        count += child->CollectUnclippedDescendants(list, onlyVisible, true);
    }
    return count;
}

int32_t LControl::InvalidateRect(const RectT<double>& rect, bool clip) {
    // The place in the window is used only by a window that takes the rectangle: a tree still
    // being built (no window at its top yet) skips the walk that finds it.
    const LControl* top = this;
    while (top->mParent != nullptr) {
        top = top->mParent;
    }
    const PointT<double> position = top->mRootWindow ? GetRectInWindow() : PointT<double>{};
    const RectT<double> windowRect{rect.x + position.x, rect.y + position.y, rect.width, rect.height};
    return InvalidateFromChild(windowRect, clip, rect);
}

int32_t LControl::InvalidateFromChild(const RectT<double>& windowRect, bool clip,
                                      const RectT<double>& localRect) {
    if (!ShownWithArea(*this)) {
        return 1;
    }
    RectT<double> local = localRect;
    bool clipOn = clip;
    if (clipOn && ClipsToParent()) {
        RectT<double> area;
        if (mParent != nullptr) {
            // The parent's own area, (0, 0) to its size, in this control's coordinates.
            const PointT<double> position = GetPositionInParent();
            area = {-position.x, -position.y, mParent->mFrame.width, mParent->mFrame.height};
        } else if (mRootWindow) {
            const RectT<int32_t> client = mRootWindow->GetRect();
            area = {-mFrame.x, -mFrame.y, Int32ToDouble(client.width), Int32ToDouble(client.height)};
        } else {
            area = {-mFrame.x, -mFrame.y, mFrame.width, mFrame.height};
        }
        if (!IntersectPaintRects(local, area, local)) {
            return 1;
        }
    } else if (!ClipsToParent()) {
        clipOn = false;
    }
    if (mParent != nullptr) {
        const PointT<double> position = GetPositionInParent();
        const RectT<double> translated{local.x + position.x, local.y + position.y, local.width, local.height};
        return mParent->InvalidateFromChild(windowRect, clipOn, translated);
    }
    if (!mRootWindow) {
        return S_OK;
    }
    RectT<double> result = windowRect;
    if (clipOn) {
        const RectT<double> translated{local.x + mFrame.x, local.y + mFrame.y, local.width, local.height};
        if (!IntersectPaintRects(result, translated, result)) {
            return 1;
        }
    }
    mRootWindow->Invalidate(result.Round());
    return S_OK;
}

void LControl::InvalidateUnclipped() {
    if (mUnclippedDescendantCount <= 0) {
        if (!ClipsToParent()) {
            InvalidateRect({0, 0, mFrame.width, mFrame.height}, false);
        }
        return;
    }
    RCPtrArray<LControl, 1, 0> list;
    list.Assign(mUnclippedScratch);
    mUnclippedScratch.SetCount(0);
    CollectUnclippedDescendants(mUnclippedScratch, true, true);
    RCPtrArray<LControl, 1, 0> collected;
    collected.Assign(mUnclippedScratch);
    mUnclippedScratch.SetCount(0);
    for (uint32_t i = collected.GetCount(); i-- > 0;) {
        LControl& control = *collected.GetAt(i);
        control.InvalidateRect({0, 0, control.mFrame.width, control.mFrame.height}, control.ClipsToParent());
    }
}

bool LControl::InvalidateChildRect(LControl* child) {
    if (child != nullptr && child->DockedAxes() != 0) {
        return true;
    }
    return !mScrolling && !mClientRectCacheValid;
}

bool LControl::SetClipToParent(bool clip) {
    if (!mLayout) {
        mLayout = LLayoutDescriptor::Create();
    }
    if (mLayout->clipToParent == clip) {
        return clip;
    }
    if (clip) {
        InvalidateRect({0, 0, mFrame.width, mFrame.height}, false);
    }
    mLayout->clipToParent = clip;
    if (mParent != nullptr) {
        mParent->mChildren.MarkStale();
        if (clip) {
            mParent->DecrementUnclippedDescendantCount(1);
        } else {
            mParent->IncrementUnclippedDescendantCount(1);
        }
        if (!clip) {
            InvalidateRect({0, 0, mFrame.width, mFrame.height}, false);
        }
    }
    return clip;
}

void LControl::IncrementUnclippedDescendantCount(int32_t count) {
    for (LControl* control = this; control != nullptr; control = control->mParent) {
        control->mUnclippedDescendantCount += count;
    }
}

void LControl::DecrementUnclippedDescendantCount(int32_t count) {
    for (LControl* control = this; control != nullptr; control = control->mParent) {
        control->mUnclippedDescendantCount -= count;
    }
}

}  // namespace QV
