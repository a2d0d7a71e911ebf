#pragma once

#include <cstdint>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "UI/EditPanel.h"

namespace QV {
class LComboBox;
}

// The touch ribbon's page: its own settings, the bank active by default (0..2) and what a release
// does (0 return, 1 latch), over its three banks "ribbonController1" to "ribbonController3", each
// an absolute controller (the page's id + 1 + bank). User-interface thread.
class LRibbonControllersPanel : public virtual QV::LPanel, public virtual IRibbonControllers {
public:
    LRibbonControllersPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // Finds the two combo boxes and heads the banks; a missing combo box throws.
    int32_t Initialize() override;
    // Either combo box's change sends the whole record. 1.
    int32_t OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>& source,
                             const QV::RCPtr<QV::LNotification>& notification);
    // Shows a record; E_FAIL, changing nothing, for one of the wrong length.
    int32_t SetParamValueLocal(const QV::ParamDescriptor& descriptor, const QV::Variant& value,
                               bool fromDevice) override;
    using IRibbonControllers::GetRibbonController;
    // 0..2: "ribbonController1" to "ribbonController3"; null otherwise.
    QV::RCPtr<IAbsoluteController> GetRibbonController(int32_t controllerIndex) override;

    const QV::LEditRecord& GetRecord() const { return mRecord; }

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

protected:
    ~LRibbonControllersPanel() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LRibbonControllersPanel>> mHandler;
    QV::RCPtr<QV::LComboBox> mDefaultBank;
    QV::RCPtr<QV::LComboBox> mReturnMode;
    QV::LEditRecord mRecord;
};
