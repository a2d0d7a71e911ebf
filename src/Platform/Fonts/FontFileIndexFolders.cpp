#include "Platform/Fonts/FontFileIndexFolders.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Result.h"

namespace Platform {

int32_t GetFontFolders(QV::WStringArray& folders) {
    folders.RemoveAll();
    FcConfig* config = FcConfigGetCurrent();
    if (config == nullptr) {
        return QV::E_FAIL;
    }
    FcStrList* list = FcConfigGetFontDirs(config);
    if (list == nullptr) {
        return QV::E_FAIL;
    }
    std::vector<std::string> names;
    while (const FcChar8* name = FcStrListNext(list)) {
        names.emplace_back(reinterpret_cast<const char*>(name));
    }
    FcStrListDone(list);
    // Fonts the application added itself are fontconfig's fonts too: their folders.
    if (FcFontSet* added = FcConfigGetFonts(config, FcSetApplication)) {
        for (int i = 0; i < added->nfont; ++i) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(added->fonts[i], FC_FILE, 0, &file) == FcResultMatch) {
                const std::string path(reinterpret_cast<const char*>(file));
                const size_t slash = path.rfind('/');
                if (slash != std::string::npos && slash > 0) {
                    names.push_back(path.substr(0, slash));
                }
            }
        }
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const std::string& name : names) {
        folders.Add(QV::WString(name.c_str()));
    }
    return names.empty() ? QV::E_FAIL : QV::S_OK;
}

}  // namespace Platform
