#include "RIZozivirod/ControlBase/ControlFactory.h"

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

int LControlFactory::TableIdLess::Compare(const char16_t* id, const JoinedTableId& joined) {
    for (const char16_t* part : {joined.left, static_cast<const char16_t*>(u"|"), joined.right}) {
        for (; *part != 0; ++part, ++id) {
            if (*id != *part) {
                return static_cast<uint16_t>(*id) < static_cast<uint16_t>(*part) ? -1 : 1;
            }
        }
    }
    return *id == 0 ? 0 : 1;
}

RCPtr<LStringTable> LControlFactory::GetControlStringTable(const WString& parentClass,
                                                           const WString& name) const {
    // Every control asks for its table when it is made; most have none.
    const WString& left = parentClass.IsEmpty() ? mApplicationName : parentClass;
    const auto found = mStringTables.find(JoinedTableId{left.GetString(), name.GetString()});
    return found == mStringTables.end() ? RCPtr<LStringTable>() : LStringTable::Create(found->second);
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
        Warn(WString(error.what()));
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

}  // namespace QV
