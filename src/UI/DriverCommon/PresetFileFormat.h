#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

namespace QV {

// The ".kyp" preset file: a header of three little-endian u32 (version 1, device ids 0 and 0),
// then one record per parameter: u32 record length L (24 + n, itself included), u32 reserved 0,
// u32 parameter index, then the parameter's value as a serialised Variant record (u32 size
// 12 + n, u32 version 1, u32 kind 14, the n bytes of the parameter's record). A file of the 37
// parameters is 1071 bytes.
//
// Reading checks the whole file before anything is used: a file is either taken whole or not at
// all. Pure functions of bytes, so the fuzzers reach them without the user interface.
namespace PresetFileFormat {

inline constexpr uint32_t kVersion = 1;
inline constexpr uint32_t kHeaderSize = 12;
inline constexpr uint32_t kRecordHeaderSize = 12;
// No preset file comes near this; anything longer is refused before it is read.
inline constexpr uint32_t kMaxFileSize = 1u << 20;

// Load results, as the messages of the editor tell them apart.
inline constexpr int32_t kLoaded = 0;
inline constexpr int32_t kOlderFile = -1;
inline constexpr int32_t kNewerFile = -2;
inline constexpr int32_t kUnreadable = -3;
inline constexpr int32_t kWrongDevice = -4;

// One record of a file: the parameter's index (0 to 36) and its value, a blob of the parameter's
// record length.
struct Record {
    int32_t index = 0;
    Variant value;
};

// Appends one record (index, reserved 0, value) to out; the record's length, or E_FAIL when the
// value cannot be serialised.
int32_t WriteRecord(int32_t index, const Variant& value, std::vector<uint8_t>& out);

// Reads the record of length bytes at record (its length field included): the index, the
// reserved field and the value. The record's length, or E_FAIL when it is shorter than 16 bytes,
// its reserved field is not 0 or its Variant record is refused.
int32_t ReadRecord(const uint8_t* record, uint32_t length, int32_t& index, Variant& value,
                   uint32_t& reserved);

// The file of the 37 parameter values, in parameter order. E_FAIL (out left empty) unless there
// are exactly 37 values, each a blob of its parameter's record length.
int32_t BuildFile(const Array<ParamValue>& values, std::vector<uint8_t>& out);

// Checks a whole file and hands back its records in file order (a parameter may come more than
// once; the later record wins when they are applied). kLoaded, or the result of the first fault,
// records then left empty: kWrongDevice for device ids other than 0 and 0, kNewerFile for
// version 2 or more, kOlderFile for version 0, kUnreadable for a file shorter than its header,
// a record cut short by the end of the file, and a record that is malformed, is no blob, names
// no parameter or does not have that parameter's length.
int32_t ParseFile(const uint8_t* data, size_t size, std::vector<Record>& records);

}  // namespace PresetFileFormat

}  // namespace QV
