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

// UTF-8 from expat to wide text; a text that is not well-formed becomes empty.
WString FromUtf8(const char* text, size_t bytes) {
    if (text == nullptr || bytes == 0) {
        return WString();
    }
    std::u16string units(bytes + 1, u'\0');
    const Text::ConversionResult result = Text::Utf8ToUtf16(text, bytes, units.data(), bytes);
    if (!result.complete) {
        return WString();
    }
    units.resize(result.written);
    // Character data never holds a zero, so the text ends at its true end.
    return WString(units.c_str());
}

WString FromUtf8(const char* text) {
    return FromUtf8(text, text == nullptr ? 0 : std::strlen(text));
}

}  // namespace

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
    DebugOutput::Get().GetNarrowStream() << "Skin reader: " << line.ToUTF8().GetString() << std::endl;
}

// Exceptions never cross expat's frames: a handler that fails stops the parser, and ParseXml
// reports the failure once XML_Parse has returned.
void LControlFactory::StartElementHandler(void* userData, const char* name, const char** attributes) {
    auto* self = static_cast<LControlFactory*>(userData);
    if (self->mHandlerFailed) {
        return;
    }
    try {
        AttributeMap map;
        for (const char** at = attributes; at != nullptr && at[0] != nullptr && at[1] != nullptr; at += 2) {
            map.emplace(FromUtf8(at[0]), FromUtf8(at[1]));
        }
        self->XMLStartElement(FromUtf8(name), map);
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
        self->XMLEndElement(FromUtf8(name));
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
        const WString piece = FromUtf8(data, static_cast<size_t>(length));
        if (self->mStringTableMode) {
            if (self->mCollecting && self->mCurrentText != nullptr) {
                *self->mCurrentText += piece;
            }
        } else if (self->mInCreateParam && self->mCurrentCreateParams) {
            // The value is all the text of the element: expat may hand it over in pieces.
            WString value;
            self->mCurrentCreateParams->GetString(self->mCurrentId.GetString(), value);
            self->mCurrentCreateParams->SetString(self->mCurrentId, value + piece);
        }
    } catch (...) {
        self->StopOnError();
    }
}

// ---------------------------------------------------------------------------------------------
// Elements shared by both documents, and the string-table elements

void LControlFactory::XMLStartElement(const WString& name, const AttributeMap& attributes) {
    if (mSkipRoot) {
        mSkipRoot = false;
        return;
    }
    if (name == u"Application") {
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
        Warn(WString(u"unknown element ") + name);
    }
}

void LControlFactory::XMLEndElement(const WString& name) {
    if (mStringTableMode) {
        mCollecting = false;
        return;
    }
    EndSkinElement(name);
}

bool LControlFactory::StartStringTableElement(const WString& name, const AttributeMap& attributes) {
    if (name == u"StringTable") {
        WString id;
        GetAttribute(attributes, u"ID", id);
        // Two tables of one id share one map.
        mCurrentTable = &mStringTables[id];
        return true;
    }
    if (name == u"String") {
        GetAttribute(attributes, u"ID", mCurrentId);
        return true;
    }
    if (name == u"Locale") {
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

int32_t LControlFactory::ParseIntOrHex(const WString& text) {
    const char16_t* at = text.GetString();
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

float LControlFactory::ParseFloat(const WString& text) {
    // Numbers beyond a float's range saturate; NaN and infinity read as 0.
    const double value = Text::ToDouble(text.GetString());
    if (std::isnan(value)) {
        return 0.0f;
    }
    if (std::isinf(value)) {
        // "inf" and "infinity" are no numbers of a skin; digits too large for a double are.
        const char16_t* at = text.GetString();
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

bool LControlFactory::GetAttribute(const AttributeMap& attributes, const char16_t* name, WString& out) {
    const auto found = attributes.find(name);
    if (found == attributes.end()) {
        return false;
    }
    out = found->second;
    return true;
}

bool LControlFactory::GetBoolAttribute(const AttributeMap& attributes, const char16_t* name, bool& out) {
    WString text;
    if (!GetAttribute(attributes, name, text)) {
        return false;
    }
    out = text == u"True";
    return true;
}

bool LControlFactory::GetFloatAttribute(const AttributeMap& attributes, const char16_t* name, float& out) {
    WString text;
    if (!GetAttribute(attributes, name, text)) {
        return false;
    }
    out = ParseFloat(text);
    return true;
}

bool LControlFactory::GetIntAttribute(const AttributeMap& attributes, const char16_t* name, int32_t& out) {
    WString text;
    if (!GetAttribute(attributes, name, text)) {
        return false;
    }
    out = ParseIntOrHex(text);
    return true;
}

}  // namespace QV
