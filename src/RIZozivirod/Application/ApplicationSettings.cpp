#include "RIZozivirod/Application/ApplicationSettings.h"

#include <utility>

#include "RIZozivirod/Application/ApplicationFolders.h"
#include "RIZozivirod/Utilities/Storage/File.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

ApplicationSettings::ApplicationSettings(RCPtr<IIniFileManager> store, const WString& settingsVersion,
                                         const WString& productName, FolderSource folders)
    : mStore(std::move(store)),
      mSettingsVersion(settingsVersion),
      mProductName(productName),
      mFolders(std::move(folders)) {}

int32_t ApplicationSettings::OpenSettings(int32_t kind) {
    if (kind != kMachineSettings && kind != kUserSettings) {
        return 0;
    }
    int32_t& handle = kind == kMachineSettings ? mAppSettingsHandle : mUserSettingsHandle;
    if (handle != 0 || !mStore) {
        return handle;
    }
    const WString folder = mFolders(kind == kMachineSettings ? ApplicationFolders::kMachineDataFolder
                                                             : ApplicationFolders::kUserDataFolder);
    if (folder.IsEmpty()) {
        return 0;
    }
    const WString name = kind == kMachineSettings ? u"AppSettings.ini" : u"UserSettings.ini";
    mStore->OpenIniFile(folder + WString(File::kSeparator) + name, mSettingsVersion, mProductName, handle);
    return handle;
}

int32_t ApplicationSettings::GetCurrentSkinIndex() {
    int32_t index = 0;
    const int32_t handle = OpenSettings(kUserSettings);
    if (handle != 0) {
        mStore->GetIniValueInt(handle, kCurrentSkinIndexKey, 0, index);
    }
    return index;
}

int32_t ApplicationSettings::SetCurrentSkinIndex(int32_t index) {
    const int32_t handle = OpenSettings(kUserSettings);
    return handle != 0 ? mStore->SetIniValueInt(handle, kCurrentSkinIndexKey, index) : S_FALSE;
}

WString ApplicationSettings::GetLastFolderPath() {
    const WString documents = mFolders(ApplicationFolders::kDocumentsFolder);
    WString folder = documents;
    const int32_t handle = OpenSettings(kUserSettings);
    if (handle != 0) {
        mStore->GetIniValueStr(handle, kLastFolderPathKey, documents, folder);
    }
    return folder;
}

int32_t ApplicationSettings::SetLastFolderPath(const WString& folder) {
    const int32_t handle = OpenSettings(kUserSettings);
    return handle != 0 ? mStore->SetIniValueStr(handle, kLastFolderPathKey, folder) : S_FALSE;
}

}  // namespace QV
