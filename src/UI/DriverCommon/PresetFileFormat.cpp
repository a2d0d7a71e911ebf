#include "UI/DriverCommon/PresetFileFormat.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {
namespace PresetFileFormat {

namespace {

uint32_t ReadU32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void AppendU32(uint32_t number, std::vector<uint8_t>& out) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(number >> shift));
    }
}

bool IsParameterRecord(int32_t index, const Variant& value) {
    if (index < 0 || index >= kDeviceParameterCount || value.kind != Variant::Blob) {
        return false;
    }
    uint32_t length = 0;
    value.GetData(length);
    return length == kDeviceParameterLengths[index];
}

}  // namespace

int32_t WriteRecord(int32_t index, const Variant& value, std::vector<uint8_t>& out) {
    uint32_t length = 0;
    value.GetData(length);
    const uint32_t recordLength = kRecordHeaderSize + 12 + length;
    const size_t start = out.size();
    AppendU32(recordLength, out);
    AppendU32(0, out);
    AppendU32(static_cast<uint32_t>(index), out);
    out.resize(start + recordLength);
    if (Variant::Serialize(value, out.data() + start + kRecordHeaderSize, recordLength - kRecordHeaderSize) !=
        static_cast<int32_t>(recordLength - kRecordHeaderSize)) {
        out.resize(start);
        return E_FAIL;
    }
    return static_cast<int32_t>(recordLength);
}

int32_t ReadRecord(const uint8_t* record, uint32_t length, int32_t& index, Variant& value,
                   uint32_t& reserved) {
    if (record == nullptr || length < kRecordHeaderSize + 4) {
        return E_FAIL;
    }
    reserved = ReadU32(record + 4);
    if (reserved != 0) {
        return E_FAIL;
    }
    index = static_cast<int32_t>(ReadU32(record + 8));
    if (Variant::Deserialize(value, record + kRecordHeaderSize, length - kRecordHeaderSize) < 0) {
        return E_FAIL;
    }
    return static_cast<int32_t>(length);
}

int32_t BuildFile(const Array<ParamValue>& values, std::vector<uint8_t>& out) {
    out.clear();
    if (values.GetCount() != static_cast<uint32_t>(kDeviceParameterCount)) {
        return E_FAIL;
    }
    AppendU32(kVersion, out);
    AppendU32(0, out);
    AppendU32(0, out);
    for (int32_t i = 0; i < kDeviceParameterCount; ++i) {
        const Variant& value = values.GetAt(static_cast<uint32_t>(i)).value;
        // A value the loader would refuse is never written: every saved file loads back.
        if (!IsParameterRecord(i, value) || WriteRecord(i, value, out) < 0) {
            out.clear();
            return E_FAIL;
        }
    }
    return S_OK;
}

namespace {

int32_t ParseRecords(const uint8_t* data, size_t size, std::vector<Record>& records) {
    if (data == nullptr || size < kHeaderSize) {
        return kUnreadable;
    }
    const uint32_t version = ReadU32(data);
    if (ReadU32(data + 4) != 0 || ReadU32(data + 8) != 0) {
        return kWrongDevice;
    }
    if (version >= 2) {
        return kNewerFile;
    }
    if (version == 0) {
        return kOlderFile;
    }
    size_t offset = kHeaderSize;
    while (offset < size) {
        const size_t left = size - offset;
        if (left < 4) {
            return kUnreadable;
        }
        const uint32_t length = ReadU32(data + offset);
        if (length < 4 || length > left) {
            return kUnreadable;
        }
        Record record;
        uint32_t reserved = 0;
        if (ReadRecord(data + offset, length, record.index, record.value, reserved) < 0 ||
            !IsParameterRecord(record.index, record.value)) {
            return kUnreadable;
        }
        records.push_back(std::move(record));
        offset += length;
    }
    return kLoaded;
}

}  // namespace

int32_t ParseFile(const uint8_t* data, size_t size, std::vector<Record>& records) {
    records.clear();
    const int32_t result = ParseRecords(data, size, records);
    if (result != kLoaded) {
        records.clear();
    }
    return result;
}

}  // namespace PresetFileFormat
}  // namespace QV
