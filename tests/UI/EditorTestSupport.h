#pragma once

#include <cstdint>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/Device.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "UI/DriverCommon/EditorEngine.h"

namespace EditorTestSupport {

// The model's default record of every parameter, in id order.
inline std::vector<QV::Variant> ModelDefaults() {
    const QV::RCPtr<LDevice> device = LDevice::Create();
    device->SetFirstParamID(nullptr, 0, 0);
    std::vector<QV::Variant> defaults;
    for (int32_t id = 0; id < kDeviceParameterCount; ++id) {
        defaults.push_back(device->GetModule(id)->GetParamValueDefault(id));
    }
    return defaults;
}

inline QV::Variant Blob(std::vector<uint8_t> bytes) {
    QV::Variant value;
    value.SetBlob(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return value;
}

// An engine for the editor's tests, installed while it lives: a cache of the 37 parameters that
// starts at the model's defaults, and a record of every write and of the polling switches.
class FakeEditorEngine : public QV::IEditorEngine {
public:
    FakeEditorEngine() : cache(ModelDefaults()), defaults(cache), mPrevious(QV::SetEditorEngine(this)) {}
    ~FakeEditorEngine() override { QV::SetEditorEngine(mPrevious); }
    FakeEditorEngine(const FakeEditorEngine&) = delete;
    FakeEditorEngine& operator=(const FakeEditorEngine&) = delete;

    int32_t GetFirstParamID() override { return 0; }
    int32_t SetParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) override {
        writes.emplace_back(descriptor.paramID, descriptor.qualifier, value);
        if (descriptor.paramID >= 0 && descriptor.paramID < kDeviceParameterCount) {
            cache[static_cast<size_t>(descriptor.paramID)] = value;
        }
        return setResult;
    }
    int32_t GetParamValues(const QV::ParamRange& range, QV::Array<QV::ParamValue>& out, int32_t) override {
        return Fill(cache, range, out);
    }
    int32_t GetParamValueDefaults(const QV::ParamRange& range, QV::Array<QV::ParamValue>& out,
                                  int32_t) override {
        return Fill(defaults, range, out);
    }
    int32_t Enable(bool on) override {
        enables.push_back(on);
        return enableResult;
    }
    int32_t GetDeviceList(QV::Array<QV::Variant>&) override {
        ++deviceListCalls;
        return deviceListResult;
    }

    std::vector<QV::Variant> cache;
    std::vector<QV::Variant> defaults;
    std::vector<QV::ParamValue> writes;
    std::vector<bool> enables;
    // How many values GetParamValues hands out (fewer than asked: an engine that lost some).
    int32_t valuesDelivered = kDeviceParameterCount;
    int32_t setResult = 0;
    int32_t enableResult = 0;
    int32_t deviceListResult = 0;
    int32_t deviceListCalls = 0;

private:
    int32_t Fill(const std::vector<QV::Variant>& from, const QV::ParamRange& range,
                 QV::Array<QV::ParamValue>& out) {
        out.RemoveAll();
        for (int32_t i = 0; i < range.count && i < valuesDelivered; ++i) {
            const int32_t id = range.firstParamID + i;
            out.Add(QV::ParamValue(
                id, QV::Variant(),
                id >= 0 && id < kDeviceParameterCount ? from[static_cast<size_t>(id)] : QV::Variant()));
        }
        return 0;
    }

    QV::IEditorEngine* mPrevious;
};

}  // namespace EditorTestSupport
