// The module tree's one call into its device side.

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"
#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"

int32_t IRootModule::SetCommunicationParamValue(const QV::ParamDescriptor& descriptor,
                                                const QV::Variant& value) {
    QV::RCPtr<LDeviceCommunicationInterface> communication = GetCommunicationInterface();
    return communication ? communication->SetParamValue(descriptor, value) : -1;
}
