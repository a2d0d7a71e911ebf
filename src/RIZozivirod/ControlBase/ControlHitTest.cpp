#include <climits>
#include <cmath>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

namespace {

bool InsideRect(const PointT<int32_t>& p, const RectT<int32_t>& r) {
    return p.x >= r.x && p.y >= r.y && int64_t{p.x} < int64_t{r.x} + r.width &&
           int64_t{p.y} < int64_t{r.y} + r.height;
}

}  // namespace

bool LControl::ContainsPoint(const PointT<int32_t>& point) {
    const double fx = std::round(mFrame.x);
    const double fy = std::round(mFrame.y);
    const double px = point.x + fx;
    const double py = point.y + fy;
    return px >= mFrame.x && px < mFrame.x + mFrame.width && py >= mFrame.y && py < mFrame.y + mFrame.height;
}

int32_t LControl::GetEffectiveZOrder() const {
    int32_t z = INT32_MIN;
    for (const LControl* control = this; control != nullptr; control = control->mParent) {
        if (!control->ClipsToParent() && control->mLayout->zOrder > z) {
            z = control->mLayout->zOrder;
        }
    }
    return z;
}

RCPtr<LControl> LControl::HitTest(const PointT<int32_t>& point, bool clip, PointT<int32_t>& hitPoint,
                                  int32_t& bestZ) {
    hitPoint = {0, 0};
    if ((mLayout && !mLayout->visible) || mFrame.width <= 0 || mFrame.height <= 0) {
        return nullptr;
    }
    const bool inside = ContainsPoint(point);
    if (!inside && mUnclippedDescendantCount <= 0) {
        return nullptr;
    }
    RCPtr<LControl> best;
    const uint32_t count = mChildren.GetCount();
    if (count != 0) {
        const uint32_t lookCount = GetLookCount();
        // A control without looks offers its whole area to its children once.
        const int32_t passes = lookCount == 0 ? 1 : static_cast<int32_t>(lookCount);
        for (int32_t i = 0; i < passes; ++i) {
            if (lookCount != 0 && !(GetLookWeight(i) > 0.0f)) {
                continue;
            }
            const RectT<int32_t> client = GetClientRect(lookCount == 0 ? -1 : i).Round();
            const bool insideClient = InsideRect(point, client);
            const PointT<int32_t> content{point.x - client.x + RoundToInt32(mScrollOffset.x),
                                          point.y - client.y + RoundToInt32(mScrollOffset.y)};
            for (uint32_t c = count; c-- > 0;) {
                RCPtr<LControl> child = mChildren.GetAt(c, kOrderPaint);
                const int32_t z = child->GetEffectiveZOrder();
                const bool reachable = inside && clip && (child->DockedAxes() == 2 || insideClient);
                const bool tryIt = (!best && (reachable || z > INT32_MIN)) || !child->ClipsToParent() ||
                                   child->mUnclippedDescendantCount > 0;
                if (!tryIt) {
                    continue;
                }
                const PointT<int32_t> childPoint{content.x - RoundToInt32(child->mFrame.x),
                                                 content.y - RoundToInt32(child->mFrame.y)};
                PointT<int32_t> childHit;
                RCPtr<LControl> found = child->HitTest(childPoint, clip && inside, childHit, bestZ);
                if (found && (!best || found->GetEffectiveZOrder() > best->GetEffectiveZOrder())) {
                    best = found;
                    hitPoint = childHit;
                }
            }
        }
    }
    if (best) {
        bestZ = best->GetEffectiveZOrder();
        return best;
    }
    const int32_t z = GetEffectiveZOrder();
    bool blocked = false;
    if (mParent != nullptr && ClipsToParent() && DockedAxes() != 2) {
        const PointT<double> inParent = mParent->MapPointFrom(this, point.ToDouble());
        const PointT<int32_t> rounded = inParent.Round();
        blocked = !InsideRect(rounded, mParent->GetClientRect(-1).Round());
    }
    const bool zOk = z == INT32_MIN ? clip : z > bestZ;
    if (!IsTransparentAt(point) && !mHitTestExcluded && inside && !blocked && zOk) {
        hitPoint = point;
        bestZ = z;
        return Self();
    }
    return nullptr;
}

RCPtr<LControl> LControl::FindDropTarget(const RCPtr<LControl>& dragged, const PointT<double>& point) {
    RCPtr<LControl> candidate = Self();
    RCPtrArray<LControl, 1, 0> visited;
    auto wasVisited = [&visited](const LControl* control) {
        for (uint32_t i = 0; i < visited.GetCount(); ++i) {
            if (visited.GetAt(i).Get() == control) {
                return true;
            }
        }
        return false;
    };
    while (candidate && !candidate->CanAcceptDrop(dragged)) {
        if (!candidate->ClipsToParent()) {
            if (wasVisited(candidate.Get())) {
                return nullptr;
            }
            visited.Add(candidate);
            RCPtrArray<LControl, 1, 0> marked;
            marked.Add(candidate);
            candidate->CollectDescendants(marked);
            for (uint32_t i = 0; i < marked.GetCount(); ++i) {
                marked.GetAt(i)->mHitTestExcluded = true;
            }
            RCPtr<LControl> found;
            if (RCPtr<IRootWindow> window = candidate->GetRootWindow()) {
                PointT<int32_t> local;
                found = window->HitTest(point.Round(), local, false);
            }
            for (uint32_t i = 0; i < marked.GetCount(); ++i) {
                marked.GetAt(i)->mHitTestExcluded = false;
            }
            candidate = found && !wasVisited(found.Get()) ? found : nullptr;
        } else {
            candidate = candidate->mParent != nullptr ? RCPtr<LControl>(candidate->mParent) : nullptr;
        }
    }
    return candidate;
}

bool LControl::CanAcceptDrop(const RCPtr<LControl>&) {
    return false;
}

}  // namespace QV
