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
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const std::string& name : names) {
        folders.Add(QV::WString(name.c_str()));
    }
    return names.empty() ? QV::E_FAIL : QV::S_OK;
}

}  // namespace Platform
