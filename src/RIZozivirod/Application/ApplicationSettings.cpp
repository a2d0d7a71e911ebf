#include "RIZozivirod/Application/ApplicationSettings.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "Platform/DebugOutput.h"

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
    const WString name = kind == kMachineSettings ? u"AppSettings.ini" : u"UserSettings.ini";
    bool& reported = kind == kMachineSettings ? mAppOpenReported : mUserOpenReported;
    if (folder.IsEmpty()) {
        if (!reported) {
            reported = true;
            Report(std::string(NString(name).GetString()) +
                   " has no folder (no home folder was found); settings are not kept");
        }
        return 0;
    }
    const WString path = folder + WString(File::kSeparator) + name;
    errno = 0;
    const int32_t result = mStore->OpenIniFile(path, mSettingsVersion, mProductName, handle);
    const int cause = errno;
    if (handle == 0 && result != E_FAIL && !reported) {
        // E_FAIL alone means there is no settings library, which its loading has said already.
        reported = true;
        Report(std::string(NString(path).GetString()) + " cannot be opened" + Cause(cause) +
               "; settings are not kept");
    }
    return handle;
}

void ApplicationSettings::Report(const std::string& what) {
    DebugOutput::Get().GetNarrowStream() << "Settings : " << what << std::endl;
}

std::string ApplicationSettings::Cause(int error) {
    return error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string();
}

int32_t ApplicationSettings::CheckWrite(int32_t result, int error) {
    if (result >= 0) {
        mWriteReported = false;
    } else if (!mWriteReported) {
        // Said once until a write succeeds again: every change retries the save.
        mWriteReported = true;
        Report("UserSettings.ini could not be saved" + Cause(error) +
               "; the change is kept until the program ends");
    }
    return result;
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
    if (handle == 0) {
        return S_FALSE;
    }
    errno = 0;
    const int32_t result = mStore->SetIniValueInt(handle, kCurrentSkinIndexKey, index);
    return CheckWrite(result, errno);
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
    if (handle == 0) {
        return S_FALSE;
    }
    errno = 0;
    const int32_t result = mStore->SetIniValueStr(handle, kLastFolderPathKey, folder);
    return CheckWrite(result, errno);
}

}  // namespace QV
