#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// Character and text functions on raw UTF-16 and UTF-8 arrays, used by the strings. Everything behaves as in
// the "C" locale whatever the process locale is. Null texts are read as empty texts.
namespace QV::Text {

// Units before the first zero unit; 0 for null.
size_t Length(const char16_t* text);
// Number of leading units of text that do not occur in set.
size_t SpanExcluding(const char16_t* text, const char16_t* set);

// ASCII case mapping; every other unit is returned unchanged.
char16_t ToUpper(char16_t unit);
char16_t ToLower(char16_t unit);
char ToUpper(char c);

// Ordinal order of two zero-ended texts, unit by unit as unsigned values: the order of the strings.
template <class C>
bool Less(const C* a, const C* b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    using Unit = std::make_unsigned_t<C>;
    return static_cast<Unit>(*a) < static_cast<Unit>(*b);
}

// Ordinal comparison after folding ASCII letters to lower case: <0, 0 or >0. A null text sorts before any
// other text, two null texts are equal.
int CompareNoCase(const char16_t* a, const char16_t* b);

// Leading white space, an optional sign and decimal digits; saturates at INT32_MIN/INT32_MAX; 0 without
// digits.
int32_t ToInt(const char16_t* text);
// The leading floating-point number of text with "." as decimal point; 0.0 when there is none.
double ToDouble(const char16_t* text);

struct ConversionResult {
    size_t written;  // units (bytes) written to the destination
    bool complete;   // false when the conversion stopped before the end of the source
};

// Converts count bytes (zeros included) into at most capacity units. Stops at the first character that is
// cut by the end of the range, is not well-formed, or does not fit.
ConversionResult Utf8ToUtf16(const char* src, size_t count, char16_t* dst, size_t capacity);
// Converts count units into at most capacity bytes. Unpaired surrogates become three-byte sequences; a high
// surrogate that is the last unit of the range, or a character that does not fit, stops the conversion.
ConversionResult Utf16ToUtf8(const char16_t* src, size_t count, char* dst, size_t capacity);

// Wide printf with the Windows rules: %s, %ls, %ws and %c take wide text (char16_t), %S, %hs, %C and %hc
// narrow UTF-8 text; l is 32 bits, ll and I64 64 bits, I pointer-sized; L and l on floating conversions
// read a double. Writes at most capacity - 1 units and a zero unit (nothing when capacity is 0) and returns
// the number of units written before the zero. Output that does not fit is cut off. %n writes nothing and
// consumes its pointer; an unknown or incomplete conversion ends the output there.
size_t VFormat(char16_t* dst, size_t capacity, const char16_t* format, va_list args);
size_t Format(char16_t* dst, size_t capacity, const char16_t* format, ...);

}  // namespace QV::Text
