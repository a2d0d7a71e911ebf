#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

namespace QV::Text {

namespace {

// The "C" locale object used for every number conversion; made on first use and never freed, so it outlives
// any static object that formats or reads a number at exit.
locale_t CLocale() {
    static const locale_t locale = [] {
        locale_t made = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        if (made == static_cast<locale_t>(0)) {
            throw std::bad_alloc();
        }
        return made;
    }();
    return locale;
}

bool IsSpace(char16_t unit) {
    return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

// Number of bytes that follow a lead byte. 0xF8 to 0xFF claim 4 and 5 bytes; they are never well-formed, but
// the claimed length still decides whether the character is cut by the end of the range.
size_t TrailingBytes(unsigned char lead) {
    if (lead < 0xC0)
        return 0;
    if (lead < 0xE0)
        return 1;
    if (lead < 0xF0)
        return 2;
    if (lead < 0xF8)
        return 3;
    if (lead < 0xFC)
        return 4;
    return 5;
}

// The well-formed byte sequences of UTF-8: no overlong forms, no encoded surrogates, nothing above U+10FFFF.
bool IsWellFormed(const unsigned char* bytes, size_t length) {
    const unsigned char lead = bytes[0];
    if (length == 1)
        return lead < 0x80;
    if (length > 4 || lead < 0xC2 || lead > 0xF4)
        return false;
    unsigned char low = 0x80, high = 0xBF;
    if (lead == 0xE0)
        low = 0xA0;
    if (lead == 0xED)
        high = 0x9F;
    if (lead == 0xF0)
        low = 0x90;
    if (lead == 0xF4)
        high = 0x8F;
    if (bytes[1] < low || bytes[1] > high)
        return false;
    for (size_t i = 2; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80)
            return false;
    }
    return true;
}

// Reads one character of at most `available` bytes (at least 1). Returns its byte length, or 0 when it is cut
// by the end of the range or is not well-formed.
size_t DecodeUtf8(const unsigned char* bytes, size_t available, char32_t& codePoint) {
    const size_t trailing = TrailingBytes(bytes[0]);
    if (trailing >= available || !IsWellFormed(bytes, trailing + 1))
        return 0;
    static constexpr unsigned char kLeadMask[] = {0x7F, 0x1F, 0x0F, 0x07};
    char32_t value = bytes[0] & kLeadMask[trailing];
    for (size_t i = 1; i <= trailing; ++i) {
        value = (value << 6) | (bytes[i] & 0x3F);
    }
    codePoint = value;
    return trailing + 1;
}

size_t Utf16Units(char32_t codePoint) {
    return codePoint < 0x10000 ? 1 : 2;
}

// Writes one code point as one unit or a surrogate pair; the caller made sure it fits.
size_t EncodeUtf16(char32_t codePoint, char16_t* out) {
    if (codePoint < 0x10000) {
        out[0] = static_cast<char16_t>(codePoint);
        return 1;
    }
    codePoint -= 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (codePoint >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    return 2;
}

}  // namespace

size_t Length(const char16_t* text) {
    if (text == nullptr)
        return 0;
    const char16_t* end = text;
    while (*end != 0)
        ++end;
    return static_cast<size_t>(end - text);
}

size_t SpanExcluding(const char16_t* text, const char16_t* set) {
    if (text == nullptr)
        return 0;
    if (set == nullptr)
        return Length(text);
    size_t count = 0;
    for (; text[count] != 0; ++count) {
        for (const char16_t* s = set; *s != 0; ++s) {
            if (*s == text[count])
                return count;
        }
    }
    return count;
}

char16_t ToUpper(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit;
}

char16_t ToLower(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 0x20) : unit;
}

char ToUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c;
}

int CompareNoCase(const char16_t* a, const char16_t* b) {
    if (a == b)
        return 0;
    if (a == nullptr)
        return -1;
    if (b == nullptr)
        return 1;
    for (;; ++a, ++b) {
        const int ca = ToLower(*a);
        const int cb = ToLower(*b);
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

int32_t ToInt(const char16_t* text) {
    if (text == nullptr)
        return 0;
    while (IsSpace(*text))
        ++text;
    const bool negative = *text == u'-';
    if (*text == u'-' || *text == u'+')
        ++text;
    // The magnitude stops growing at the limit of its sign, so it never overflows.
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t magnitude = 0;
    for (; *text >= u'0' && *text <= u'9'; ++text) {
        magnitude = std::min(magnitude * 10 + (*text - u'0'), limit);
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

double ToDouble(const char16_t* text) {
    if (text == nullptr)
        return 0.0;
    // A number is ASCII only, so the ASCII prefix of the text holds all strtod can read.
    size_t length = 0;
    while (text[length] != 0 && text[length] < 0x80)
        ++length;
    char small[128];
    std::vector<char> large;
    char* narrow = small;
    if (length >= sizeof small) {
        large.resize(length + 1);
        narrow = large.data();
    }
    for (size_t i = 0; i < length; ++i)
        narrow[i] = static_cast<char>(text[i]);
    narrow[length] = 0;
    return strtod_l(narrow, nullptr, CLocale());
}

ConversionResult Utf8ToUtf16(const char* src, size_t count, char16_t* dst, size_t capacity) {
    if (src == nullptr)
        return {0, count == 0};
    if (dst == nullptr)
        capacity = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(src);
    size_t read = 0, written = 0;
    while (read < count) {
        char32_t codePoint;
        const size_t length = DecodeUtf8(bytes + read, count - read, codePoint);
        if (length == 0 || capacity - written < Utf16Units(codePoint))
            return {written, false};
        written += EncodeUtf16(codePoint, dst + written);
        read += length;
    }
    return {written, true};
}

ConversionResult Utf16ToUtf8(const char16_t* src, size_t count, char* dst, size_t capacity) {
    if (src == nullptr)
        return {0, count == 0};
    if (dst == nullptr)
        capacity = 0;
    size_t read = 0, written = 0;
    while (read < count) {
        char32_t codePoint = src[read];
        size_t used = 1;
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
            // The pair's second half may lie past the range: stop rather than guess.
            if (read + 1 >= count)
                return {written, false};
            const char32_t next = src[read + 1];
            if (next >= 0xDC00 && next <= 0xDFFF) {
                codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (next - 0xDC00);
                used = 2;
            }
        }
        // An unpaired surrogate is encoded by itself like any other unit of the basic plane.
        const size_t length = codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
        if (capacity - written < length)
            return {written, false};
        static constexpr unsigned char kFirstByteMark[] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};
        for (size_t i = length - 1; i > 0; --i) {
            dst[written + i] = static_cast<char>(0x80 | (codePoint & 0x3F));
            codePoint >>= 6;
        }
        dst[written] = static_cast<char>(kFirstByteMark[length] | codePoint);
        written += length;
        read += used;
    }
    return {written, true};
}

namespace {

// Bounded output of VFormat: keeps what fits and drops the rest.
class Writer {
public:
    Writer(char16_t* dst, size_t limit) : mDst(dst), mLimit(limit) {}

    size_t Count() const { return mCount; }
    size_t Remaining() const { return mLimit - mCount; }
    bool Full() const { return mCount == mLimit; }

    void Put(char16_t unit) {
        if (mCount < mLimit)
            mDst[mCount++] = unit;
    }
    void Repeat(char16_t unit, size_t count) {
        count = std::min(count, Remaining());
        std::fill_n(mDst + mCount, count, unit);
        mCount += count;
    }
    void PutAscii(const char* text, size_t count) {
        count = std::min(count, Remaining());
        for (size_t i = 0; i < count; ++i)
            mDst[mCount++] = static_cast<unsigned char>(text[i]);
    }
    void PutUnits(const char16_t* text, size_t count) {
        count = std::min(count, Remaining());
        std::copy_n(text, count, mDst + mCount);
        mCount += count;
    }

private:
    char16_t* mDst;
    size_t mLimit;
    size_t mCount = 0;
};

// Lets helpers take arguments from one va_list.
struct Arguments {
    va_list list;
};

enum class LengthModifier { None, hh, h, l, ll, w, I, I32, I64, L };

struct FieldFormat {
    bool left = false, plus = false, space = false, alternate = false, zero = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
    LengthModifier length = LengthModifier::None;
    char conversion = 0;
};

constexpr size_t kMaxField = INT_MAX;

size_t ReadDecimal(const char16_t*& p) {
    size_t value = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p)
        value = std::min(value * 10 + (*p - u'0'), kMaxField);
    return value;
}

// Parses the field format after "%", reading the "*" arguments. Returns false for an incomplete or unknown
// one.
bool ParseFieldFormat(const char16_t*& p, Arguments& args, FieldFormat& field) {
    for (;; ++p) {
        if (*p == u'-')
            field.left = true;
        else if (*p == u'+')
            field.plus = true;
        else if (*p == u' ')
            field.space = true;
        else if (*p == u'#')
            field.alternate = true;
        else if (*p == u'0')
            field.zero = true;
        else
            break;
    }
    if (*p == u'*') {
        ++p;
        const int64_t width = va_arg(args.list, int);
        if (width < 0)
            field.left = true;
        field.width = static_cast<size_t>(std::min<int64_t>(width < 0 ? -width : width, kMaxField));
    } else {
        field.width = ReadDecimal(p);
    }
    if (*p == u'.') {
        ++p;
        field.hasPrecision = true;
        if (*p == u'*') {
            ++p;
            const int precision = va_arg(args.list, int);
            field.hasPrecision = precision >= 0;
            field.precision = precision >= 0 ? static_cast<size_t>(precision) : 0;
        } else {
            field.precision = ReadDecimal(p);
        }
    }
    switch (*p) {
        case u'h':
            ++p;
            field.length = LengthModifier::h;
            if (*p == u'h') {
                ++p;
                field.length = LengthModifier::hh;
            }
            break;
        case u'l':
            ++p;
            field.length = LengthModifier::l;
            if (*p == u'l') {
                ++p;
                field.length = LengthModifier::ll;
            }
            break;
        case u'w':
            ++p;
            field.length = LengthModifier::w;
            break;
        case u'L':
            ++p;
            field.length = LengthModifier::L;
            break;
        case u'I':
            ++p;
            field.length = LengthModifier::I;
            if (p[0] == u'3' && p[1] == u'2') {
                p += 2;
                field.length = LengthModifier::I32;
            } else if (p[0] == u'6' && p[1] == u'4') {
                p += 2;
                field.length = LengthModifier::I64;
            }
            break;
        default:
            break;
    }
    if (*p == 0 || *p >= 0x80 || std::strchr("%cCsSdiuoxXeEfFgGaApn", static_cast<char>(*p)) == nullptr) {
        return false;
    }
    field.conversion = static_cast<char>(*p++);
    return true;
}

void PadBefore(Writer& out, const FieldFormat& field, size_t length) {
    if (!field.left && field.width > length)
        out.Repeat(u' ', field.width - length);
}

void PadAfter(Writer& out, const FieldFormat& field, size_t length) {
    if (field.left && field.width > length)
        out.Repeat(u' ', field.width - length);
}

void EmitWide(Writer& out, const FieldFormat& field, const char16_t* text) {
    if (text == nullptr)
        text = u"(null)";
    size_t length = 0;
    while ((!field.hasPrecision || length < field.precision) && text[length] != 0)
        ++length;
    PadBefore(out, field, length);
    out.PutUnits(text, length);
    PadAfter(out, field, length);
}

// Narrow text is UTF-8; the precision limits the bytes read, and the text ends at a character that is cut
// by that limit or is not well-formed, as the string conversions do.
void EmitNarrow(Writer& out, const FieldFormat& field, const char* text) {
    if (text == nullptr)
        text = "(null)";
    const size_t bytes = field.hasPrecision ? strnlen(text, field.precision) : std::strlen(text);
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    size_t units = 0;
    char32_t codePoint;
    for (size_t i = 0, n; i < bytes && (n = DecodeUtf8(p + i, bytes - i, codePoint)) != 0; i += n) {
        units += Utf16Units(codePoint);
    }
    PadBefore(out, field, units);
    for (size_t i = 0, n; i < bytes && (n = DecodeUtf8(p + i, bytes - i, codePoint)) != 0; i += n) {
        char16_t encoded[2];
        out.PutUnits(encoded, EncodeUtf16(codePoint, encoded));
    }
    PadAfter(out, field, units);
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Pads a formatted number to the field width; the "0" flag puts zeros after the sign and the "0x" prefix, and
// never into "inf" or "nan".
void EmitNumberText(Writer& out, const FieldFormat& field, const char* body, size_t length,
                    bool zeroAllowed) {
    if (field.width <= length || field.left) {
        out.PutAscii(body, length);
        PadAfter(out, field, length);
        return;
    }
    const size_t pad = field.width - length;
    size_t prefix = (body[0] == '-' || body[0] == '+' || body[0] == ' ') ? 1 : 0;
    if (body[prefix] == '0' && (body[prefix + 1] == 'x' || body[prefix + 1] == 'X'))
        prefix += 2;
    if (zeroAllowed && field.zero && IsHexDigit(body[prefix])) {
        out.PutAscii(body, prefix);
        out.Repeat(u'0', pad);
        out.PutAscii(body + prefix, length - prefix);
    } else {
        out.Repeat(u' ', pad);
        out.PutAscii(body, length);
    }
}

// Formats one number through snprintf in the "C" locale. The narrow format holds the flags, the precision
// (as "*") and the conversion; the field width is applied afterwards so that it costs nothing beyond what
// fits.
template <typename T>
void EmitNumber(Writer& out, const FieldFormat& field, const char* format, T value, bool zeroAllowed) {
    const int precision = static_cast<int>(field.precision);
    auto print = [&](char* buffer, size_t size) {
        if (std::is_floating_point_v<T>) {
            const locale_t previous = uselocale(CLocale());
            const int n = field.hasPrecision ? snprintf(buffer, size, format, precision, value)
                                             : snprintf(buffer, size, format, value);
            uselocale(previous);
            return n;
        }
        return field.hasPrecision ? snprintf(buffer, size, format, precision, value)
                                  : snprintf(buffer, size, format, value);
    };
    char small[256];
    const int printed = print(small, sizeof small);
    if (printed < 0)
        return;  // too long for the C library: the field stays empty
    const size_t length = static_cast<size_t>(printed);
    if (length < sizeof small) {
        EmitNumberText(out, field, small, length, zeroAllowed);
        return;
    }
    // Only the part that can still be written is kept; the spare bytes keep the prefix checks inside.
    std::vector<char> large(std::min(length, out.Remaining()) + 8);
    print(large.data(), large.size());
    EmitNumberText(out, field, large.data(), length, zeroAllowed);
}

// Builds the narrow format "%[+ #][.*]<size><conversion>".
void MakeNarrowFormat(const FieldFormat& field, const char* size, char conversion, char (&format)[16]) {
    char* p = format;
    *p++ = '%';
    if (field.plus)
        *p++ = '+';
    if (field.space)
        *p++ = ' ';
    if (field.alternate)
        *p++ = '#';
    if (field.hasPrecision) {
        *p++ = '.';
        *p++ = '*';
    }
    while (*size != 0)
        *p++ = *size++;
    *p++ = conversion;
    *p = 0;
}

bool IsWideText(const FieldFormat& field, bool upperCase) {
    return field.length == LengthModifier::l || field.length == LengthModifier::w ||
           (field.length == LengthModifier::None && !upperCase);
}

bool IsTextLength(LengthModifier length) {
    return length == LengthModifier::None || length == LengthModifier::h || length == LengthModifier::l ||
           length == LengthModifier::w;
}

// Emits one conversion; false when its length modifier does not go with it.
bool EmitConversion(Writer& out, const FieldFormat& field, Arguments& args) {
    using LM = LengthModifier;
    char format[16];
    switch (field.conversion) {
        case '%':
            out.Put(u'%');
            return true;
        case 'c':
        case 'C': {
            if (!IsTextLength(field.length))
                return false;
            const int value = va_arg(args.list, int);
            char16_t unit[2] = {static_cast<char16_t>(value), 0};
            if (IsWideText(field, field.conversion == 'C')) {
                PadBefore(out, field, 1);
                out.Put(unit[0]);
                PadAfter(out, field, 1);
            } else {
                // A narrow character is one byte of UTF-8: only ASCII stands alone.
                const auto byte = static_cast<unsigned char>(value);
                const size_t length = byte < 0x80 ? 1 : 0;
                unit[0] = byte;
                PadBefore(out, field, length);
                out.PutUnits(unit, length);
                PadAfter(out, field, length);
            }
            return true;
        }
        case 's':
        case 'S':
            if (!IsTextLength(field.length))
                return false;
            if (IsWideText(field, field.conversion == 'S')) {
                EmitWide(out, field, va_arg(args.list, const char16_t*));
            } else {
                EmitNarrow(out, field, va_arg(args.list, const char*));
            }
            return true;
        case 'd':
        case 'i': {
            long long value;
            switch (field.length) {
                case LM::hh:
                    value = static_cast<signed char>(va_arg(args.list, int));
                    break;
                case LM::h:
                    value = static_cast<short>(va_arg(args.list, int));
                    break;
                case LM::None:
                case LM::l:
                case LM::I32:
                    value = va_arg(args.list, int32_t);
                    break;
                case LM::ll:
                case LM::I64:
                    value = va_arg(args.list, int64_t);
                    break;
                case LM::I:
                    value = va_arg(args.list, intptr_t);
                    break;
                default:
                    return false;
            }
            MakeNarrowFormat(field, "ll", 'd', format);
            EmitNumber(out, field, format, value, !field.hasPrecision);
            return true;
        }
        case 'u':
        case 'o':
        case 'x':
        case 'X': {
            unsigned long long value;
            switch (field.length) {
                case LM::hh:
                    value = static_cast<unsigned char>(va_arg(args.list, int));
                    break;
                case LM::h:
                    value = static_cast<unsigned short>(va_arg(args.list, int));
                    break;
                case LM::None:
                case LM::l:
                case LM::I32:
                    value = va_arg(args.list, uint32_t);
                    break;
                case LM::ll:
                case LM::I64:
                    value = va_arg(args.list, uint64_t);
                    break;
                case LM::I:
                    value = va_arg(args.list, uintptr_t);
                    break;
                default:
                    return false;
            }
            MakeNarrowFormat(field, "ll", field.conversion, format);
            EmitNumber(out, field, format, value, !field.hasPrecision);
            return true;
        }
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G':
        case 'a':
        case 'A': {
            // The Windows long double is a double.
            if (field.length != LM::None && field.length != LM::l && field.length != LM::L)
                return false;
            MakeNarrowFormat(field, "", field.conversion, format);
            EmitNumber(out, field, format, va_arg(args.list, double), true);
            return true;
        }
        case 'p': {
            if (field.length != LM::None)
                return false;
            // All the digits of the address in upper case, without prefix.
            const auto value = reinterpret_cast<uintptr_t>(va_arg(args.list, void*));
            char text[2 * sizeof(uintptr_t) + 1];
            const int n = snprintf(text, sizeof text, "%0*llX", static_cast<int>(2 * sizeof(uintptr_t)),
                                   static_cast<unsigned long long>(value));
            EmitNumberText(out, field, text, static_cast<size_t>(n), false);
            return true;
        }
        case 'n':
            // Writing through an argument is not supported; the pointer is taken so later arguments stay in
            // place.
            (void)va_arg(args.list, void*);
            return true;
        default:
            return false;
    }
}

}  // namespace

size_t VFormat(char16_t* dst, size_t capacity, const char16_t* format, va_list args) {
    if (dst == nullptr || capacity == 0)
        return 0;
    Writer out(dst, capacity - 1);
    if (format != nullptr) {
        Arguments arguments;
        va_copy(arguments.list, args);
        const char16_t* p = format;
        while (*p != 0 && !out.Full()) {
            if (*p != u'%') {
                out.Put(*p++);
                continue;
            }
            ++p;
            // Past an unknown conversion the argument list can no longer be trusted: the output ends there.
            FieldFormat field;
            if (!ParseFieldFormat(p, arguments, field) || !EmitConversion(out, field, arguments))
                break;
        }
        va_end(arguments.list);
    }
    dst[out.Count()] = 0;
    return out.Count();
}

size_t Format(char16_t* dst, size_t capacity, const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    const size_t written = VFormat(dst, capacity, format, args);
    va_end(args);
    return written;
}

}  // namespace QV::Text
