// Arbitrary bytes as a ".kyp" preset file: the reader never crashes, a refused file yields no
// record at all (so nothing of it could be applied), every record it accepts is one of the 37
// parameters with that parameter's length, and a preset it accepts whole saves to a file that
// reads back the same.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "UI/DriverCommon/PresetFileFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace Format = QV::PresetFileFormat;
    std::vector<Format::Record> records;
    const int32_t result = Format::ParseFile(data, size, records);
    if (result != Format::kLoaded) {
        if (!records.empty() || result < Format::kWrongDevice || result > Format::kOlderFile) {
            __builtin_trap();
        }
        return 0;
    }
    QV::Array<QV::ParamValue> values;
    values.SetCount(kDeviceParameterCount);
    std::vector<bool> seen(kDeviceParameterCount, false);
    for (const Format::Record& record : records) {
        uint32_t length = 0;
        record.value.GetData(length);
        if (record.index < 0 || record.index >= kDeviceParameterCount ||
            record.value.kind != QV::Variant::Blob || length != kDeviceParameterLengths[record.index]) {
            __builtin_trap();
        }
        values.GetAt(static_cast<uint32_t>(record.index)).value = record.value;
        seen[static_cast<size_t>(record.index)] = true;
    }
    for (bool present : seen) {
        if (!present) {
            return 0;
        }
    }
    std::vector<uint8_t> saved;
    std::vector<Format::Record> again;
    if (Format::BuildFile(values, saved) < 0 || saved.size() != 1071 ||
        Format::ParseFile(saved.data(), saved.size(), again) != Format::kLoaded ||
        again.size() != static_cast<size_t>(kDeviceParameterCount)) {
        __builtin_trap();
    }
    for (size_t i = 0; i < again.size(); ++i) {
        if (again[i].index != static_cast<int32_t>(i) ||
            again[i].value != values.GetAt(static_cast<uint32_t>(i)).value) {
            __builtin_trap();
        }
    }
    return 0;
}
