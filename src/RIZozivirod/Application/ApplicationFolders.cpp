#include "RIZozivirod/Application/ApplicationFolders.h"

#include <stdexcept>

#include "Platform/DynamicLibrary.h"
#include "Platform/UserFolders.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/File.h"

namespace QV {
namespace {

WString Join(const WString& folder, const WString& name) {
    return folder + WString(File::kSeparator) + name;
}

// base + company + product, each level created when missing.
WString DataFolder(const WString& base, const WString& companyName, const WString& productName) {
    if (base.IsEmpty()) {
        return base;
    }
    File::EnsureDirectory(base);
    WString folder = Join(base, File::MakeValidFileName(companyName));
    File::EnsureDirectory(folder);
    folder = Join(folder, File::MakeValidFileName(productName));
    File::EnsureDirectory(folder);
    return folder;
}

}  // namespace

WString ApplicationFolders::GetFolder(int32_t id, const WString& companyName, const WString& productName) {
    if (id == 5 || id == 6) {
        id = kDocumentsFolder;
    }
    switch (id) {
        case kProgramFolder:
            return File::GetDirectoryName(Platform::DynamicLibrary::GetProgramPath());
        case kResourceFolder:
            return WString(u"::");
        case kMachineDataFolder:
            return DataFolder(Platform::GetSystemDataFolder(), companyName, productName);
        case kUserDataFolder:
            return DataFolder(Platform::GetUserDataFolder(), companyName, productName);
        case kDocumentsFolder: {
            WString folder = Platform::GetDocumentsFolder();
            if (!folder.IsEmpty()) {
                File::EnsureDirectory(folder);
            }
            return folder;
        }
        default:
            QV_THROW(std::out_of_range, "Unknown Path ID.");
    }
}

WString ApplicationFolders::GetProfilePath(const WString& companyName, const WString& productName) {
    const WString state = Platform::GetUserStateFolder();
    if (state.IsEmpty()) {
        return state;
    }
    return Join(Join(Join(state, File::MakeValidFileName(companyName)), File::MakeValidFileName(productName)),
                u"Profile.ini");
}

}  // namespace QV
