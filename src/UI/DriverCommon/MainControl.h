#pragma once

#include <cstdint>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"

class LDeviceView;

namespace QV {

// The root of the editor's control tree ("mainControl") and of its view tree of parameter
// modules: the device view below it stands for the device, each edit panel for the parameter it
// shows, with the engine's ids. It is the editor's one door to the engine both ways: an edit a
// panel reports goes to the engine, and every change of the engine's values comes back queued as
// "NID_PARAM_MODULE_STATE_CHANGE" and is applied to the panel of that id. While a value is
// applied, the edits of that parameter are its echo (the panel's controls report what was set
// on them) and are dropped. User-interface thread.
class LMainControl : public LControl, public IRootModule {
public:
    LMainControl(const RCPtr<LControl>& parent, const WString& name);

    // The control, the device view ("viewDevice", required), the registration for the engine's
    // changes and the view tree's ids; the engine's polling is switched on in every case. The
    // base's result, or E_FAIL when the handler table cannot be made.
    int32_t Initialize() override;
    // Switches the engine's polling on; the window keeps the skin's rectangle (0).
    int32_t GetInitialWindowRect(RectT<double>& rect) override;

    // An edit of the view: to the engine, unless it is of the parameter (id and qualifier) whose
    // value is being applied.
    void NotifyParamChanged(const ParamDescriptor& descriptor, const Variant& value) override;
    // The view has no device communication.
    RCPtr<LDeviceCommunicationInterface> GetCommunicationInterface() override;
    using IRootModule::GetDevice;
    // The device view's module part; null without one.
    RCPtr<IDevice> GetDevice() override;

    // A single value or a list of values of the engine, each applied in list order. 1.
    int32_t OnParamModuleStateChange(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification);
    // Applies one value to the view: id -2 with an empty value is the engine's notice that the
    // connected keyboards changed (an unreadable device list ends the program after an error
    // box), -8 the device's name (nothing to show), any other id goes to the module of that id.
    // Empty values and ids no module serves change nothing; a preset id whose panel is not built
    // yet (on a page built later, or a panel not created yet) is held, the last value of each
    // id, for ApplyHeldValues. 0.
    int32_t ApplyParamValue(const ParamDescriptor& descriptor, const Variant& value);
    // Applies the values held, in the order they first came, to the panels built since; the
    // others stay held.
    void ApplyHeldValues();

    // The descriptor of the value being applied; id -1 when none is.
    const ParamDescriptor& GetApplyingDescriptor() const { return mApplying; }
    const RCPtr<LDeviceView>& GetDeviceView() const { return mDeviceView; }

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

protected:
    ~LMainControl() override;

private:
    void Hold(const ParamDescriptor& descriptor, const Variant& value);

    RCPtr<LNotificationHandler<LMainControl>> mHandler;
    ParamDescriptor mApplying;
    RCPtr<LDeviceView> mDeviceView;
    std::vector<ParamValue> mHeldValues;
};

}  // namespace QV
