// UTF-8 to UTF-16 and back, against the C library's iconv: on well-formed input both give the
// same text; on input that is not well-formed the string keeps the longest well-formed prefix
// and the conversion reports a failure.
#include <errno.h>
#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace {

using QV::NString;
using QV::WString;

struct Reference {
    std::string output;   // the bytes iconv wrote before it stopped
    size_t consumed = 0;  // the input bytes they came from
    bool complete = false;
};

// iconv over the whole input; it stops before the first sequence that is not well-formed.
Reference Convert(const char* to, const char* from, const void* data, size_t size) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        __builtin_trap();
    }
    Reference result;
    result.output.resize(size * 4 + 4);
    char* in = static_cast<char*>(const_cast<void*>(data));
    size_t inLeft = size;
    char* out = result.output.data();
    size_t outLeft = result.output.size();
    result.complete = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1);
    result.output.resize(result.output.size() - outLeft);
    result.consumed = size - inLeft;
    iconv_close(converter);
    return result;
}

std::u16string Units(const std::string& utf16le) {
    std::u16string units(utf16le.size() / 2, u'\0');
    std::memcpy(units.data(), utf16le.data(), units.size() * 2);
    return units;
}

// A string's text up to its first zero unit, as the framework sees it.
template <class T>
T UpToZero(const T& text) {
    return text.substr(0, text.find(typename T::value_type(0)));
}

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void Utf8ToUtf16(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Reference whole = Convert("UTF-16LE", "UTF-8", bytes.data(), bytes.size());

    // The counted conversion: every byte of the input, zero bytes included.
    QV::RCPtr<QV::LIBuffer> out;
    const int32_t result = WString::AssignUTF8(out, bytes.c_str(), static_cast<int32_t>(size));
    const std::u16string converted(static_cast<const char16_t*>(out->GetBytes()));
    if (size == 0 || bytes[0] == 0) {
        Check(result == QV::S_OK && converted.empty());
    } else {
        Check(converted == UpToZero(Units(whole.output)));
        Check(result == (whole.complete ? QV::S_OK : QV::E_FAIL));
    }
    Check(out->GetSize() == (converted.size() + 1) * 2);

    // Assigning with a byte count reads the text up to its first zero byte.
    const std::string text = UpToZero(bytes);
    const Reference prefix = Convert("UTF-16LE", "UTF-8", text.data(), text.size());
    WString wide(u"previous");
    wide.Assign(bytes.c_str(), static_cast<int32_t>(size));
    Check(std::u16string(wide.GetString(), static_cast<size_t>(wide.GetLength())) == Units(prefix.output));
    if (wide.GetLength() == 0) {
        Check(wide.GetString() == WString::GetEmpty().GetString());
    }

    // And back: the well-formed prefix comes back byte for byte.
    const NString back(wide);
    Check(std::string(back.GetString(), static_cast<size_t>(back.GetLength())) ==
          text.substr(0, prefix.consumed));
}

void Utf16ToUtf8(const uint8_t* data, size_t size) {
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    const Reference reference = Convert("UTF-8", "UTF-16LE", units.data(), units.size() * 2);

    QV::RCPtr<QV::LIBuffer> out;
    const int32_t result = NString::AssignUTF16(out, units.c_str(), static_cast<int32_t>(units.size()));
    const std::string converted(static_cast<const char*>(out->GetBytes()));
    const std::string expected = UpToZero(reference.output);
    if (units.empty() || units[0] == 0) {
        Check(result == QV::S_OK && converted.empty());
        return;
    }
    if (reference.complete) {
        Check(result == QV::S_OK && converted == expected);
        return;
    }
    // Lone surrogates are written on their own, so only the text before the first one is
    // shared with iconv; converting the result back stops there.
    Check(converted.compare(0, expected.size(), expected) == 0);
    const std::u16string before = UpToZero(units.substr(0, reference.consumed / 2));
    const WString again(converted.c_str());
    Check(std::u16string(again.GetString(), static_cast<size_t>(again.GetLength())) == before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) {
        return 0;
    }
    Utf8ToUtf16(data, size);
    Utf16ToUtf8(data, size);
    return 0;
}
