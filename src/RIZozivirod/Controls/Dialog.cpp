#include "RIZozivirod/Controls/Dialog.h"

#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/ControlBase/RootWindowInterface.h"

namespace QV {

namespace {

struct StandardButton {
    const char16_t* name;
    int32_t code;
};

constexpr StandardButton kStandardButtons[] = {
    {u"buttonOK", 1},    {u"buttonClose", 1},  {u"buttonCancel", 2}, {u"buttonAbort", 3},
    {u"buttonRetry", 4}, {u"buttonIgnore", 5}, {u"buttonYes", 6},    {u"buttonNo", 7},
};

}  // namespace

LDialog::LDialog(const RCPtr<LControl>& parent, const WString& name) : LScrollView(parent, name) {}

LDialog::~LDialog() = default;

int32_t LDialog::Initialize() {
    const int32_t result = LScrollView::Initialize();
    mDialogHandler = LNotificationHandler<LDialog>::Create(this);
    if (mDialogHandler) {
        for (size_t i = std::size(kStandardButtons); i > 0; --i) {
            const RCPtr<LControl> button = FindChild(kStandardButtons[i - 1].name);
            if (button) {
                mDialogHandler->AddHandler(&LDialog::OnButtonClicked,
                                           RCPtr<LNotificationDistributor>(button.Get()), u"NID_LEFT_CLICK",
                                           0);
            }
        }
    }
    return result;
}

int32_t LDialog::OnButtonClicked(const RCPtr<LNotificationDistributor>& source, const RCPtr<LNotification>&) {
    auto* control = dynamic_cast<LControl*>(source.Get());
    if (control == nullptr) {
        return 1;
    }
    for (const StandardButton& button : kStandardButtons) {
        if (control->GetName() != button.name) {
            continue;
        }
        if (button.code == 1) {
            // OK and Close take the focus first, so that an edit in progress is committed.
            if (control->SetFocus(true) >= 0) {
                EndDialog(1);
            }
        } else {
            EndDialog(button.code);
        }
        break;
    }
    return 1;
}

void LDialog::EndDialog(int32_t endCode) {
    const RCPtr<LDialog> hold(this);
    mEndCode = endCode;
    RCPtr<LCancelArgs> args(new LCancelArgs());
    LNotificationDistributor::Notify(LNotification::Create(u"NID_DIALOG_CLOSING", args));
    if (args->cancel) {
        return;
    }
    if (RCPtr<IRootWindow> window = GetRootWindow()) {
        window->RequestClose(mEndCode);
    }
    LNotificationDistributor::Notify(LNotification::Create(u"NID_DIALOG_CLOSED", nullptr));
    OnDialogClosed();
}

int32_t LDialog::DoModal() {
    return GetApplicationServices().DoModal(RCPtr<LControl>(this), true);
}

void LDialog::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                  const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mDialogHandler && mDialogHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    DeliverToViewHandlers(sender, notification);
}

int32_t LDialog::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                           const WChar* name) {
    if (mDialogHandler) {
        mDialogHandler->RemoveHandler(distributor, name);
    }
    return LScrollView::UnregisterForNotification(distributor, name);
}

}  // namespace QV
