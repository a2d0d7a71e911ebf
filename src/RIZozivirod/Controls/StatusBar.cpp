#include "RIZozivirod/Controls/StatusBar.h"

#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/ObjectBase/Wrapper.h"

namespace QV {

namespace {

using StatusText = LWrapperStringable<WString, &StringToString, LTaggableObject>;

}  // namespace

LStatusBar::LStatusBar(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LStatusBar::~LStatusBar() = default;

void LStatusBar::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                     const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mStatusHandler && mStatusHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    DeliverToControlHandler(sender, notification);
}

int32_t LStatusBar::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                              const WChar* name) {
    if (mStatusHandler) {
        mStatusHandler->RemoveHandler(distributor, name);
    }
    return LControl::UnregisterForNotification(distributor, name);
}

int32_t LStatusBar::ReadCreateParams() {
    const int32_t result = LControl::ReadCreateParams();
    SetNotFocusable(true);
    return result;
}

int32_t LStatusBar::Initialize() {
    const int32_t result = LControl::Initialize();
    mStatusHandler = LNotificationHandler<LStatusBar>::Create(this);
    // The bar shows nothing without its label: a skin without one is refused here.
    mLabel = RCPtr<LLabel>(dynamic_cast<LLabel*>(FindChild(u"label1").Get()));
    QV_CHECK_NULL(mLabel.Get(), "Cannot find child label1");
    mDefaultText = mLabel->GetString(u"LABEL");
    RCPtr<LNotificationDistributor> self(this);
    mStatusHandler->AddHandler(&LStatusBar::OnSetStatusText, self, u"NID_SET_STATUS_TEXT",
                               LNotificationDistributor::kCoalesce);
    if (SetTargetDistributor(self) >= 0) {
        AddInternalReferences(1);
        mTargetsItself = true;
    }
    BeginIdleWork();
    return result;
}

int32_t LStatusBar::ReleaseInternalReferences() {
    LNotificationQueue::Close();
    if (mTargetsItself) {
        mTargetsItself = false;
        AddInternalReferences(-1);
    }
    return LControl::ReleaseInternalReferences();
}

void LStatusBar::OnIdleTick() {
    RCPtr<LControl> hold(this);
    ProcessQueue(false);
}

int32_t LStatusBar::OnSetStatusText(const RCPtr<LNotificationDistributor>&,
                                    const RCPtr<LNotification>& notification) {
    const RCPtr<LRefCountedObject> param = notification ? notification->GetParam() : nullptr;
    if (param && mLabel) {
        mLabel->SetText(param->ToString());
    }
    return 1;
}

int32_t LStatusBar::SetStatusTextNow(const WString& text) {
    RCPtr<LControl> hold(this);
    // Whatever was posted before this text is older: shown (and replaced) first.
    ProcessQueue(false);
    mLabel->SetText(text);
    return S_OK;
}

int32_t LStatusBar::PostStatusText(const WString& text) {
    return PostNotification(LNotification::Create(u"NID_SET_STATUS_TEXT",
                                                  RCPtr<LRefCountedObject>(StatusText::Create(text).Get())));
}

}  // namespace QV
