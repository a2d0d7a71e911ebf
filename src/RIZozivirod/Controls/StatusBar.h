#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Notification/NotificationQueue.h"

namespace QV {

class LLabel;

// One line of status text ("Framework.StatusBar") in its label "label1". Texts are set at once
// on the user-interface thread, or posted from any thread into the bar's own queue, which the
// bar drains on every idle pass; the posts coalesce, so only the newest one shows. The label's
// "LABEL" string is the default text the application returns to. Never takes the focus.
class LStatusBar : public LControl, public LNotificationQueue {
public:
    LStatusBar(const RCPtr<LControl>& parent, const WString& name);

    // Closing the bar is closing the control; the queue closes with the internal references.
    using LControl::Close;

    void OnIdleTick() override;
    int32_t Initialize() override;
    int32_t ReadCreateParams() override;
    int32_t ReleaseInternalReferences() override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    WString GetDefaultStatusText() const { return mDefaultText; }
    // User-interface thread: shows the text now, after anything posted before it.
    int32_t SetStatusTextNow(const WString& text);
    // Any thread: the text shows on the next idle pass unless a newer one is posted first.
    int32_t PostStatusText(const WString& text);
    const RCPtr<LLabel>& GetLabel() const { return mLabel; }

protected:
    ~LStatusBar() override;

private:
    int32_t OnSetStatusText(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LStatusBar>> mStatusHandler;
    RCPtr<LLabel> mLabel;
    WString mDefaultText;
    bool mTargetsItself = false;
};

}  // namespace QV
