#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

// A create parameter's boolean: true only for "true" in any case, with white space around.
bool IsTrueText(const WString& text) {
    return text.ToLower().Trim() == u"true";
}

thread_local LControlCreation::IHoldBack* tHoldBack = nullptr;

}  // namespace

LControlCreation::IHoldBack* LControlCreation::SetHoldBack(IHoldBack* holdBack) {
    IHoldBack* const previous = tHoldBack;
    tHoldBack = holdBack;
    return previous;
}

RCPtr<LControl>& LControlCreation::Run(RCPtr<LControl>& out, const RCPtr<LControl>& control,
                                       const RCPtr<LControlDescriptor>& descriptor) {
    control->ApplyDescriptor(descriptor);
    if (tHoldBack != nullptr && tHoldBack->HoldsBack(*control)) {
        out = control;
        return out;
    }
    control->CreateChildren(descriptor);
    control->Initialize();
    control->PostInitialize();
    control->mCreated = true;
    out = control;
    return out;
}

void LControlCreation::Finish(LControl& control) {
    if (control.mCreated) {
        return;
    }
    const RCPtr<LControl> hold = control.Self();
    control.CreateChildren(control.mDescriptor);
    control.Initialize();
    control.PostInitialize();
    control.mCreated = true;
    if (control.GetRootWindow()) {
        control.AttachToRootWindow();
    }
}

bool LControl::ReadBoolParam(const RCPtr<LStringTable>& params, const WChar* key, bool& value) {
    WString text;
    if (!params || !params->GetString(key, text)) {
        return false;
    }
    value = IsTrueText(text);
    return true;
}

int32_t LControl::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) {
    if (!descriptor) {
        return E_INVALIDARG;
    }
    if (mCreated) {
        ApplyDescriptorAgain(descriptor);
    } else {
        ApplyDescriptorFirst(descriptor);
    }
    return S_OK;
}

void LControl::CountSelfAsUnclipped() {
    if (!ClipsToParent() && mParent != nullptr) {
        mParent->IncrementUnclippedDescendantCount(1);
    }
}

void LControl::ApplyDescriptorFirst(const RCPtr<LControlDescriptor>& descriptor) {
    mDescriptor = descriptor;
    mLayout = descriptor->GetLayout() ? descriptor->GetLayout()->Clone() : LLayoutDescriptor::Create();
    if (mRootWindow) {
        mLayout->visible = true;
    }
    {
        struct PendingLayout {
            bool& pending;
            explicit PendingLayout(bool& flag) : pending(flag) { pending = true; }
            ~PendingLayout() { pending = false; }
        } layoutPending(mFirstLayoutPending);
        RebuildLooks(descriptor);
        ApplySkinFont(descriptor);
    }
    if (mStringTable) {
        WString label;
        mStringTable->GetString(u"LABEL", label);
        UpdateText(label, false);
    }
    CountSelfAsUnclipped();
    // The children set aside here are none at the first application.
    mChildren.Clear();
    mFrame = {};
    UpdateLayout();
    SelectLook(0);
    mConditionsParam->previous = mConditionsParam->current;
    mConditionsParam->current = GetConditions();
    mConditionsParam->origin = mDragOrigin;
}

void LControl::ApplyDescriptorAgain(const RCPtr<LControlDescriptor>& descriptor) {
    RCPtr<LControl> hold = Self();
    const bool wasVisible = mLayout ? mLayout->visible : true;
    const bool wasEnabled = mLayout ? mLayout->enabled : true;
    SetClipToParent(true);

    mDescriptor = descriptor;
    mLayout = descriptor->GetLayout() ? descriptor->GetLayout()->Clone() : LLayoutDescriptor::Create();

    if (mRootWindow) {
        mLayout->visible = true;
        const RectT<int32_t> window = mRootWindow->GetRect();
        RectT<double> rect{Int32ToDouble(window.x), Int32ToDouble(window.y), mFrame.width, mFrame.height};
        if (GetInitialWindowRect(rect) == 1) {
            mRootWindow->SetRect(rect.Round());
        }
        LLayoutDescriptor::Placement xPlacement = mLayout->xPlacement;
        LLayoutDescriptor::Placement yPlacement = mLayout->yPlacement;
        LLayoutDescriptor::Size xSize = mLayout->xSize;
        LLayoutDescriptor::Size ySize = mLayout->ySize;
        xPlacement.factor = 0;
        xPlacement.offset = rect.x;
        yPlacement.factor = 0;
        yPlacement.offset = rect.y;
        xSize.factor = 0;
        xSize.offset = rect.width;
        ySize.factor = 0;
        ySize.offset = rect.height;
        SetPlacements(xPlacement, xSize, yPlacement, ySize);
    }

    if (mLayout->visible != wasVisible) {
        const bool newVisible = mLayout->visible;
        mLayout->visible = wasVisible;
        SetVisible(newVisible);
    }
    mLayout->enabled = wasEnabled;

    bool notFocusable = false;
    if (ReadBoolParam(descriptor->GetCreateParams(), u"NOT_FOCUSABLE", notFocusable)) {
        SetNotFocusable(notFocusable);
    } else {
        SetNotFocusable(mLayout->tabStop < 0);
    }

    RebuildLooks(descriptor);
    ApplySkinFont(descriptor);
    // The new looks have no text yet: a placeholder makes the real text count as a change.
    const WString text = mText;
    mText = WString(u"~");
    UpdateText(text, false);

    CountSelfAsUnclipped();
    RCPtrArray<LControl, 1, 0> setAside;
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i) {
        setAside.Add(mChildren.GetAt(i, kOrderCreation));
    }
    mChildren.Clear();
    mFrame = {};
    UpdateLayout();
    SelectLook(0);
    mConditionsParam->previous = mConditionsParam->current;
    mConditionsParam->current = GetConditions();
    mConditionsParam->origin = mDragOrigin;

    mReapplying = true;
    bool attached = false;
    const LControlDescriptor::ChildList& children = descriptor->GetChildren();
    for (uint32_t d = 0; d < children.GetCount(); ++d) {
        const RCPtr<LControlDescriptor>& childDescriptor = children.GetAt(d);
        for (uint32_t i = 0; i < setAside.GetCount(); ++i) {
            if (setAside.GetAt(i)->GetName() == childDescriptor->GetName()) {
                RCPtr<LControl> child;
                setAside.RemoveItem(i, child);
                AttachChild(child, childDescriptor);
                attached = true;
                break;
            }
        }
    }
    mReapplying = false;
    if (attached) {
        UpdateLayout();
    }
    UpdateConditions();

    PostInitialize();
    mChildren.MarkStale();

    if (mRootWindow) {
        LLayoutDescriptor::Placement xPlacement = mLayout->xPlacement;
        LLayoutDescriptor::Placement yPlacement = mLayout->yPlacement;
        LLayoutDescriptor::Size xSize = mLayout->xSize;
        LLayoutDescriptor::Size ySize = mLayout->ySize;
        for (LLayoutDescriptor::Placement* placement : {&xPlacement, &yPlacement}) {
            placement->anchor = 0;
            placement->reference = PlacementReference::kClient;
            placement->factor = 0;
            placement->offset = 0;
        }
        for (LLayoutDescriptor::Size* size : {&xSize, &ySize}) {
            size->reference = SizeReference::kClient;
            size->factor = 1;
            size->offset = 0;
        }
        SetPlacements(xPlacement, xSize, yPlacement, ySize);
        UpdateLayout();
        InvalidateRect({0, 0, mFrame.width, mFrame.height}, mLayout->clipToParent);
    }
}

int32_t LControl::CreateChildren(const RCPtr<LControlDescriptor>& descriptor) {
    mChildren.Clear();
    RCPtr<LControlFactory> factory = LControlFactory::GetCurrent();
    if (descriptor && factory) {
        RCPtr<LControl> self = Self();
        const LControlDescriptor::ChildList& children = descriptor->GetChildren();
        for (uint32_t i = 0; i < children.GetCount(); ++i) {
            bool deferred = false;
            if (ReadBoolParam(children.GetAt(i)->GetCreateParams(), u"DEFER_CREATE", deferred) && deferred) {
                continue;
            }
            factory->CreateControl(children.GetAt(i), self);
        }
    }
    UpdateLayout();
    return S_OK;
}

int32_t LControl::Initialize() {
    mNotificationCenter = GetMainNotificationCenter();
    mHandler = LNotificationHandler<LControl>::Create(this);
    ReadCreateParams();
    if (mStringTable) {
        mToolTipText = WString();
        mStringTable->GetString(u"TOOLTIP", mToolTipText);
        mLocalHotKeys.LoadFromStringTable(mStringTable, WString(u"LHK"));
    }
    if (mParent != nullptr && mLocalHotKeys.GetCommandCount() != 0) {
        mHandler->AddHandler(&LControl::OnSiblingKeyNotification, RCPtr<LNotificationDistributor>(mParent),
                             u"NID_SIBLING_KEY", 0);
        mHandler->AddDirectHandler(&LControl::OnSiblingKeyNotification, u"NID_SIBLING_KEY");
    }
    return S_OK;
}

int32_t LControl::ReadCreateParams() {
    const RCPtr<LStringTable> params = mDescriptor ? mDescriptor->GetCreateParams() : nullptr;
    WString text;
    if (params && params->GetString(u"INITIAL_VALUE", text)) {
        SetNormalizedValue(Text::ToDouble(text.GetString()));
    }
    bool value = false;
    if (ReadBoolParam(params, u"NOT_FOCUSABLE", value)) {
        SetNotFocusable(value);
    } else {
        SetNotFocusable(mLayout && mLayout->tabStop < 0);
    }
    if (ReadBoolParam(params, u"USE_PARENT_TOOLTIP", value)) {
        mUseParentToolTip = value;
    }
    if (ReadBoolParam(params, u"WANTS_TAB", value)) {
        mWantsTab = value;
    }
    return S_OK;
}

int32_t LControl::AttachChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor) {
    if (!child || !descriptor) {
        return E_FAIL;
    }
    const int32_t result = child->SetParent(Self());
    if (result >= 0) {
        child->ApplyDescriptor(descriptor);
    }
    return result;
}

int32_t LControl::PostInitialize() {
    return S_OK;
}

}  // namespace QV
