#include "RIZozivirod/Renderer/FontRenderer/FontFileInfo.h"

#include <exception>
#include <ostream>
#include <stdexcept>
#include <string>

#include "Platform/DebugOutput.h"
#include "Platform/Fonts/FontFace.h"
#include "Platform/Fonts/FontFileIndexFolders.h"
#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Renderer/FontRenderer/FontFileNames.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "RIZozivirod/Utilities/Storage/File.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/RCPtrMap.h"

namespace QV {
namespace {

using FontIndex = RCPtrArray<LFontFileInfo, 1, 0>;

// Made on first use and never destroyed.
FontIndex& Index() {
    static FontIndex* const index = new FontIndex();
    return *index;
}

using ResolutionCache = RCPtrMap<LFont, LFontFileInfo, 8>;

// Font object -> its family's entry; made on first use and never destroyed.
ResolutionCache& Cache() {
    static ResolutionCache* const cache = new ResolutionCache();
    return *cache;
}

// The styles to try, in order, when a family lacks the one asked for.
constexpr int32_t kFallbackOrder[4][3] = {
    {LFontFileInfo::kBold, LFontFileInfo::kItalic, LFontFileInfo::kBoldItalic},
    {LFontFileInfo::kBoldItalic, LFontFileInfo::kRegular, LFontFileInfo::kItalic},
    {LFontFileInfo::kBoldItalic, LFontFileInfo::kRegular, LFontFileInfo::kBold},
    {LFontFileInfo::kBold, LFontFileInfo::kItalic, LFontFileInfo::kRegular},
};

int32_t StyleOfSubfamily(const WString& subfamily) {
    if (subfamily == u"bold") {
        return LFontFileInfo::kBold;
    }
    if (subfamily == u"italic") {
        return LFontFileInfo::kItalic;
    }
    if (subfamily == u"bold italic") {
        return LFontFileInfo::kBoldItalic;
    }
    return LFontFileInfo::kRegular;
}

LFontFileInfo* Find(const WString& family) {
    FontIndex& index = Index();
    for (uint32_t i = index.GetCount(); i-- > 0;) {
        LFontFileInfo* entry = index.GetAt(i).Get();
        if (entry->GetFamily() == family) {
            return entry;
        }
    }
    return nullptr;
}

WString ToWString(const std::u16string& text) {
    WString result;
    result.Assign(text.c_str(), static_cast<int32_t>(text.size()));
    return result;
}

// The names of a font file read through bounded reads of the file; E_FAIL too for a file that
// cannot be opened or measured.
int32_t ReadFontFile(const WString& path, const FontFileNames::Found& found) {
    File file(path, WString(), File::kRead);
    if (!file.IsOpen()) {
        return E_FAIL;
    }
    int32_t length;
    try {
        length = file.GetLength();
    } catch (const std::exception&) {
        return E_FAIL;
    }
    return FontFileNames::Read(
        static_cast<uint32_t>(length),
        [&file](uint32_t offset, void* buffer, uint32_t count) {
            const int32_t got = file.Read(buffer, count, static_cast<int32_t>(offset));
            return got < 0 ? 0u : static_cast<uint32_t>(got);
        },
        found);
}

}  // namespace

LFontFileInfo::LFontFileInfo(const WString& family, int32_t index) : mFamily(family), mIndex(index) {}

int32_t LFontFileInfo::BuildFontIndex() {
    EmptyFontIndex();
    WStringArray folders;
    if (Failed(Platform::GetFontFolders(folders))) {
        return E_FAIL;
    }
    return BuildFontIndex(folders);
}

int32_t LFontFileInfo::BuildFontIndex(const WStringArray& folders) {
    EmptyFontIndex();
    // Collections last, so that a style found in both a single font and a collection keeps the
    // collection's file.
    WStringArray files;
    for (const char16_t* pattern : {u"*.ttf", u"*.ttc"}) {
        for (uint32_t i = 0; i < folders.GetCount(); ++i) {
            WStringArray listed;
            if (File::ListDirectory(folders.GetAt(i), pattern, listed) > 0) {
                files.Append(listed);
            }
        }
    }
    for (uint32_t i = 0; i < files.GetCount(); ++i) {
        const WString& path = files.GetAt(i);
        const int32_t result =
            ReadFontFile(path, [&path](const std::u16string& family, const std::u16string& subfamily) {
                Enter(ToWString(family), ToWString(subfamily), path);
            });
        if (Failed(result)) {
            DebugOutput::Get().GetNarrowStream()
                << "Font file skipped or cut short : " << NString(path).GetString() << std::endl;
        }
    }
    return S_OK;
}

void LFontFileInfo::EmptyFontIndex() {
    // Cached entries belong to the index being emptied.
    Cache().RemoveAll();
    Index().RemoveAll();
}

void LFontFileInfo::Enter(const WString& family, const WString& subfamily, const WString& path) {
    LFontFileInfo* entry = Find(family);
    if (entry == nullptr) {
        FontIndex& index = Index();
        RCPtr<LFontFileInfo> added(new LFontFileInfo(family, static_cast<int32_t>(index.GetCount())));
        index.Add(added);
        entry = added.Get();
    }
    entry->mPaths[StyleOfSubfamily(subfamily)] = path;
}

int32_t LFontFileInfo::GetFileID(const ConstRCPtr<LFont>& font) {
    if (!font) {
        QV_THROW(std::runtime_error);
    }
    LFontFileInfo* entry = Cache().Lookup(font)->Get();
    if (entry == nullptr) {
        entry = Find(font->GetFace());
        if (entry == nullptr) {
            entry = FindSystemFamily();
        }
        if (entry == nullptr) {
            QV_THROW(std::runtime_error);
        }
        Cache().SetAt(font, RCPtr<LFontFileInfo>(entry));
    }
    return ChooseStyle(*entry, font->GetStyle());
}

LFontFileInfo* LFontFileInfo::FindSystemFamily() {
    WString face;
    float size = 0;
    uint32_t style = 0;
    if (Failed(GetApplicationServices().GetSystemFont(face, size, style)) || face.IsEmpty()) {
        return nullptr;
    }
    if (LFontFileInfo* entry = Find(face)) {
        return entry;
    }
    // The system font may be named by a generic family ("sans-serif"): the family fontconfig
    // gives for it.
    const std::shared_ptr<Platform::FontFace> matched =
        Platform::FontFace::Resolve(NString(face).GetString(), 0);
    return matched ? Find(WString(matched->GetFamilyName().c_str())) : nullptr;
}

int32_t LFontFileInfo::ChooseStyle(LFontFileInfo& entry, int32_t style) {
    const int32_t s = style & 3;
    if (entry.mPaths[s].IsEmpty()) {
        for (const int32_t other : kFallbackOrder[s]) {
            if (!entry.mPaths[other].IsEmpty()) {
                // The family keeps the choice, so the id leads to the file chosen.
                entry.mPaths[s] = entry.mPaths[other];
                break;
            }
        }
    }
    return entry.mIndex * 4 + s;
}

const WString& LFontFileInfo::GetFilePath(int32_t id) {
    FontIndex& index = Index();
    if (id < 0 || static_cast<uint32_t>(id / 4) >= index.GetCount()) {
        return WString::GetEmpty();
    }
    return index.GetAt(static_cast<uint32_t>(id / 4))->mPaths[id % 4];
}

uint32_t LFontFileInfo::GetFamilyCount() {
    return Index().GetCount();
}

ConstRCPtr<LFontFileInfo> LFontFileInfo::FindFamily(const WString& family) {
    return Find(family);
}

}  // namespace QV
