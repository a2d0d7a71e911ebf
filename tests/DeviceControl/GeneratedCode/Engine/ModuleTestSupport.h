#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/Device.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"
#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"

namespace ModuleTestSupport {

inline QV::Variant Blob(const std::vector<uint8_t>& bytes) {
    QV::Variant value;
    value.SetBlob(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return value;
}

// The bytes of a blob; an empty list for any other kind.
inline std::vector<uint8_t> Bytes(const QV::Variant& value) {
    if (value.kind != QV::Variant::Blob) {
        return {};
    }
    uint32_t size = 0;
    const auto* data = static_cast<const uint8_t*>(value.GetData(size));
    return std::vector<uint8_t>(data, data + size);
}

// Records what the tree hands to its device side.
class FakeCommunication : public LDeviceCommunicationInterface {
public:
    struct Write {
        int32_t id;
        std::vector<uint8_t> bytes;
    };

    int32_t SetParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) override {
        writes.push_back({descriptor.paramID, Bytes(value)});
        return result;
    }

    std::vector<Write> writes;
    int32_t result = 0;
};

// A root over the real LDevice tree that keeps values in a map by absolute id, the way the
// model's root ends every upward chain in its cache.
class TestRoot : public IRootModule {
public:
    static QV::RCPtr<TestRoot> Create(bool startOffline = false) {
        QV::RCPtr<TestRoot> root(new TestRoot(startOffline));
        root->device = LDevice::Create();
        return root;
    }

    void NotifyParamChanged(const QV::ParamDescriptor& descriptor, const QV::Variant& /*value*/) override {
        notified.push_back(descriptor.paramID);
    }
    QV::RCPtr<LDeviceCommunicationInterface> GetCommunicationInterface() override { return communication; }
    QV::RCPtr<IDevice> GetDevice() override { return device; }
    int32_t StoreParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) override {
        return SetCachedParamValue(descriptor, value);
    }
    QV::Variant LoadParamValue(const QV::ParamDescriptor& descriptor) override {
        return GetCachedParamValue(descriptor);
    }
    int32_t SetCachedParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) override {
        cache[descriptor.paramID] = Bytes(value);
        return 0;
    }
    QV::Variant GetCachedParamValue(const QV::ParamDescriptor& descriptor) override {
        const auto found = cache.find(descriptor.paramID);
        return found == cache.end() ? QV::Variant() : Blob(found->second);
    }

    void SetOffline(bool value) { offline = value; }

    QV::RCPtr<LDevice> device;
    QV::RCPtr<FakeCommunication> communication;
    std::map<int32_t, std::vector<uint8_t>> cache;
    std::vector<int32_t> notified;

private:
    explicit TestRoot(bool startOffline) : IRootModule(startOffline) {}
};

}  // namespace ModuleTestSupport
