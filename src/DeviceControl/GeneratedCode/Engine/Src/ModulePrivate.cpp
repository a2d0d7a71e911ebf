#include "DeviceControl/GeneratedCode/Engine/Inc/ModulePrivate.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"

void LModulePrivate::ForwardSpecialParam(const QV::ParamDescriptor& descriptor, const QV::Variant& value) {
    QV::RCPtr<IRootModule> root(module->GetRoot());
    if (root) {
        root->SetCommunicationParamValue(descriptor, value);
    }
}

int32_t LModulePrivate::TranslateSpecialParam(const QV::ParamDescriptor& /*descriptor*/,
                                              const QV::Variant& value, QV::ParamDescriptor& localDescriptor,
                                              QV::Variant& /*localValue*/) {
    uint32_t size = 0;
    value.GetData(size);
    localDescriptor.paramID = OffsetParamID(module->GetFirstParamID(), static_cast<uint32_t>(-1));
    localDescriptor.qualifier.Clear();
    return -1;
}
