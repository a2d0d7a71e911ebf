#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

void LParameterizedModule::SetFirstParamID(LParameterizedModule* parentModule, int32_t first,
                                           int32_t childIndex) {
    parent = parentModule;
    firstParamID = first;
    index = childIndex;
}

QV::ConstRCPtr<LParameterizedModule> LParameterizedModule::GetModule(int32_t id) const {
    return const_cast<LParameterizedModule*>(this)->GetModule(id);
}

QV::RCPtr<LParameterizedModule> LParameterizedModule::GetModule(int32_t /*id*/) {
    return QV::RCPtr<LParameterizedModule>(this);
}

int32_t LParameterizedModule::StoreParamValue(const QV::ParamDescriptor& descriptor,
                                              const QV::Variant& value) {
    return parent != nullptr ? parent->StoreParamValue(descriptor, value) : -1;
}

QV::Variant LParameterizedModule::LoadParamValue(const QV::ParamDescriptor& descriptor) {
    return parent != nullptr ? parent->LoadParamValue(descriptor) : QV::Variant();
}

QV::Variant LParameterizedModule::GetParamValueDefault(int32_t /*id*/) {
    return QV::Variant();
}

void LParameterizedModule::BroadcastDeviceConfigured() {}

void LParameterizedModule::BroadcastReserved() {}

int32_t LParameterizedModule::ReservedQuery(int32_t /*argument*/) {
    return 1;
}

void LParameterizedModule::ReservedForwardA(int32_t a, int32_t b, int32_t c, int32_t d) {
    if (parent != nullptr) {
        parent->ReservedForwardB(a, b, c, d);
    }
}

void LParameterizedModule::ReservedForwardB(int32_t a, int32_t b, int32_t c, int32_t d) {
    if (parent != nullptr) {
        parent->ReservedForwardB(a, b, c, d);
    }
}

int32_t LParameterizedModule::SetCachedParamValue(const QV::ParamDescriptor& descriptor,
                                                  const QV::Variant& value) {
    return parent != nullptr ? parent->SetCachedParamValue(descriptor, value) : QV::E_FAIL;
}

QV::Variant LParameterizedModule::GetCachedParamValue(const QV::ParamDescriptor& descriptor) {
    return parent != nullptr ? parent->GetCachedParamValue(descriptor) : QV::Variant();
}

QV::RCPtr<LParameterizedModule> LParameterizedModule::GetParent() const {
    return QV::RCPtr<LParameterizedModule>(parent);
}

QV::RCPtr<LParameterizedModule> LParameterizedModule::GetRoot() const {
    const LParameterizedModule* root = this;
    while (root->parent != nullptr) {
        root = root->parent;
    }
    return QV::RCPtr<LParameterizedModule>(const_cast<LParameterizedModule*>(root));
}

void LParameterizedModule::DetachChild(LParameterizedModule* child,
                                       const LParameterizedModule* formerParent) {
    if (child != nullptr && child->parent == formerParent) {
        child->parent = nullptr;
    }
}

IRootModule::IRootModule(bool startOffline) : offline(startOffline) {
    parent = nullptr;
    firstParamID = 0;
    index = 0;
    ownsParameter = 0;
}

void IRootModule::SetFirstParamID(LParameterizedModule* parentModule, int32_t first, int32_t childIndex) {
    LParameterizedModule::SetFirstParamID(parentModule, first, childIndex);
    QV::RCPtr<IDevice> device = GetDevice();
    if (device) {
        device->SetFirstParamID(this, first, 0);
    }
}

QV::RCPtr<LParameterizedModule> IRootModule::GetModule(int32_t id) {
    if (ParamIDOffset(id, firstParamID) >= static_cast<uint32_t>(kDeviceParameterCount)) {
        return nullptr;
    }
    QV::RCPtr<IDevice> device = GetDevice();
    return device ? device->GetModule(id) : nullptr;
}

void IRootModule::BroadcastDeviceConfigured() {
    QV::RCPtr<IDevice> device = GetDevice();
    if (device) {
        device->BroadcastDeviceConfigured();
    }
}

void IRootModule::BroadcastReserved() {
    QV::RCPtr<IDevice> device = GetDevice();
    if (device) {
        device->BroadcastReserved();
    }
}

QV::ConstRCPtr<LParameterizedModule> IRootModule::GetSpecialModule(int32_t id) const {
    return const_cast<IRootModule*>(this)->GetSpecialModule(id);
}

QV::RCPtr<LParameterizedModule> IRootModule::GetSpecialModule(int32_t /*id*/) {
    return nullptr;
}

int32_t IRootModule::SetParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) {
    if (offline) {
        return SetCachedParamValue(descriptor, value);
    }
    const int32_t id = descriptor.paramID;
    QV::RCPtr<LParameterizedModule> module;
    if (id >= 0) {
        module = GetModule(id);
    } else if (IsModuleSpecialParamID(id)) {
        module = GetSpecialModule(id);
    }
    if (module) {
        module->SetParamValueLocal(descriptor, value, false);
    }
    return SetCommunicationParamValue(descriptor, value);
}

int32_t IRootModule::GetParamValue(const QV::ParamDescriptor& descriptor, QV::Variant& out) {
    if (offline) {
        out = GetCachedParamValue(descriptor);
        return QV::S_OK;
    }
    QV::RCPtr<LParameterizedModule> module = GetModule(descriptor.paramID);
    if (!module) {
        out.Clear();
        return QV::E_FAIL;
    }
    out = module->GetParamValueLocal(descriptor);
    return QV::S_OK;
}

QV::ConstRCPtr<IDevice> IRootModule::GetDevice() const {
    return const_cast<IRootModule*>(this)->GetDevice();
}
