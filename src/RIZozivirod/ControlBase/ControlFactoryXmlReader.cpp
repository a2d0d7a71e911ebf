#include "RIZozivirod/ControlBase/ControlFactory.h"

#include <expat.h>

#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <string>

#include "Platform/DebugOutput.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

// The reader's driver over expat (the only place expat is used), its shared elements, the
// string-table elements and the value types of attribute text; the skin vocabulary is in
// ControlFactorySkinReader.cpp.
namespace QV {

namespace {

// UTF-8 from expat as wide text, converted on the stack when short (names and values mostly
// are), with no string made; empty when not well-formed. Character data never holds a zero, so
// the text ends at its true end.
class WideValue {
public:
    WideValue(const char* text, size_t bytes) {
        char16_t* units = mShort;
        if (bytes > kShortText) {
            mLong.assign(bytes + 1, u'\0');
            units = mLong.data();
        }
        const Text::ConversionResult result = Text::Utf8ToUtf16(text, bytes, units, bytes);
        units[result.complete ? result.written : 0] = 0;
        mText = units;
    }
    explicit WideValue(const char* text) : WideValue(text, std::strlen(text)) {}
    WideValue(const WideValue&) = delete;
    WideValue& operator=(const WideValue&) = delete;

    const char16_t* Get() const { return mText; }

private:
    static constexpr size_t kShortText = 256;
    char16_t mShort[kShortText + 1];
    std::u16string mLong;
    const char16_t* mText = nullptr;
};

// UTF-8 from expat to a wide string; a text that is not well-formed becomes empty.
WString FromUtf8(const char* text, size_t bytes) {
    if (text == nullptr || bytes == 0) {
        return WString();
    }
    return WString(WideValue(text, bytes).Get());
}

// Whether a UTF-8 name (from expat, so well-formed) is the same text as a wide one.
bool IsAttributeName(const char16_t* wide, const char* utf8) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8);
    for (;;) {
        char32_t c = *wide++;
        if (c < 0x80) {
            if (*bytes != c) {
                return false;
            }
            if (c == 0) {
                return true;
            }
            ++bytes;
            continue;
        }
        if (c >= 0xD800 && c < 0xE000) {
            // A surrogate pair is one character; a lone surrogate never comes out of UTF-8.
            if (c >= 0xDC00 || *wide < 0xDC00 || *wide >= 0xE000) {
                return false;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (*wide++ - 0xDC00);
        }
        unsigned char encoded[4];
        size_t count;
        if (c < 0x800) {
            encoded[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
            count = 1;
        } else if (c < 0x10000) {
            encoded[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
            encoded[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            count = 2;
        } else {
            encoded[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
            encoded[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
            encoded[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            count = 3;
        }
        encoded[count++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        for (size_t i = 0; i < count; ++i, ++bytes) {
            if (*bytes != encoded[i]) {
                return false;
            }
        }
    }
}

WString FromUtf8(const char* text) {
    return FromUtf8(text, text == nullptr ? 0 : std::strlen(text));
}

}  // namespace

LControlFactory::AttributeList::AttributeList(
    std::initializer_list<std::pair<const char16_t*, const char16_t*>> pairs)
    : mAttributes(nullptr) {
    mOwnedTexts.reserve(2 * pairs.size());
    for (const auto& [name, value] : pairs) {
        mOwnedTexts.emplace_back(WString(name).ToUTF8().GetString());
        mOwnedTexts.emplace_back(WString(value).ToUTF8().GetString());
    }
    for (const std::string& text : mOwnedTexts) {
        mOwnedList.push_back(text.c_str());
    }
    mOwnedList.push_back(nullptr);
    mAttributes = mOwnedList.data();
}

const char* LControlFactory::AttributeList::Find(const char16_t* name) const {
    for (const char** at = mAttributes; at != nullptr && at[0] != nullptr && at[1] != nullptr; at += 2) {
        if (IsAttributeName(name, at[0])) {
            return at[1];
        }
    }
    return nullptr;
}

int32_t LControlFactory::ParseXml(const char* buffer, int32_t length) {
    if (buffer == nullptr || length < 0) {
        return E_FAIL;
    }
    if (length == 0) {
        length = static_cast<int32_t>(std::strlen(buffer));
    }
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr) {
        return E_OUTOFMEMORY;
    }
    mSkipRoot = true;
    mHandlerFailed = false;
    mParser = parser;
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &LControlFactory::StartElementHandler, &LControlFactory::EndElementHandler);
    XML_SetCharacterDataHandler(parser, &LControlFactory::CharacterDataHandler);
    const XML_Status status = XML_Parse(parser, buffer, length, 1);
    int32_t result = S_OK;
    if (mHandlerFailed) {
        // An error raised while handling an element ends the parse; expat's own error text
        // (the abort) says nothing, so the last XML error stays as it was.
        result = E_FAIL;
    } else if (status != XML_STATUS_OK) {
        mLastErrorText = FromUtf8(XML_ErrorString(XML_GetErrorCode(parser)));
        mLastErrorLine = static_cast<int32_t>(XML_GetCurrentLineNumber(parser));
        result = E_FAIL;
    }
    XML_ParserFree(parser);
    mParser = nullptr;
    mHandlerFailed = false;
    return result;
}

void LControlFactory::StopOnError() {
    mHandlerFailed = true;
    if (mParser != nullptr) {
        XML_StopParser(mParser, XML_FALSE);
    }
}

void LControlFactory::Warn(const WString& text) {
    WString line = text;
    if (mParser != nullptr) {
        line += WString::Format(u" (line %d)", static_cast<int>(XML_GetCurrentLineNumber(mParser)));
    }
    mReaderWarnings.Add(line);
    if (mEchoWarnings) {
        DebugOutput::Get().GetNarrowStream() << "Skin reader: " << line.ToUTF8().GetString() << std::endl;
    }
}

void LControlFactory::EchoReaderWarnings(uint32_t first) const {
    for (uint32_t i = first; i < mReaderWarnings.GetCount(); ++i) {
        DebugOutput::Get().GetNarrowStream()
            << "Skin reader: " << mReaderWarnings.GetAt(i).ToUTF8().GetString() << std::endl;
    }
}

// Exceptions never cross expat's frames: a handler that fails stops the parser, and ParseXml
// reports the failure once XML_Parse has returned.
void LControlFactory::StartElementHandler(void* userData, const char* name, const char** attributes) {
    auto* self = static_cast<LControlFactory*>(userData);
    if (self->mHandlerFailed) {
        return;
    }
    try {
        self->XMLStartElement(name, AttributeList(attributes));
    } catch (const std::exception& error) {
        self->Warn(FromUtf8(error.what()));
        self->StopOnError();
    } catch (...) {
        self->StopOnError();
    }
}

void LControlFactory::EndElementHandler(void* userData, const char* name) {
    auto* self = static_cast<LControlFactory*>(userData);
    if (self->mHandlerFailed) {
        return;
    }
    try {
        self->XMLEndElement(name);
    } catch (...) {
        self->StopOnError();
    }
}

void LControlFactory::CharacterDataHandler(void* userData, const char* data, int length) {
    auto* self = static_cast<LControlFactory*>(userData);
    if (self->mHandlerFailed || length <= 0) {
        return;
    }
    try {
        // Only the text that is kept is converted (most of it is the layout between elements).
        if (self->mStringTableMode) {
            if (self->mCollecting && self->mCurrentText != nullptr) {
                *self->mCurrentText += FromUtf8(data, static_cast<size_t>(length));
            }
        } else if (self->mInCreateParam && self->mCurrentCreateParams) {
            // The value is all the text of the element: expat may hand it over in pieces.
            WString value;
            self->mCurrentCreateParams->GetString(self->mCurrentId.GetString(), value);
            self->mCurrentCreateParams->SetString(self->mCurrentId,
                                                  value + FromUtf8(data, static_cast<size_t>(length)));
        }
    } catch (...) {
        self->StopOnError();
    }
}

// ---------------------------------------------------------------------------------------------
// Elements shared by both documents, and the string-table elements

void LControlFactory::XMLStartElement(const char* name, const AttributeList& attributes) {
    if (mSkipRoot) {
        mSkipRoot = false;
        return;
    }
    if (std::strcmp(name, "Application") == 0) {
        WString applicationName;
        GetAttribute(attributes, u"Name", applicationName);
        if (applicationName != mApplicationName) {
            mApplicationName = applicationName;
        }
        return;
    }
    const bool known =
        mStringTableMode ? StartStringTableElement(name, attributes) : StartSkinElement(name, attributes);
    if (!known) {
        Warn(WString(u"unknown element ") + FromUtf8(name));
    }
}

void LControlFactory::XMLEndElement(const char* name) {
    if (mStringTableMode) {
        mCollecting = false;
        return;
    }
    EndSkinElement(name);
}

bool LControlFactory::StartStringTableElement(const char* name, const AttributeList& attributes) {
    if (std::strcmp(name, "StringTable") == 0) {
        WString id;
        GetAttribute(attributes, u"ID", id);
        // Two tables of one id share one map.
        mCurrentTable = &mStringTables[id];
        return true;
    }
    if (std::strcmp(name, "String") == 0) {
        GetAttribute(attributes, u"ID", mCurrentId);
        return true;
    }
    if (std::strcmp(name, "Locale") == 0) {
        int32_t lcid = 0;
        if (!GetIntAttribute(attributes, u"LCID", lcid)) {
            Warn(WString(u"Locale without LCID"));
            return true;
        }
        if (lcid != mWantedLCID) {
            return true;
        }
        if (mCurrentTable == nullptr) {
            Warn(WString(u"Locale outside a StringTable"));
            return true;
        }
        ++mMatchCount;
        mCollecting = true;
        // A second matching Locale of one id appends to the first one's text.
        mCurrentText = &mCurrentTable->try_emplace(mCurrentId).first->second;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Attribute values

int32_t LControlFactory::ParseIntOrHex(const char16_t* text) {
    const char16_t* at = text;
    if (at[0] == u'0' && at[1] == u'x') {
        at += 2;
        int32_t value = 0;
        for (int digits = 0; digits < 4; ++digits, ++at) {
            int32_t digit;
            if (*at >= u'0' && *at <= u'9') {
                digit = *at - u'0';
            } else if (*at >= u'a' && *at <= u'f') {
                digit = *at - u'a' + 10;
            } else if (*at >= u'A' && *at <= u'F') {
                digit = *at - u'A' + 10;
            } else {
                break;
            }
            value = value * 16 + digit;
        }
        return value;
    }
    // Decimal, saturating at the ends of the 32-bit range ("0X10" reads as 0).
    return Text::ToInt(at);
}

float LControlFactory::ParseFloat(const char16_t* text) {
    // Numbers beyond a float's range saturate; NaN and infinity read as 0.
    const double value = Text::ToDouble(text);
    if (std::isnan(value)) {
        return 0.0f;
    }
    if (std::isinf(value)) {
        // "inf" and "infinity" are no numbers of a skin; digits too large for a double are.
        const char16_t* at = text;
        while (*at == u' ' || (*at >= u'\t' && *at <= u'\r')) {
            ++at;
        }
        if (*at == u'+' || *at == u'-') {
            ++at;
        }
        if (*at == u'i' || *at == u'I') {
            return 0.0f;
        }
    }
    constexpr double kMax = std::numeric_limits<float>::max();
    return static_cast<float>(value > kMax ? kMax : (value < -kMax ? -kMax : value));
}

bool LControlFactory::GetAttribute(const AttributeList& attributes, const char16_t* name, WString& out) {
    const char* value = attributes.Find(name);
    if (value == nullptr) {
        return false;
    }
    out = FromUtf8(value);
    return true;
}

bool LControlFactory::GetBoolAttribute(const AttributeList& attributes, const char16_t* name, bool& out) {
    const char* value = attributes.Find(name);
    if (value == nullptr) {
        return false;
    }
    out = std::strcmp(value, "True") == 0;
    return true;
}

bool LControlFactory::GetFloatAttribute(const AttributeList& attributes, const char16_t* name, float& out) {
    const char* value = attributes.Find(name);
    if (value == nullptr) {
        return false;
    }
    out = ParseFloat(WideValue(value).Get());
    return true;
}

bool LControlFactory::GetIntAttribute(const AttributeList& attributes, const char16_t* name, int32_t& out) {
    const char* value = attributes.Find(name);
    if (value == nullptr) {
        return false;
    }
    out = ParseIntOrHex(WideValue(value).Get());
    return true;
}

bool LControlFactory::GetDecimalAttribute(const AttributeList& attributes, const char16_t* name,
                                          int32_t& out) {
    const char* value = attributes.Find(name);
    if (value == nullptr) {
        return false;
    }
    out = Text::ToInt(WideValue(value).Get());
    return true;
}

}  // namespace QV
