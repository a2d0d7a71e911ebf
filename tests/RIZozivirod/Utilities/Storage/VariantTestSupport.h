#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Variant.h"

// Small builders shared by the Variant, record and parameter tests.
namespace QV::TestSupport {

using Bytes = std::vector<uint8_t>;

template <class T>
Variant Scalar(Variant::Kind kind, T scalar) {
    Variant v;
    v.Set(kind, &scalar, sizeof(T));
    return v;
}

inline Variant Int32(int32_t x) {
    return Scalar(Variant::Int32, x);
}

inline Variant Blob(const Bytes& bytes) {
    Variant v;
    v.SetBlob(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return v;
}

inline Variant Text(const char* text) {
    Variant v;
    v.SetString(text);
    return v;
}

// Set never makes the borrowing kinds: fill the fields as the device library does.
inline Variant Borrowed(Variant::Kind kind, const void* data, uint32_t length) {
    Variant v;
    v.value.pointer = const_cast<void*>(data);
    v.length = length;
    v.kind = kind;
    return v;
}

inline Variant ListOf(std::initializer_list<Variant> items) {
    std::vector<Variant> copies(items);
    Variant v;
    v.SetList(copies.data(), static_cast<uint32_t>(copies.size()));
    return v;
}

inline Bytes DataOf(const Variant& v) {
    uint32_t size = 0;
    const uint8_t* data = static_cast<const uint8_t*>(v.GetData(size));
    return data == nullptr ? Bytes() : Bytes(data, data + size);
}

inline Bytes RecordOf(const Variant& v) {
    Bytes out(DataOf(v).size() + 12, 0xEE);
    const int32_t written = Variant::Serialize(v, out.data(), static_cast<uint32_t>(out.size()));
    out.resize(written < 0 ? 0 : static_cast<size_t>(written));
    return out;
}

// A record header (size, version, kind) followed by the payload.
inline Bytes Record(uint32_t size, uint32_t version, uint32_t kind, const Bytes& payload = {}) {
    Bytes out;
    for (uint32_t field : {size, version, kind}) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<uint8_t>(field >> (8 * i)));
        }
    }
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

// A List whose content is exactly these bytes, unchecked.
inline Variant RawList(const Bytes& content) {
    Variant v;
    v.Set(Variant::List, content.data(), static_cast<uint32_t>(content.size()));
    return v;
}

}  // namespace QV::TestSupport
