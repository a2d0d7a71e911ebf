#include "UI/DriverCommon/PresetManager.h"

#include <exception>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Platform/Desktop/DesktopShell.h"
#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Application/Windows/FrameworkApp.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/StringTable.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/Notification.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/File.h"
#include "UI/DriverCommon/EditorEngine.h"

namespace QV {

WString GetEditorString(const WChar* id) {
    RCPtr<LStringTable> table;
    if (LFrameworkApp::sCurrent != nullptr) {
        table = LFrameworkApp::sCurrent->GetApplicationStrings();
    } else if (const RCPtr<LControlFactory> factory = LControlFactory::GetCurrent()) {
        table = factory->GetApplicationStringTable();
    }
    WString text;
    if (table) {
        table->GetString(id, text);
    }
    return text;
}

LPresetManager::LPresetManager() : mHandler(LNotificationHandler<LPresetManager>::Create(this)) {}

LPresetManager::~LPresetManager() = default;

RCPtr<LPresetManager> LPresetManager::Create() {
    RCPtr<LPresetManager> manager(new LPresetManager());
    QV_CHECK_RESULT(
        manager->mHandler->AddHandler(&LPresetManager::OnLoadControlPanelSettings,
                                      RCPtr<LNotificationDistributor>(GetMainNotificationCenter()),
                                      u"NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS", 0));
    manager->mRegistered = true;
    return manager;
}

int32_t LPresetManager::SavePresetFile(const WString& path) {
    IEditorEngine& engine = GetEditorEngine();
    Array<ParamValue> values;
    engine.GetParamValues(ParamRange{engine.GetFirstParamID(), kDeviceParameterCount}, values, -1);
    std::vector<uint8_t> bytes;
    if (PresetFileFormat::BuildFile(values, bytes) < 0) {
        return E_FAIL;
    }
    return File::WriteAtomically(path, bytes.data(), static_cast<uint32_t>(bytes.size())) < 0 ? E_FAIL : S_OK;
}

int32_t LPresetManager::LoadPresetFile(const WString& path) {
    const RCPtr<LPresetManager> hold(this);
    Notify(LNotification::Create(u"NID_PRESETFILE_PRE_LOAD"));
    const int32_t result = ReadPresetFile(path);
    Notify(LNotification::Create(u"NID_PRESETFILE_POST_LOAD",
                                 RCPtr<LRefCountedObject>(new LPresetFileLoadNotificationData(result))));
    return result;
}

namespace {

// The whole file, or false when it cannot be opened or read or is longer than any preset file.
bool ReadWholePresetFile(const WString& path, std::vector<uint8_t>& bytes) {
    try {
        File file(path, WString(), File::kRead);
        if (!file.IsOpen()) {
            return false;
        }
        const int32_t length = file.GetLength();
        if (length < 0 || static_cast<uint32_t>(length) > PresetFileFormat::kMaxFileSize) {
            return false;
        }
        bytes.resize(static_cast<size_t>(length));
        uint32_t done = 0;
        while (done < bytes.size()) {
            const int32_t count =
                file.Read(bytes.data() + done, static_cast<uint32_t>(bytes.size()) - done, -1);
            if (count <= 0) {
                // The file shrank while it was read: what arrived is all there is.
                bytes.resize(done);
                break;
            }
            done += static_cast<uint32_t>(count);
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

int32_t LPresetManager::ReadPresetFile(const WString& path) {
    std::vector<uint8_t> bytes;
    if (!ReadWholePresetFile(path, bytes)) {
        return PresetFileFormat::kUnreadable;
    }
    std::vector<PresetFileFormat::Record> records;
    const int32_t result = PresetFileFormat::ParseFile(bytes.data(), bytes.size(), records);
    if (result != PresetFileFormat::kLoaded) {
        return result;
    }
    // Every value goes through the engine like an edit; what the engine refuses changes nothing.
    IEditorEngine& engine = GetEditorEngine();
    for (const PresetFileFormat::Record& record : records) {
        engine.SetParamValue(ParamDescriptor(record.index), record.value);
    }
    return result;
}

int32_t LPresetManager::OnLoadControlPanelSettings(const RCPtr<LNotificationDistributor>&,
                                                   const RCPtr<LNotification>& notification) {
    const auto* path = notification ? dynamic_cast<const WString*>(notification->GetParam().Get()) : nullptr;
    if (path != nullptr) {
        LoadPresetFile(WString(*path));
    }
    return 1;
}

int32_t LPresetManager::ShowLoadResultMessage(int32_t result) {
    const WChar* id = nullptr;
    switch (result) {
        case PresetFileFormat::kOlderFile:
            id = u"SETTINGS_FILE_LOAD_OLDER_MESSAGE";
            break;
        case PresetFileFormat::kNewerFile:
            id = u"SETTINGS_FILE_LOAD_NEWER_MESSAGE";
            break;
        case PresetFileFormat::kUnreadable:
            id = u"SETTINGS_FILE_LOAD_CORRUPT_MESSAGE";
            break;
        case PresetFileFormat::kWrongDevice:
            id = u"SETTINGS_FILE_LOAD_WRONG_DEVICE_MESSAGE";
            break;
        default:
            return 0;
    }
    return GetApplicationServices().ShowMessageBox(GetEditorString(id),
                                                   GetEditorString(u"SETTINGS_FILE_LOAD_CAPTION"),
                                                   Platform::MB_OK | Platform::MB_ICONERROR);
}

int32_t LPresetManager::ShowSaveFailedMessage() {
    return GetApplicationServices().ShowMessageBox(GetEditorString(u"SETTINGS_FILE_SAVE_FAILED_MESSAGE"),
                                                   GetEditorString(u"SETTINGS_FILE_SAVE_CAPTION"),
                                                   Platform::MB_OK | Platform::MB_ICONERROR);
}

void LPresetManager::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                         const RCPtr<LNotification>& notification) {
    if (mRegistered && mHandler) {
        mHandler->HandleNotification(sender, notification);
    }
}

int32_t LPresetManager::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                  const WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return LNotificationClient::UnregisterForNotification(distributor, name);
}

}  // namespace QV
