#include "Engine/PresetEditorCommon/RootModule.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Engine/PresetEditorCommon/EngineLockLevels.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

struct LRootModule::Private {
    QV::Mutex lock{"root module", EngineLockLevel::kRootModule};
    // The one change handed to the callback; overwritten by the next.
    QV::Array<QV::ParamValue> changeBuffer;
    // The interface delivers to this root and holds a reference of the root's own for it.
    bool receiverLinked = false;
};

QV::RCPtr<LRootModule> LRootModule::Create(bool offline) {
    QV::RCPtr<LRootModule> root(new LRootModule(offline));
    root->CreateChildren();
    return root;
}

LRootModule::LRootModule(bool startOffline) : IRootModule(startOffline), privateData(new Private()) {
    privateData->changeBuffer.SetCount(1);
}

LRootModule::~LRootModule() {
    if (communication) {
        communication->EnableDelivery(false);
        communication->Disconnect();
        // The interface may outlive the root: nothing it receives may reach the root any more.
        communication->SetReceiver(nullptr);
    }
    DetachChild(device.Get(), this);
    privateData.reset();
    cache = nullptr;
    communication = nullptr;
    device = nullptr;
}

int32_t LRootModule::ReleaseInternalReferences() {
    if (privateData->receiverLinked) {
        privateData->receiverLinked = false;
        // Waits for a delivery under way; none starts afterwards.
        communication->EnableDelivery(false);
        communication->SetReceiver(nullptr);
        AddInternalReferences(-1);
        Release();
    }
    return IRootModule::ReleaseInternalReferences();
}

void LRootModule::CreateChildren() {
    device = LDevice::Create();
}

int32_t LRootModule::Initialize(ChangeCallback callback, void* context,
                                const QV::RCPtr<LParamCache>& paramCache,
                                const QV::RCPtr<LDeviceCommunicationInterface>& communicationInterface,
                                int32_t firstParamID) {
    changeCallback = callback;
    callbackContext = context;
    cache = paramCache;
    communication = communicationInterface;
    SetFirstParamID(nullptr, firstParamID, 0);
    if (cache) {
        for (uint32_t offset = 0; offset < static_cast<uint32_t>(kDeviceParameterCount); ++offset) {
            const int32_t id = OffsetParamID(firstParamID, offset);
            QV::RCPtr<LParameterizedModule> module = GetModule(id);
            if (module) {
                cache->SetValue(QV::ParamDescriptor(static_cast<int32_t>(offset)),
                                module->GetParamValueDefault(id), false);
            }
        }
        cache->EnableNotification(true);
    }
    if (communication) {
        communication->SetReceiver(this);
        if (!privateData->receiverLinked) {
            // A delivery takes references to the root through its modules: were the root's count
            // allowed to reach zero while one runs, the delivery would destroy the root under
            // itself. So the root goes only after the last outside release has switched delivery
            // off.
            AddRef();
            AddInternalReferences(1);
            privateData->receiverLinked = true;
        }
        communication->EnableDelivery(true);
        communication->Start();
    }
    return QV::S_OK;
}

int32_t LRootModule::Connect(const QV::Variant& deviceId) {
    if (!communication) {
        offline = true;
        return -1;
    }
    communication->Disconnect();
    const int32_t result = communication->Connect(deviceId);
    if (result >= 0) {
        offline = false;
        QV::ParamRanges ranges;
        const QV::ParamRange range{firstParamID, kDeviceParameterCount};
        ranges.SetFromArray(&range, 1);
        communication->RequestParamRanges(ranges);
        communication->RequestParamValue(QV::ParamDescriptor(ParamID_Status));
    } else {
        offline = true;
    }
    return result;
}

int32_t LRootModule::DisableDelivery() {
    if (communication) {
        communication->EnableDelivery(false);
    }
    return QV::S_OK;
}

int32_t LRootModule::StoreParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) {
    return SetCachedParamValue(descriptor, value);
}

QV::Variant LRootModule::LoadParamValue(const QV::ParamDescriptor& descriptor) {
    return GetCachedParamValue(descriptor);
}

int32_t LRootModule::SetCachedParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) {
    const uint32_t index = ParamIDOffset(descriptor.paramID, firstParamID);
    if (index >= static_cast<uint32_t>(kDeviceParameterCount) || !cache) {
        return -1;
    }
    QV::ParamDescriptor slot(static_cast<int32_t>(index));
    slot.qualifier = descriptor.qualifier;
    QV::Variant cached;
    cache->GetValue(slot, cached);
    if (value.kind != QV::Variant::Empty && !(value == cached)) {
        cache->SetValue(slot, value, true);
        NotifyParamChanged(descriptor, value);
    }
    return QV::S_OK;
}

QV::Variant LRootModule::GetCachedParamValue(const QV::ParamDescriptor& descriptor) {
    QV::Variant value;
    if (!cache) {
        return value;
    }
    QV::ParamDescriptor slot(static_cast<int32_t>(ParamIDOffset(descriptor.paramID, firstParamID)));
    slot.qualifier = descriptor.qualifier;
    if (cache->GetValue(slot, value) < 0) {
        value.Clear();
    }
    return value;
}

void LRootModule::NotifyParamChanged(const QV::ParamDescriptor& descriptor, const QV::Variant& value) {
    QV::ParamValue& change = privateData->changeBuffer.GetAt(0);
    change.descriptor = descriptor;
    change.value = value;
    InvokeChangeCallback(&privateData->changeBuffer);
}

void LRootModule::InvokeChangeCallback(QV::IArray<QV::ParamValue>* changes) {
    if (changeCallback != nullptr) {
        changeCallback(callbackContext, changes);
    }
}

QV::RCPtr<LDeviceCommunicationInterface> LRootModule::GetCommunicationInterface() {
    return communication;
}

QV::RCPtr<IDevice> LRootModule::GetDevice() {
    return device;
}

QV::RCPtr<LParamCache> LRootModule::GetParamCache() {
    return cache;
}

QV::Mutex& LRootModule::GetLock() {
    return privateData->lock;
}

int32_t LRootModule::SetParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) {
    QV::CAutoLock hold(privateData->lock);
    if (descriptor.paramID == ParamID_Echo) {
        // Delivered back at once, on this thread, through OnParamValues.
        return communication && communication->EchoToReceiver(value.ToInt64()) ? QV::S_OK : QV::S_FALSE;
    }
    return IRootModule::SetParamValue(descriptor, value);
}

int32_t LRootModule::GetParamValue(const QV::ParamDescriptor& descriptor, QV::Variant& out) {
    QV::CAutoLock hold(privateData->lock);
    if (descriptor.paramID < 0) {
        if (!communication) {
            out.Clear();
            return QV::E_FAIL;
        }
        return communication->GetParamValue(descriptor, out);
    }
    return IRootModule::GetParamValue(descriptor, out);
}

void LRootModule::OnParamValues(const QV::ParamValues& received) {
    QV::CAutoLock hold(privateData->lock);
    for (uint32_t item = 0; item < received.GetListCount(); ++item) {
        QV::Variant value;
        int32_t id = -1;
        QV::Variant qualifier;
        if (received.GetItem(item, value, id, qualifier) < 0) {
            id = -1;
            value.Clear();
            qualifier.Clear();
        }
        QV::RCPtr<LParameterizedModule> module;
        if (id >= 0) {
            module = GetModule(id);
        } else if (IsModuleSpecialParamID(id)) {
            module = GetSpecialModule(id);
        }
        if (id == ParamID_DeviceConfigured && value.ToBool()) {
            BroadcastDeviceConfigured();
        }
        if (module) {
            QV::ParamDescriptor descriptor(id);
            descriptor.qualifier = qualifier;
            module->SetParamValueLocal(descriptor, value, true);
        } else {
            NotifyParamChanged(QV::ParamDescriptor(id), value);
        }
    }
}

void LRootModule::ReceiveDeviceValues(const QV::RCPtr<DeviceParamValues>& values) {
    // The last outside release may come while the values are stored: the root then goes as this
    // reference does, after its code has run.
    const QV::RCPtr<LRootModule> self(this);
    if (values) {
        OnParamValues(*values);
    }
}
