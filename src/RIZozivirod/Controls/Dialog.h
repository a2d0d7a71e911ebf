#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/ScrollView.h"
#include "RIZozivirod/Notification/NotificationHandler.h"

namespace QV {

// The parameter of "NID_DIALOG_CLOSING": a listener that sets cancel keeps the dialog open.
class LCancelArgs : public LRefCountedObject {
public:
    bool cancel = false;
};

// The root control of a dialog window. Its standard buttons (direct children "buttonOK",
// "buttonClose", "buttonCancel", "buttonAbort", "buttonRetry", "buttonIgnore", "buttonYes",
// "buttonNo") end it with their codes; listeners may veto the end; it runs modally through the
// application.
class LDialog : public LScrollView {
public:
    LDialog(const RCPtr<LControl>& parent, const WString& name);

    // Binds the standard buttons that are direct children.
    int32_t Initialize() override;
    // Runs the dialog in a modal window of its own; the end code, or E_FAIL.
    virtual int32_t DoModal();
    // Called after "NID_DIALOG_CLOSED" was sent.
    virtual void OnDialogClosed() {}

    // Stores the code, asks the listeners ("NID_DIALOG_CLOSING" with LCancelArgs), and unless one
    // vetoes asks the window to close with the code and sends "NID_DIALOG_CLOSED".
    void EndDialog(int32_t endCode);
    int32_t GetEndCode() const { return mEndCode; }

    // Bound to "NID_LEFT_CLICK" of the standard buttons; returns 1.
    int32_t OnButtonClicked(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

protected:
    ~LDialog() override;

private:
    RCPtr<LNotificationHandler<LDialog>> mDialogHandler;
    int32_t mEndCode = 0;
};

}  // namespace QV
