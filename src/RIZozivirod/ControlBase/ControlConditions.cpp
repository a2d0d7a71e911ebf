#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

namespace {

// Which notification follows a change of which bits, in the order they are sent.
struct ConditionNotification {
    uint32_t mask;
    const WChar* name;
};

constexpr ConditionNotification kConditionNotifications[] = {
    {LControl::kHasFocus, u"NID_HAS_FOCUS_CONDITION_CHANGE"},
    {LControl::kContainsFocus, u"NID_CONTAINS_FOCUS_CONDITION_CHANGE"},
    {LControl::kHoverOrHighlighted, u"NID_HOVER_CONDITION_CHANGE"},
    {LControl::kCapture, u"NID_CAPTURE_CONDITION_CHANGE"},
    {LControl::kLeftPressed | LControl::kLeftDragging, u"NID_LEFT_DRAG_CONDITION_CHANGE"},
    {LControl::kMiddlePressed | LControl::kMiddleDragging, u"NID_MIDDLE_DRAG_CONDITION_CHANGE"},
    {LControl::kRightPressed | LControl::kRightDragging, u"NID_RIGHT_DRAG_CONDITION_CHANGE"},
    {LControl::kEnabled, u"NID_ENABLED_CONDITION_CHANGE"},
    {LControl::kVisible, u"NID_VISIBLITY_CONDITION_CHANGE"},
};

bool PointerOver(LControl& control, const RCPtr<IRootWindow>& window) {
    return window && window->GetHoverControl().Get() == &control;
}

}  // namespace

uint32_t LControl::GetConditions() const {
    uint32_t bits = 0;
    const bool flags[] = {mHasFocus,      mContainsFocus, mHover,        mCapture,        mLeftPressed,
                          mMiddlePressed, mRightPressed,  mLeftDragging, mMiddleDragging, mRightDragging};
    for (uint32_t i = 0; i < sizeof(flags) / sizeof(flags[0]); ++i) {
        if (flags[i]) {
            bits |= 1u << i;
        }
    }
    if (IsEnabled(true)) {
        bits |= kEnabled;
    }
    if (IsVisible(true)) {
        bits |= kVisible;
    }
    if (mHover || mHighlighted) {
        bits |= kHoverOrHighlighted;
    }
    return bits;
}

void LControl::UpdateConditions() {
    const uint32_t now = GetConditions();
    if (now == mConditionsParam->current) {
        return;
    }
    RCPtr<LControl> hold = Self();
    RCPtr<LConditionsParam> param = mConditionsParam;
    const uint32_t before = param->current;
    param->previous = before;
    param->current = now;
    param->origin = mDragOrigin;
    const uint32_t changed = before ^ now;
    RCPtr<IRootWindow> window = GetRootWindow();

    if (mCursorId != 0 && window) {
        const bool hoverOn = (changed & kHover) != 0 && (now & kHover) != 0;
        const bool hoverOff = (changed & kHover) != 0 && (now & kHover) == 0;
        const bool captureEnded = (changed & kCapture) != 0 && (now & kCapture) == 0;
        if (hoverOn && !mCapture) {
            mSavedCursor = window->SetCursor(static_cast<CursorHandle>(mCursorId));
        } else if ((hoverOff && !mCapture) || (captureEnded && !PointerOver(*this, window))) {
            window->SetCursor(mSavedCursor);
        }
    }
    if (mDragMode != 0 && (changed & kLeftDragging) != 0 && (now & kLeftDragging) == 0) {
        EndDrag();
    }
    OnConditionsChanged(param);
    Notify(u"NID_CONDITION_CHANGE", param);
    for (const ConditionNotification& entry : kConditionNotifications) {
        if ((changed & entry.mask) != 0) {
            Notify(entry.name, param);
        }
    }
    if (mDragMode != 0 && (changed & kLeftDragging) != 0 && (now & kLeftDragging) != 0) {
        BeginDrag();
    }
    if (window) {
        const bool hiddenUnderPointer =
            PointerOver(*this, window) && (changed & kVisible) != 0 && (now & kVisible) == 0 && !mCapture;
        const bool captureEndedAway =
            (changed & kCapture) != 0 && (now & kCapture) == 0 && !PointerOver(*this, window);
        if (hiddenUnderPointer || captureEndedAway) {
            PointT<int32_t> local;
            window->HitTest(window->GetCursorPos(), local, true);
        }
    }
    if ((changed & (kEnabled | kVisible)) != 0) {
        for (uint32_t i = mChildren.GetCount(); i-- > 0;) {
            RCPtr<LControl> child = mChildren.GetAt(i, kOrderCreation);
            child->UpdateConditions();
        }
    }
}

void LControl::OnConditionsChanged(const RCPtr<LConditionsParam>&) {}

void LControl::SetHighlighted(bool highlighted) {
    if (mHighlighted != highlighted) {
        mHighlighted = highlighted;
        UpdateConditions();
    }
}

void LControl::SetCursor(int32_t cursorId) {
    if (cursorId == mCursorId) {
        return;
    }
    const bool hadCursor = mCursorId != 0;
    mCursorId = cursorId;
    RCPtr<IRootWindow> window = GetRootWindow();
    if (!window || !PointerOver(*this, window)) {
        return;
    }
    // 0 selects the application's arrow.
    const CursorHandle replaced = window->SetCursor(static_cast<CursorHandle>(cursorId));
    if (!hadCursor) {
        mSavedCursor = replaced;
    }
}

// Visibility and enabling.

bool LControl::IsVisible(bool recursive) const {
    for (const LControl* control = this; control != nullptr; control = control->mParent) {
        const bool shown = (!control->mLayout || control->mLayout->visible) && control->mFrame.width > 0 &&
                           control->mFrame.height > 0;
        if (!shown) {
            return false;
        }
        if (!recursive) {
            break;
        }
    }
    return true;
}

bool LControl::IsEnabled(bool recursive) const {
    for (const LControl* control = this; control != nullptr; control = control->mParent) {
        if (control->mLayout && !control->mLayout->enabled) {
            return false;
        }
        if (!recursive) {
            break;
        }
    }
    return true;
}

void LControl::InvalidateArea() {
    InvalidateRect({0, 0, mFrame.width, mFrame.height}, !mLayout || mLayout->clipToParent);
    if (mUnclippedDescendantCount > 0) {
        InvalidateUnclipped();
    }
}

bool LControl::SetVisible(bool visible) {
    if (!mLayout) {
        mLayout = LLayoutDescriptor::Create();
    }
    if (mLayout->visible == visible) {
        return IsVisible(true);
    }
    RCPtr<LControl> hold = Self();
    if (!visible) {
        InvalidateArea();
        mLayout->visible = false;
        if ((mHasFocus || mContainsFocus) && mParent != nullptr) {
            mParent->SetFocus(true);
        }
    } else {
        mLayout->visible = true;
        if (mParent != nullptr && mParent->mHasFocus && CanTakeFocusOrHasFocusableDescendant()) {
            SetFocus(true);
        }
        InvalidateArea();
    }
    UpdateConditions();
    return IsVisible(true);
}

void LControl::SetEnabled(bool enabled) {
    if (!mLayout) {
        mLayout = LLayoutDescriptor::Create();
    }
    if (mLayout->enabled == enabled) {
        return;
    }
    RCPtr<LControl> hold = Self();
    mLayout->enabled = enabled;
    if (!enabled && (mHasFocus || mContainsFocus) && mParent != nullptr) {
        mParent->SetFocus(true);
    }
    if (mParent != nullptr && mParent->mHasFocus && CanTakeFocusOrHasFocusableDescendant()) {
        SetFocus(true);
    }
    UpdateConditions();
    InvalidateArea();
}

// Values.

int32_t LControl::SetValueRange(double minimum, double maximum, int32_t taper) {
    if ((taper != 0 && taper != 1) || (taper == 1 && (minimum <= 0 || maximum <= 0))) {
        return E_INVALIDARG;
    }
    mValueMin = minimum;
    mValueMax = maximum;
    mValueTaper = taper;
    return S_OK;
}

double LControl::NormalizedFromValue(double value) const {
    const double low = std::min(mValueMin, mValueMax);
    const double high = std::max(mValueMin, mValueMax);
    const double x = std::clamp(value, low, high);
    if (mValueMin == mValueMax) {
        return 0.0;
    }
    if (mValueTaper == 1) {
        return std::log(x / mValueMin) / std::log(mValueMax / mValueMin);
    }
    return (x - mValueMin) / (mValueMax - mValueMin);
}

double LControl::ValueFromNormalized(double normalized) const {
    if (mValueTaper == 1) {
        return mValueMin * std::pow(mValueMax / mValueMin, normalized);
    }
    return mValueMin + (mValueMax - mValueMin) * normalized;
}

double LControl::SetNormalizedValue(double value) {
    const double t = std::clamp(value, 0.0, 1.0);
    if (t == mNormalizedValue) {
        return mNormalizedValue;
    }
    mNormalizedValue = t;
    OnValueChanged();
    Notify(u"NID_VALUE_CHANGE", LValueParam::Create(t, ValueFromNormalized(t)));
    return mNormalizedValue;
}

void LControl::OnValueChanged() {}

double LControl::SetValue(double value) {
    SetNormalizedValue(NormalizedFromValue(value));
    return ValueFromNormalized(mNormalizedValue);
}

// Text.

bool LControl::UpdateText(const WString& text, bool relayout) {
    if (text == mText) {
        return false;
    }
    if (mParent == nullptr && mRootWindow) {
        mRootWindow->SetTitle(text);
    }
    mText = text;
    GiveLooksText();
    if (relayout && mLayout) {
        const bool xSelf = mLayout->xMinimum.reference == LimitReference::kSelf &&
                           mLayout->xTextOverflow != TextOverflow::kClip;
        const bool ySelf = mLayout->yMinimum.reference == LimitReference::kSelf &&
                           mLayout->yTextOverflow != TextOverflow::kClip;
        if (xSelf || ySelf) {
            UpdateLayout();
        }
    }
    InvalidateRect({0, 0, mFrame.width, mFrame.height}, !mLayout || mLayout->clipToParent);
    return true;
}

int32_t LControl::SetText(const WString& text) {
    return UpdateText(text, true) ? S_OK : 1;
}

}  // namespace QV
