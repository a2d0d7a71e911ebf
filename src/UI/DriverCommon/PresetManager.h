#pragma once

#include <cstdint>

#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"
#include "UI/DriverCommon/PresetFileFormat.h"

namespace QV {

// The payload of "NID_PRESETFILE_POST_LOAD": the load's result.
class LPresetFileLoadNotificationData : public virtual LRefCountedObject {
public:
    explicit LPresetFileLoadNotificationData(int32_t loadResult) : result(loadResult) {}

    int32_t result;
};

// Saves the current preset to a ".kyp" file and loads one back through the device engine, as if
// the user had edited every parameter of it (PresetFileFormat.h has the format). A file is
// checked whole before anything of it is applied, so a refused file changes nothing, and a save
// replaces the file whole or not at all. Loading sends "NID_PRESETFILE_PRE_LOAD" and
// "NID_PRESETFILE_POST_LOAD" from the manager; "NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS" posted to
// the application centre with a path loads that file without a message. User-interface thread.
class LPresetManager : public LNotificationClient, public LNotificationDistributor {
public:
    // Throws a Failed Result when the manager cannot register with the application centre.
    static RCPtr<LPresetManager> Create();

    // Writes the engine's 37 current values to path. 0; E_FAIL when the engine does not give 37
    // values of the parameters' lengths or the file cannot be written (it is then left as it was).
    int32_t SavePresetFile(const WString& path);
    // ReadPresetFile between the two notifications; its result.
    int32_t LoadPresetFile(const WString& path);
    // Reads and checks the whole file, then writes its records to the engine in file order.
    // PresetFileFormat's load results; kUnreadable also for a file that cannot be opened or read
    // or that is longer than any preset file.
    int32_t ReadPresetFile(const WString& path);

    int32_t OnLoadControlPanelSettings(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification);

    // The message box of a failed load (results -1 to -4; others show nothing), with its texts
    // from the application's string table. The button pressed, or 0 when nothing was shown.
    static int32_t ShowLoadResultMessage(int32_t result);
    // The message box of a failed save.
    static int32_t ShowSaveFailedMessage();

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

protected:
    LPresetManager();
    ~LPresetManager() override;

private:
    RCPtr<LNotificationHandler<LPresetManager>> mHandler;
    bool mRegistered = false;
};

// The text of id in the application's string table; empty when there is none.
WString GetEditorString(const WChar* id);

}  // namespace QV
