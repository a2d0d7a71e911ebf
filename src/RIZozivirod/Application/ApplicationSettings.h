#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Platform/IniFileManager.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// The application's settings files and the user's settings in them, through the settings
// store. A file is opened on first use and kept open; one that could not be opened is tried
// again at every call, and meanwhile reads give their defaults and writes are skipped. A file
// that cannot be opened, and a change that cannot be saved, are said in the debug output once
// (a failed save again after a save has succeeded). Used on the user-interface thread only.
class ApplicationSettings {
public:
    static constexpr int32_t kMachineSettings = 0;  // "AppSettings.ini" in the machine data folder
    static constexpr int32_t kUserSettings = 1;     // "UserSettings.ini" in the user data folder

    static constexpr char16_t kSettingsVersion[] = u"1_0_0";
    static constexpr char16_t kCurrentSkinIndexKey[] = u"CurrentSkinIndex";
    static constexpr char16_t kLastFolderPathKey[] = u"LastFolderPath";

    // The folder of an ApplicationFolders id.
    using FolderSource = std::function<WString(int32_t id)>;

    // store may be null (no settings at all).
    ApplicationSettings(RCPtr<IIniFileManager> store, const WString& settingsVersion,
                        const WString& productName, FolderSource folders);

    // The handle of the file of kind, 0 when it could not be opened or for another kind. A
    // folder that cannot be found opens no file (never one at the root).
    int32_t OpenSettings(int32_t kind);

    // "CurrentSkinIndex", 0 when missing.
    int32_t GetCurrentSkinIndex();
    // The store's result, S_FALSE when there is no user settings file.
    int32_t SetCurrentSkinIndex(int32_t index);
    // "LastFolderPath", the documents folder when missing.
    WString GetLastFolderPath();
    int32_t SetLastFolderPath(const WString& folder);

private:
    static void Report(const std::string& what);
    static std::string Cause(int error);
    int32_t CheckWrite(int32_t result, int error);

    RCPtr<IIniFileManager> mStore;
    WString mSettingsVersion;
    WString mProductName;
    FolderSource mFolders;
    int32_t mAppSettingsHandle = 0;
    int32_t mUserSettingsHandle = 0;
    bool mAppOpenReported = false;
    bool mUserOpenReported = false;
    bool mWriteReported = false;
};

}  // namespace QV
