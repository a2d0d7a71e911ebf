#include "UI/DriverCommon/MainControl.h"

#include <new>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Platform/Desktop/DesktopShell.h"
#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "RIZozivirod/ObjectBase/RefCountedPair.h"
#include "RIZozivirod/ObjectBase/Wrapper.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "UI/DeviceView.h"
#include "UI/DriverCommon/EditorEngine.h"

namespace QV {

namespace {

using ParamChange = LPair<ParamDescriptor, Variant, ParamDescriptorToString>;
using ParamChangeList = LWrapper<ParamValues, LRefCountedObject>;

// The ids of the engine's notices that no parameter has.
constexpr int32_t kHardwareConfigurationNotice = -2;
constexpr int32_t kDeviceNameNotice = -8;

bool IsSameParam(const ParamDescriptor& a, const ParamDescriptor& b) {
    return a.paramID == b.paramID && a.qualifier == b.qualifier;
}

}  // namespace

LMainControl::LMainControl(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LMainControl::~LMainControl() = default;

int32_t LMainControl::Initialize() {
    int32_t result = LControl::Initialize();
    if (result >= 0) {
        try {
            mHandler = LNotificationHandler<LMainControl>::Create(this);
        } catch (const std::bad_alloc&) {
            result = E_FAIL;
        }
    }
    if (result >= 0) {
        RCPtr<LControl> view = FindChild(u"viewDevice");
        mDeviceView = RCPtr<LDeviceView>(dynamic_cast<LDeviceView*>(view.Get()));
        QV_CHECK_NULL(mDeviceView.Get(), "LMainControl couldn't find viewDevice");
        RCPtr<LNotificationDistributor> centre(GetNotificationCenter() ? GetNotificationCenter()
                                                                       : GetMainNotificationCenter());
        QV_CHECK_RESULT(mHandler->AddHandler(&LMainControl::OnParamModuleStateChange, centre,
                                             u"NID_PARAM_MODULE_STATE_CHANGE", 0));
        IRootModule::SetFirstParamID(nullptr, GetEditorEngine().GetFirstParamID(), 0);
    }
    GetEditorEngine().Enable(true);
    return result;
}

int32_t LMainControl::GetInitialWindowRect(RectT<double>&) {
    GetEditorEngine().Enable(true);
    return 0;
}

void LMainControl::NotifyParamChanged(const ParamDescriptor& descriptor, const Variant& value) {
    if (descriptor.paramID == mApplying.paramID && descriptor.qualifier == mApplying.qualifier) {
        return;
    }
    GetEditorEngine().SetParamValue(descriptor, value);
}

RCPtr<LDeviceCommunicationInterface> LMainControl::GetCommunicationInterface() {
    return nullptr;
}

RCPtr<IDevice> LMainControl::GetDevice() {
    return mDeviceView ? RCPtr<IDevice>(static_cast<IDevice*>(mDeviceView.Get())) : nullptr;
}

int32_t LMainControl::OnParamModuleStateChange(const RCPtr<LNotificationDistributor>&,
                                               const RCPtr<LNotification>& notification) {
    const RCPtr<LRefCountedObject> payload = notification ? notification->GetParam() : nullptr;
    if (const auto* change = dynamic_cast<const ParamChange*>(payload.Get())) {
        ApplyParamValue(change->first, change->second);
    } else if (const auto* list = dynamic_cast<const ParamChangeList*>(payload.Get())) {
        if (list->kind == Variant::List) {
            const uint32_t count = list->GetListCount();
            for (uint32_t i = 0; i < count; ++i) {
                ParamDescriptor descriptor;
                Variant value;
                if (list->GetItem(i, value, descriptor.paramID, descriptor.qualifier) >= 0) {
                    ApplyParamValue(descriptor, value);
                }
            }
        }
    }
    return 1;
}

int32_t LMainControl::ApplyParamValue(const ParamDescriptor& descriptor, const Variant& value) {
    const RCPtr<LMainControl> hold(this);
    mApplying = descriptor;
    if (descriptor.paramID == kHardwareConfigurationNotice) {
        if (value.kind == Variant::Empty) {
            Array<Variant> devices;
            if (GetEditorEngine().GetDeviceList(devices) < 0) {
                GetApplicationServices().ShowMessageBox(GetString(u"HARDWARE_CONFIG_ERROR_MESSAGE"),
                                                        GetString(u"HARDWARE_CONFIG_ERROR_TITLE"),
                                                        Platform::MB_OK | Platform::MB_ICONERROR);
                if (RCPtr<LNotificationCenter> centre = GetMainNotificationCenter()) {
                    centre->PostNotification(u"NID_APP_EXIT_REQ", nullptr);
                }
            }
        }
    } else if (descriptor.paramID != kDeviceNameNotice && value.kind != Variant::Empty) {
        const RCPtr<LParameterizedModule> module = GetModule(descriptor.paramID);
        const auto* panel = dynamic_cast<const LControl*>(module.Get());
        if (module && (panel == nullptr || panel->IsCreated())) {
            // A value held for the id is older than this one.
            std::erase_if(mHeldValues,
                          [&](const ParamValue& held) { return IsSameParam(held.descriptor, descriptor); });
            module->SetParamValueLocal(mApplying, value, true);
        } else if (ParamIDOffset(descriptor.paramID, GetFirstParamID()) <
                   static_cast<uint32_t>(kDeviceParameterCount)) {
            Hold(descriptor, value);
        }
    }
    mApplying = ParamDescriptor();
    return 0;
}

void LMainControl::Hold(const ParamDescriptor& descriptor, const Variant& value) {
    for (ParamValue& held : mHeldValues) {
        if (IsSameParam(held.descriptor, descriptor)) {
            held.value = value;
            return;
        }
    }
    mHeldValues.emplace_back(descriptor.paramID, descriptor.qualifier, value);
}

void LMainControl::ApplyHeldValues() {
    const RCPtr<LMainControl> hold(this);
    std::vector<ParamValue> held;
    held.swap(mHeldValues);
    // What still finds no built panel is held again.
    for (const ParamValue& value : held) {
        ApplyParamValue(value.descriptor, value.value);
    }
}

void LMainControl::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                       const RCPtr<LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    LControl::ReceiveNotification(sender, notification);
}

int32_t LMainControl::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                const WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return LControl::UnregisterForNotification(distributor, name);
}

}  // namespace QV
