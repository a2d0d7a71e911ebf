#include "RIZozivirod/Utilities/Storage/StringT.h"

#include <cstdarg>
#include <cstring>
#include <memory>
#include <vector>

#include "RIZozivirod/Utilities/Storage/StringArrayT.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

template <class C>
size_t UnitLength(const C* text) {
    if constexpr (std::same_as<C, char>) {
        return text == nullptr ? 0 : std::strlen(text);
    } else {
        return Text::Length(text);
    }
}

template <class C>
size_t UnitSpanExcluding(const C* text, const C* set) {
    if constexpr (std::same_as<C, char>) {
        return std::strcspn(text, set);
    } else {
        return Text::SpanExcluding(text, set);
    }
}

template <class C>
bool UnitInSet(C unit, const C* set) {
    for (; *set != 0; ++set) {
        if (*set == unit) {
            return true;
        }
    }
    return false;
}

// Unit-by-unit equality of two zero-terminated texts.
template <class C>
bool TextEquals(const C* a, const C* b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

template <class C>
constexpr C kWhiteSpace[] = {C(' '), C('\t'), C('\r'), C('\n'), C(0)};

// The decimal point before the last `digits` digits of a number's text, zeros added in front
// while it is shorter (5 with 2 digits gives ".05"); digits <= 0 leaves the text as it is.
WString WithDecimalPoint(WString text, int32_t digits) {
    if (digits <= 0) {
        return text;
    }
    while (text.GetLength() < digits) {
        text = WString(u'0') + text;
    }
    const int32_t split = text.GetLength() - digits;
    return text.Left(split) + WString(u'.') + text.Mid(split);
}

}  // namespace

template <class C, class O>
LIBuffer* StringT<C, O>::EmptyBuffer() {
    // Never destroyed, and held twice so that its count stays above 1: locking an empty
    // string always makes a private buffer.
    static LIBuffer* const buffer = [] {
        RCPtr<LIBuffer> created = LStringBuffer::Create(sizeof(C), 0, true);
        created->AddRef();
        created->AddRef();
        return created.Get();
    }();
    return buffer;
}

template <class C, class O>
const StringT<C, O>& StringT<C, O>::GetEmpty() {
    static const StringT* const empty = new StringT();
    return *empty;
}

template <class C, class O>
RCPtr<LIBuffer> StringT<C, O>::NewBuffer(uint32_t units) {
    return LStringBuffer::Create(units * sizeof(C), 0, true);
}

template <class C, class O>
void StringT<C, O>::SetEmptyBuffer() {
    mBuffer = RCPtr<LIBuffer>(EmptyBuffer());
}

template <class C, class O>
StringT<C, O>::StringT() : mBuffer(EmptyBuffer()) {}

template <class C, class O>
StringT<C, O>::StringT(const StringT& other) {
    if (!other.IsLocked()) {
        mBuffer = other.mBuffer;
    } else {
        SetEmptyBuffer();
        Assign(other.GetString(), kWholeText);
    }
}

template <class C, class O>
StringT<C, O>::StringT(const C* text) : mBuffer(EmptyBuffer()) {
    Assign(text, kWholeText);
}

template <class C, class O>
StringT<C, O>::StringT(C c) : mBuffer(NewBuffer(c != 0 ? 2 : 1)) {
    Data()[0] = c;
}

template <class C, class O>
StringT<C, O>::StringT(const O* text) : mBuffer(EmptyBuffer()) {
    ConvertFromTwin(mBuffer, text, -1);
}

template <class C, class O>
StringT<C, O>::StringT(const StringT<O, C>& other) : mBuffer(EmptyBuffer()) {
    ConvertFromTwin(mBuffer, other.GetString(), -1);
}

template <class C, class O>
StringT<C, O>::~StringT() = default;

template <class C, class O>
StringT<C, O>& StringT<C, O>::operator=(const StringT& other) {
    if (this == &other) {
        return *this;
    }
    if (!IsLocked() && !other.IsLocked()) {
        mBuffer = other.mBuffer;
    } else {
        Assign(other.GetString(), kWholeText);
    }
    return *this;
}

template <class C, class O>
void StringT<C, O>::Assign(const C* text, int32_t maxCount) {
    if (text == nullptr || text[0] == 0 || maxCount == 0) {
        Empty();
        return;
    }
    size_t n = UnitLength(text);
    if (maxCount > 0 && n > static_cast<size_t>(maxCount)) {
        n = static_cast<size_t>(maxCount);
    }
    if (IsLocked()) {
        // A locked buffer grows when the text does not fit; the text may live in it.
        if (n + 1 > UnitCapacity()) {
            const ptrdiff_t offset = text - Data();
            const bool inside = offset >= 0 && static_cast<size_t>(offset) < UnitCapacity();
            mBuffer->SetSize(static_cast<uint32_t>((n + 1) * sizeof(C)));
            if (inside) {
                text = Data() + offset;
            }
        }
        std::memmove(Data(), text, n * sizeof(C));
        Data()[n] = 0;
        return;
    }
    RCPtr<LIBuffer> buffer = NewBuffer(static_cast<uint32_t>(n + 1));
    std::memcpy(buffer->GetBytes(), text, n * sizeof(C));
    mBuffer = buffer;
}

template <class C, class O>
void StringT<C, O>::Assign(const char* text, int32_t byteCount) requires kWide {
    if (text == nullptr || text[0] == 0 || byteCount == 0) {
        Empty();
        return;
    }
    StringT<char, char16_t> narrow;
    narrow.Assign(text, byteCount);
    if (!IsLocked()) {
        AssignUTF8(mBuffer, narrow.GetString(), -1);
        return;
    }
    StringT converted(narrow);
    Assign(converted.GetString(), kWholeText);
}

template <class C, class O>
int32_t StringT<C, O>::GetLength() const {
    const uint32_t units = UnitCapacity();
    if (!IsLocked()) {
        return static_cast<int32_t>(units - 1);
    }
    const C* data = Data();
    uint32_t n = 0;
    while (n < units && data[n] != 0) {
        ++n;
    }
    return static_cast<int32_t>(n);
}

template <class C, class O>
void StringT<C, O>::Empty() {
    if (IsLocked()) {
        Data()[0] = 0;
    } else {
        SetEmptyBuffer();
    }
}

template <class C, class O>
C* StringT<C, O>::Lock(int32_t n) {
    if (IsLocked()) {
        return nullptr;
    }
    const uint32_t units = n <= 0 ? static_cast<uint32_t>(GetLength() + 1) : static_cast<uint32_t>(n);
    if (mBuffer->GetRefCount() > 1) {
        RCPtr<LIBuffer> copy = mBuffer->CreateResizedCopy(units * sizeof(C), 0);
        if (!copy) {
            QV_THROW(std::runtime_error);
        }
        mBuffer = copy;
    }
    mBuffer->SetUnshareable(true);
    mBuffer->SetSize(units * sizeof(C));
    Data()[units - 1] = 0;
    return Data();
}

template <class C, class O>
int32_t StringT<C, O>::Unlock() {
    if (!IsLocked()) {
        return 1;
    }
    const int32_t length = GetLength();
    if (length > 0) {
        mBuffer->SetUnshareable(false);
        mBuffer->SetSize(static_cast<uint32_t>(length + 1) * sizeof(C));
    } else {
        SetEmptyBuffer();
    }
    return 0;
}

template <class C, class O>
void StringT<C, O>::Append(const C* text, int32_t count) {
    // text may point into this string's own buffer: it is read only after the resize, by
    // offset.
    if (count <= 0) {
        return;
    }
    const int32_t index = GetLength();
    const C* oldData = Data();
    const ptrdiff_t offset = text - oldData;
    const bool inside = offset >= 0 && static_cast<size_t>(offset) < UnitCapacity();
    const uint32_t total = static_cast<uint32_t>(index) + static_cast<uint32_t>(count) + 1;
    const bool wasLocked = IsLocked();
    C* p;
    if (!wasLocked) {
        p = Lock(static_cast<int32_t>(total));
    } else {
        mBuffer->SetSize(total * sizeof(C));
        p = Data();
        p[total - 1] = 0;
    }
    const C* source = inside ? p + offset : text;
    std::memmove(p + index, source, static_cast<size_t>(count) * sizeof(C));
    p[index + count] = 0;
    if (!wasLocked) {
        Unlock();
    }
}

template <class C, class O>
StringT<C, O>& StringT<C, O>::operator+=(const StringT& other) {
    if (other.IsEmpty()) {
        return *this;
    }
    if (&other == this || other.mBuffer == mBuffer) {
        // Appending a text to itself: keep the source alive and unchanged while writing.
        const StringT copy(other);
        Append(copy.GetString(), copy.GetLength());
    } else {
        Append(other.GetString(), other.GetLength());
    }
    return *this;
}

template <class C, class O>
StringT<C, O>& StringT<C, O>::operator+=(C c) {
    const C text[2] = {c, 0};
    Insert(GetLength(), text, 1);
    return *this;
}

template <class C, class O>
StringT<C, O>& StringT<C, O>::operator+=(O c) {
    const O text[2] = {c, 0};
    Insert(GetLength(), text);
    return *this;
}

template <class C, class O>
StringT<C, O> StringT<C, O>::operator+(const StringT& other) const {
    StringT result(*this);
    result += other;
    return result;
}

template <class C, class O>
int32_t StringT<C, O>::Insert(int32_t position, const StringT& other) {
    const int32_t length = GetLength();
    if (static_cast<uint32_t>(position) > static_cast<uint32_t>(length)) {
        return E_INVALIDARG;
    }
    if (position == length) {
        *this += other;
    } else if (position == 0) {
        *this = other + *this;
    } else {
        *this = Left(position) + other + Mid(position);
    }
    return 0;
}

template <class C, class O>
int32_t StringT<C, O>::Insert(int32_t position, const C* text, int32_t count) {
    if (static_cast<uint32_t>(position) > static_cast<uint32_t>(GetLength())) {
        return E_INVALIDARG;
    }
    StringT piece;
    const size_t textLength = UnitLength(text);
    if (static_cast<uint32_t>(count) < static_cast<uint32_t>(kWholeText) &&
        static_cast<size_t>(count) < textLength) {
        piece.Assign(text, count);
    } else {
        piece.Assign(text, kWholeText);
    }
    return Insert(position, piece);
}

template <class C, class O>
int32_t StringT<C, O>::Insert(int32_t position, const O* text) {
    if (static_cast<uint32_t>(position) > static_cast<uint32_t>(GetLength())) {
        return E_INVALIDARG;
    }
    return Insert(position, StringT(text));
}

template <class C, class O>
bool StringT<C, O>::Delete(int32_t position, int32_t count) {
    const int64_t length = GetLength();
    // A negative count would read the text twice; it is refused like any range outside.
    if (static_cast<uint32_t>(position) >= static_cast<uint32_t>(length) || count < 0 ||
        static_cast<int64_t>(position) + count > length) {
        return false;
    }
    *this = Left(position) + Mid(position + count);
    return true;
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Mid(int32_t start, int32_t count) const {
    const int64_t length = GetLength();
    int64_t s = start;
    int64_t n = count;
    if (s < 0) {
        s += length;
        if (s < 0) {
            n += s;
            s = 0;
        }
    }
    if (s >= length || n == 0) {
        return StringT();
    }
    if (n < 0 || s + n > length) {
        n = length - s;
    }
    StringT result;
    result.Assign(GetString() + s, static_cast<int32_t>(n));
    return result;
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Mid(int32_t start) const {
    // The count wraps instead of overflowing for a start far below zero; Mid then takes the
    // whole window that lies in the text.
    return Mid(start,
               static_cast<int32_t>(static_cast<uint32_t>(GetLength()) - static_cast<uint32_t>(start)));
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Left(int32_t count) const {
    return Mid(0, count);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Right(int32_t count) const {
    return Mid(static_cast<int32_t>(0u - static_cast<uint32_t>(count)), count);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimLeft(const StringT& set) const {
    const C* text = GetString();
    int32_t i = 0;
    const int32_t length = GetLength();
    while (i < length && UnitInSet(text[i], set.GetString())) {
        ++i;
    }
    if (i >= length) {
        return *this;
    }
    return Mid(i);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimLeft() const {
    return TrimLeft(StringT(kWhiteSpace<C>));
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimRight(const StringT& set) const {
    const C* text = GetString();
    int32_t length = GetLength();
    while (length > 0 && UnitInSet(text[length - 1], set.GetString())) {
        --length;
    }
    return Left(length);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimRight() const {
    return TrimRight(StringT(kWhiteSpace<C>));
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Trim() const {
    return TrimLeft().TrimRight();
}

template <class C, class O>
int32_t StringT<C, O>::Find(const StringT& what, int32_t start) const {
    const int32_t length = GetLength();
    const int32_t whatLength = what.GetLength();
    if (start < 0) {
        start = 0;
    }
    if (whatLength == 0) {
        return start <= length ? start : -1;
    }
    const C* text = GetString();
    const C* pattern = what.GetString();
    for (int32_t i = start; i + whatLength <= length; ++i) {
        if (std::memcmp(text + i, pattern, static_cast<size_t>(whatLength) * sizeof(C)) == 0) {
            return i;
        }
    }
    return -1;
}

template <class C, class O>
int32_t StringT<C, O>::ReverseFind(char c) const {
    C unit;
    if constexpr (kWide) {
        unit = static_cast<unsigned char>(c) < 0x80 ? static_cast<C>(c) : 0;
    } else {
        unit = c;
    }
    if (unit == 0) {
        return -1;
    }
    const C* text = GetString();
    for (int32_t i = GetLength() - 1; i >= 0; --i) {
        if (text[i] == unit) {
            return i;
        }
    }
    return -1;
}

template <class C, class O>
bool StringT<C, O>::operator==(const StringT& other) const {
    if (mBuffer == other.mBuffer) {
        return true;
    }
    return *this == other.GetString();
}

template <class C, class O>
bool StringT<C, O>::operator==(const C* text) const {
    if (text == nullptr || text[0] == 0) {
        return IsEmpty();
    }
    if (IsEmpty()) {
        return false;
    }
    return TextEquals(GetString(), text);
}

template <class C, class O>
bool StringT<C, O>::operator==(const O* text) const {
    const StringT converted(text);
    if (converted.mBuffer == mBuffer) {
        return true;
    }
    return *this == converted.GetString();
}

template <class C, class O>
bool StringT<C, O>::operator<(const StringT& other) const {
    const C* a = GetString();
    const C* b = other.GetString();
    return a != b && Text::Less(a, b);
}

template <class C, class O>
int32_t StringT<C, O>::ConvertFromTwin(RCPtr<LIBuffer>& out, const O* text, int32_t count) {
    if constexpr (kWide) {
        return AssignUTF8(out, text, count);
    } else {
        return AssignUTF16(out, text, count);
    }
}

template <class C, class O>
int32_t StringT<C, O>::AssignUTF8(RCPtr<LIBuffer>& out, const char* text, int32_t count) requires kWide {
    if (text == nullptr || text[0] == 0) {
        out = RCPtr<LIBuffer>(EmptyBuffer());
        return S_OK;
    }
    const size_t bytes = count < 0 ? std::strlen(text) + 1 : static_cast<size_t>(count);
    RCPtr<LIBuffer> buffer = NewBuffer(static_cast<uint32_t>(bytes + 1));
    char16_t* units = static_cast<char16_t*>(buffer->GetBytes());
    const Text::ConversionResult result = Text::Utf8ToUtf16(text, bytes, units, bytes + 1);
    units[bytes] = 0;
    const size_t length = Text::Length(units);
    if (length == 0) {
        // Nothing converted (a lone continuation byte, a cut lead byte): the empty result is
        // the shared empty text, like every other empty string.
        out = RCPtr<LIBuffer>(EmptyBuffer());
    } else {
        buffer->SetSize(static_cast<uint32_t>((length + 1) * sizeof(char16_t)));
        out = buffer;
    }
    return result.complete ? S_OK : E_FAIL;
}

template <class C, class O>
int32_t StringT<C, O>::AssignUTF16(RCPtr<LIBuffer>& out, const char16_t* text,
                                   int32_t count) requires(!kWide) {
    if (text == nullptr || text[0] == 0) {
        out = RCPtr<LIBuffer>(EmptyBuffer());
        return S_OK;
    }
    const size_t units = count < 0 ? Text::Length(text) + 1 : static_cast<size_t>(count);
    RCPtr<LIBuffer> buffer = NewBuffer(static_cast<uint32_t>(4 * units + 1));
    char* bytes = static_cast<char*>(buffer->GetBytes());
    const Text::ConversionResult result = Text::Utf16ToUtf8(text, units, bytes, 4 * units + 1);
    bytes[4 * units] = 0;
    const size_t length = std::strlen(bytes);
    if (length == 0) {
        out = RCPtr<LIBuffer>(EmptyBuffer());
    } else {
        buffer->SetSize(static_cast<uint32_t>(length + 1));
        out = buffer;
    }
    return result.complete ? S_OK : E_FAIL;
}

template <class C, class O>
StringT<O, C> StringT<C, O>::ToUTF8() const requires kWide {
    return StringT<O, C>(*this);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Format(const C* format, ...) requires kWide {
    // The formatted text is cut at 16383 units, as the buffer holds 16384 with the zero.
    constexpr size_t kUnits = 16384;
    std::unique_ptr<char16_t[]> buffer(new char16_t[kUnits]);
    va_list args;
    va_start(args, format);
    Text::VFormat(buffer.get(), kUnits, format, args);
    va_end(args);
    return StringT(buffer.get());
}

template <class C, class O>
StringT<C, O> StringT<C, O>::FromInt(int32_t value, int32_t digits) requires kWide {
    return WithDecimalPoint(Format(u"%d", value), digits);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::FromUInt(uint32_t value, int32_t digits) requires kWide {
    return WithDecimalPoint(Format(u"%u", value), digits);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::FromDouble(double value, int32_t digits) requires kWide {
    if (digits < 0) {
        return Format(u"%lf", value);
    }
    const StringT format = Format(u"%%.%dlf", digits);
    return Format(format.GetString(), value);
}

template <class C, class O>
StringT<C, O>& StringT<C, O>::Replace(const C* set, C with) {
    if (with == 0 || set == nullptr || set[0] == 0) {
        return *this;
    }
    const int32_t length = GetLength();
    std::vector<C> copy(GetString(), GetString() + length);
    copy.push_back(0);
    size_t at = 0;
    while (at < static_cast<size_t>(length)) {
        at += UnitSpanExcluding(copy.data() + at, set);
        if (at >= static_cast<size_t>(length)) {
            break;
        }
        copy[at++] = with;
    }
    Assign(copy.data(), kWholeText);
    return *this;
}

template <class C, class O>
int32_t StringT<C, O>::Split(StringArrayT<C, O>& out, const StringT& delimiters) const {
    const C* set = delimiters.GetString();
    if (UnitSpanExcluding(GetString(), set) >= static_cast<size_t>(GetLength())) {
        out.SetCount(1);
        out.GetData()[0] = *this;
        return static_cast<int32_t>(out.GetCount());
    }
    out.RemoveAll();
    StringT rest(*this);
    while (!rest.IsEmpty()) {
        const int32_t restLength = rest.GetLength();
        const int32_t k = static_cast<int32_t>(UnitSpanExcluding(rest.GetString(), set));
        if (k > 0) {
            out.Add(rest.Mid(0, k));
        } else {
            out.Add(GetEmpty());
        }
        if (k < restLength) {
            rest = rest.Mid(k + 1);
        } else {
            rest.Empty();
        }
    }
    return static_cast<int32_t>(out.GetCount());
}

template <class C, class O>
StringArrayT<C, O> StringT<C, O>::Split(const StringT& delimiters) const {
    StringArrayT<C, O> out;
    Split(out, delimiters);
    return out;
}

template <class C, class O>
StringT<C, O> StringT<C, O>::ToUpper() const {
    if (IsEmpty()) {
        return StringT();
    }
    StringT result;
    result.Assign(GetString(), GetLength());
    C* units = result.Data();
    for (int32_t i = 0; i < GetLength(); ++i) {
        units[i] = Text::ToUpper(units[i]);
    }
    return result;
}

template <class C, class O>
StringT<C, O> StringT<C, O>::ToLower() const {
    if (IsEmpty()) {
        return StringT();
    }
    StringT result;
    result.Assign(GetString(), GetLength());
    C* units = result.Data();
    for (int32_t i = 0; i < GetLength(); ++i) {
        if constexpr (kWide) {
            units[i] = Text::ToLower(units[i]);
        } else {
            units[i] = (units[i] >= 'A' && units[i] <= 'Z') ? static_cast<C>(units[i] - 'A' + 'a') : units[i];
        }
    }
    return result;
}

template <class C, class O>
int32_t StringT<C, O>::ToInt() const requires kWide {
    return Text::ToInt(GetString());
}

template <class C, class O>
double StringT<C, O>::ToDouble() const requires kWide {
    return Text::ToDouble(GetString());
}

template class StringT<char16_t, char>;
template class StringT<char, char16_t>;

namespace {
// The empty texts exist before main runs, so no later string operation allocates them.
[[maybe_unused]] const WString& gEmptyWide = WString::GetEmpty();
[[maybe_unused]] const NString& gEmptyNarrow = NString::GetEmpty();
}  // namespace

WString StringToString(const WString& text) {
    return text;
}

}  // namespace QV
