#include "RIZozivirod/ControlBase/ControlFactory.h"

#include <expat.h>

#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <string>

#include "Platform/DebugOutput.h"
#include "Platform/Resources/ModuleResources.h"
#include "RIZozivirod/ControlBase/LookDescriptor.h"
#include "RIZozivirod/Utilities/Graphics/Colorizer.h"
#include "RIZozivirod/Utilities/Storage/File.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

constexpr int32_t kEnglish = 0x0009;
constexpr int32_t kChineseTraditional = 0x7C04;

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

RCPtr<LControlFactory> LControlFactory::Create(const WString& applicationName) {
    return RCPtr<LControlFactory>(new LControlFactory(applicationName));
}

LControlFactory::LControlFactory(const WString& applicationName) : mApplicationName(applicationName) {}

LControlFactory::~LControlFactory() = default;

// ---------------------------------------------------------------------------------------------
// Class registry

int32_t LControlFactory::RegisterControlClass(const WString& className, ControlCreateFunction creator) {
    mClasses.emplace(className, creator);
    return S_OK;
}

int32_t LControlFactory::GetControlCreateFunction(const WString& className,
                                                  ControlCreateFunction& creator) const {
    const auto found = mClasses.find(className);
    if (found == mClasses.end()) {
        QV_THROW(std::runtime_error);
    }
    creator = found->second;
    return S_OK;
}

// ---------------------------------------------------------------------------------------------
// String tables

RCPtr<LStringTable> LControlFactory::GetStringTable(const WString& tableId) const {
    const auto found = mStringTables.find(tableId);
    return found == mStringTables.end() ? RCPtr<LStringTable>() : LStringTable::Create(found->second);
}

RCPtr<LStringTable> LControlFactory::GetApplicationStringTable() const {
    return GetStringTable(WString(u"|") + mApplicationName);
}

RCPtr<LStringTable> LControlFactory::GetFrameworkStringTable() const {
    return GetStringTable(WString(u"Framework"));
}

RCPtr<LStringTable> LControlFactory::GetControlStringTable(const WString& parentClass,
                                                           const WString& name) const {
    const WString& left = parentClass.IsEmpty() ? mApplicationName : parentClass;
    return GetStringTable(left + WString(u"|") + name);
}

int32_t LControlFactory::StringTablePass(const WString& path, int32_t lcid) {
    mStringTableMode = true;
    mWantedLCID = lcid;
    mCollecting = false;
    mMatchCount = 0;
    mCurrentTable = nullptr;
    mCurrentText = nullptr;
    const int32_t result = ParseDocument(path, true);
    mCollecting = false;
    mStringTableMode = false;
    // A bad document only ends the pass early; running out of memory ends the loading.
    return result == E_OUTOFMEMORY ? result : S_OK;
}

int32_t LControlFactory::LoadStringTables(const WString& applicationPath, const WString& frameworkPath,
                                          int32_t lcid) {
    // The application's document decides the language: the one asked for, then its group
    // (Chinese Traditional for Taiwan, Hong Kong and Macao, else the primary language), then
    // English.
    int32_t result = StringTablePass(applicationPath, lcid);
    if (result == S_OK && mMatchCount == 0) {
        const bool traditional = lcid == 0x0404 || lcid == 0x0C04 || lcid == 0x1404;
        result = StringTablePass(applicationPath, traditional ? kChineseTraditional : (lcid & 0xFF));
    }
    if (result == S_OK && mMatchCount == 0) {
        result = StringTablePass(applicationPath, kEnglish);
    }
    // The framework's texts follow in that language, else in English.
    if (result == S_OK) {
        result = StringTablePass(frameworkPath, mWantedLCID);
    }
    if (result == S_OK && mMatchCount == 0) {
        result = StringTablePass(frameworkPath, kEnglish);
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Skins

RCPtr<LControlDescriptor> LControlFactory::GetSkin(uint32_t index) const {
    return index < mSkins.GetCount() ? mSkins.GetAt(index) : RCPtr<LControlDescriptor>();
}

int32_t LControlFactory::LoadSkins(const WString& path) {
    mStringTableMode = false;
    mInCreateParam = false;
    mInLooks = false;
    mCurrentDescriptor = nullptr;
    mSubControls.clear();
    int32_t result;
    try {
        result = ParseDocument(path, false);
    } catch (const std::exception& error) {
        Warn(FromUtf8(error.what()));
        result = E_FAIL;
    }
    if (result == E_OUTOFMEMORY) {
        result = E_FAIL;
    }
    mSkinIndex = 0;
    return result;
}

RCPtr<LControlDescriptor> LControlFactory::FindControlDescriptor(const WString& name) const {
    const RCPtr<LControlDescriptor> skin = GetSkin(static_cast<uint32_t>(mSkinIndex));
    if (!skin) {
        return {};
    }
    const LControlDescriptor::ChildList& children = skin->GetChildren();
    for (uint32_t i = children.GetCount(); i-- > 0;) {
        const RCPtr<LControlDescriptor>& child = children.GetAt(i);
        if (child && child->GetName() == name) {
            return child;
        }
    }
    return {};
}

RCPtr<LControlDescriptor> LControlFactory::CloneDescriptor(const RCPtr<LControlDescriptor>& source,
                                                           const RCPtr<LLayoutDescriptor>& layout,
                                                           const WString& name) const {
    if (!source) {
        return {};
    }
    RCPtr<LControlDescriptor> copy = source->Clone(name);
    copy->SetLayout(layout);
    return copy;
}

int32_t LControlFactory::GetSkinFont(WString& faceName, float& size, int32_t& style) const {
    const RCPtr<LControlDescriptor> root = GetSkin(static_cast<uint32_t>(mSkinIndex));
    if (!root || !root->GetSkin()) {
        return S_FALSE;
    }
    const LSkinDescriptor& skin = *root->GetSkin();
    bool given = false;
    if (!skin.fontName.IsEmpty()) {
        faceName = skin.fontName;
        given = true;
    }
    if (skin.fontSize >= 1.0f) {
        size = skin.fontSize;
        given = true;
    }
    if (skin.fontStyle != -1) {
        style = skin.fontStyle;
        given = true;
    }
    return given ? S_OK : S_FALSE;
}

RCPtr<LColorizer> LControlFactory::FindColorizer(const WString& name) const {
    const auto found = mColorizers.find(name);
    return found == mColorizers.end() ? RCPtr<LColorizer>() : found->second;
}

RCPtr<LVisualPartDescriptor> LControlFactory::FindVisualPart(const WString& name) const {
    const auto found = mVisualParts.find(name);
    return found == mVisualParts.end() ? RCPtr<LVisualPartDescriptor>() : found->second;
}

RCPtr<LLookDescriptor> LControlFactory::FindLook(const WString& name) const {
    const auto found = mLooks.find(name);
    return found == mLooks.end() ? RCPtr<LLookDescriptor>() : found->second;
}

WString LControlFactory::TranslateFontName(const WString& name) const {
    const auto found = mFontTranslations.find(name);
    return found == mFontTranslations.end() ? name : found->second;
}

// ---------------------------------------------------------------------------------------------
// Documents

int32_t LControlFactory::ParseDocument(const WString& path, bool missingIsFine) {
    if (Platform::IsResourceReference(path)) {
        const Platform::ModuleResource resource = Platform::FindModuleResource(
            Platform::kXmlResourceType, Platform::ResourceNameFromReference(path));
        if (!resource || resource.length == 0) {
            return missingIsFine ? S_FALSE : E_FAIL;
        }
        if (resource.length > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
            return E_FAIL;
        }
        return ParseXml(reinterpret_cast<const char*>(resource.bytes), static_cast<int32_t>(resource.length));
    }

    // Opening, measuring or reading a file that is not there raises its Runtime Error.
    File file(path, WString(), File::kRead);
    const int32_t length = file.GetLength();
    if (length <= 0) {
        // An empty file is no document; it is not counted as a zero-terminated text.
        file.Close();
        return E_FAIL;
    }
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(length)]);
    if (!buffer) {
        return E_OUTOFMEMORY;
    }
    int32_t total = 0;
    while (total < length) {
        const int32_t count = file.Read(buffer.get() + total, static_cast<uint32_t>(length - total), -1);
        if (count <= 0) {
            break;
        }
        total += count;
    }
    file.Close();
    if (total == 0) {
        return E_FAIL;
    }
    return ParseXml(buffer.get(), total);
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
    const auto found = attributes.find(WString(name));
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
