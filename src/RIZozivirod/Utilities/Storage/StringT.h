#pragma once

#include <concepts>
#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Buffer.h"

namespace QV {

using WChar = char16_t;

template <class C, class O>
class StringArrayT;

// The framework's string: one pointer to a shared text buffer (the code units and one zero
// unit). C is the code unit (char16_t: UTF-16, char: UTF-8), O the unit of the twin it
// converts to and from. Copies share the buffer; a shared buffer is never written (copy on
// write). Lock gives a private, writable buffer until Unlock. Lengths and positions are in
// code units; the count kWholeText stands for the whole text.
//
// One string object is used by one thread at a time; different strings sharing a buffer may
// be used on different threads.
template <class C, class O>
class StringT {
public:
    static constexpr int32_t kWholeText = 0x7ffffffe;
    static constexpr bool kWide = std::same_as<C, char16_t>;

    StringT();
    StringT(const StringT& other);
    StringT(const C* text);
    StringT(C c);
    // Conversion from the twin's units (UTF-8 <-> UTF-16).
    StringT(const O* text);
    StringT(const StringT<O, C>& other);
    virtual ~StringT();

    StringT& operator=(const StringT& other);
    void Assign(const C* text, int32_t maxCount = kWholeText);
    // The first byteCount bytes of a UTF-8 text (wide string only).
    void Assign(const char* text, int32_t byteCount) requires kWide;

    const C* GetString() const { return Data(); }
    int32_t GetLength() const;
    bool IsEmpty() const { return Data()[0] == 0; }
    void Empty();
    bool IsLocked() const { return !mBuffer->IsShareable(); }

    // A writable buffer of n units (0: the text and its zero), null when already locked.
    C* Lock(int32_t n = 0);
    // 1 when the string was not locked, else 0.
    int32_t Unlock();

    StringT& operator+=(const StringT& other);
    StringT& operator+=(C c);
    // One unit of the twin's encoding (for the wide string: one byte of UTF-8).
    StringT& operator+=(O c);
    StringT operator+(const StringT& other) const;
    int32_t Insert(int32_t position, const StringT& other);
    int32_t Insert(int32_t position, const C* text, int32_t count);
    int32_t Insert(int32_t position, const O* text);
    bool Delete(int32_t position, int32_t count);

    StringT Mid(int32_t start, int32_t count) const;
    StringT Mid(int32_t start) const;
    StringT Left(int32_t count) const;
    StringT Right(int32_t count) const;
    StringT TrimLeft(const StringT& set) const;
    StringT TrimLeft() const;
    StringT TrimRight(const StringT& set) const;
    StringT TrimRight() const;
    StringT Trim() const;

    int32_t Find(const StringT& what, int32_t start = 0) const;
    int32_t ReverseFind(char c) const;

    bool operator==(const StringT& other) const;
    bool operator==(const C* text) const;
    bool operator==(const O* text) const;
    bool operator!=(const StringT& other) const { return !(*this == other); }
    bool operator!=(const C* text) const { return !(*this == text); }
    bool operator!=(const O* text) const { return !(*this == text); }
    bool operator<(const StringT& other) const;

    // Conversions between the twins (wide string: UTF-8 in; narrow string: UTF-16 in).
    // Result 0, or E_FAIL when the text stopped at a sequence that is not well-formed (the
    // text converted before it is kept). A negative count means the whole text.
    static int32_t AssignUTF8(RCPtr<LIBuffer>& out, const char* text, int32_t count) requires kWide;
    static int32_t AssignUTF16(RCPtr<LIBuffer>& out, const char16_t* text, int32_t count) requires(!kWide);
    StringT<O, C> ToUTF8() const requires kWide;

    static StringT Format(const C* format, ...) requires kWide;
    static StringT FromInt(int32_t value, int32_t digits = 0) requires kWide;
    static StringT FromUInt(uint32_t value, int32_t digits = 0) requires kWide;
    static StringT FromDouble(double value, int32_t digits = -1) requires kWide;

    StringT& Replace(const C* set, C with);
    int32_t Split(StringArrayT<C, O>& out, const StringT& delimiters) const;
    StringArrayT<C, O> Split(const StringT& delimiters) const;
    StringT ToUpper() const;
    StringT ToLower() const;
    int32_t ToInt() const requires kWide;
    double ToDouble() const requires kWide;

    // The process-wide empty text, shared by every empty string.
    static const StringT& GetEmpty();

private:
    explicit StringT(RCPtr<LIBuffer> buffer) : mBuffer(std::move(buffer)) {}

    C* Data() const { return static_cast<C*>(mBuffer->GetBytes()); }
    uint32_t UnitCapacity() const { return mBuffer->GetSize() / sizeof(C); }
    static LIBuffer* EmptyBuffer();
    static RCPtr<LIBuffer> NewBuffer(uint32_t units);
    void SetEmptyBuffer();
    void Append(const C* text, int32_t count);
    static int32_t ConvertFromTwin(RCPtr<LIBuffer>& out, const O* text, int32_t count);

    RCPtr<LIBuffer> mBuffer;
};

using WString = StringT<char16_t, char>;
using NString = StringT<char, char16_t>;

extern template class StringT<char16_t, char>;
extern template class StringT<char, char16_t>;

// Returns a copy of the string (the text function of the string wrapper).
WString StringToString(const WString& text);

}  // namespace QV
