#pragma once

#include <cstdint>
#include <memory>

#include "DeviceControl/GeneratedCode/Engine/Inc/Device.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"
#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"
#include "Engine/PresetEditorCommon/ParamCache.h"
#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"

// Parameter ids that are never stored: the device and the communication interface answer them.
enum SpecialParamID : int32_t {
    ParamID_DeviceConfigured = -2,
    ParamID_Echo = -4,
    ParamID_Status = -8,
    ParamID_MakerName = -9,
    ParamID_ProductName = -10,
};

// The top of the parameter model and the only place where values live. Every value written by the
// editor or received from the device ends in the cache; every change is reported, one at a time, to
// the change callback (the engine). Offline (no device connected) writes and reads of preset
// parameters go straight to the cache; online they also reach the device.
//
// Threads: writes and reads come from the user-interface thread and the engine's callers; values
// received from the device arrive on the communication interface's worker thread. One re-entrant
// lock serialises them all, and the change callback runs under it. Connect, Initialize and the
// defaults run without it.
class LRootModule : public IRootModule, public DeviceCommunicationReceiver {
public:
    // Called with every change, under the root's lock; it copies what it needs before returning.
    using ChangeCallback = int32_t (*)(void* context, QV::IArray<QV::ParamValue>* changes);

    // Builds the root with the whole model below it.
    static QV::RCPtr<LRootModule> Create(bool offline);

    // Assigns the ids, fills the cache with the defaults (reporting nothing) and switches on the
    // delivery of received values. 0.
    int32_t Initialize(ChangeCallback callback, void* context, const QV::RCPtr<LParamCache>& paramCache,
                       const QV::RCPtr<LDeviceCommunicationInterface>& communicationInterface,
                       int32_t firstParamID);
    // (Re)connects; on success the root goes online and asks the device for every preset value and
    // its status text, on failure it goes offline. The interface's result.
    int32_t Connect(const QV::Variant& deviceId);
    // Switches off the delivery of received values; returns when a delivery in progress has ended.
    int32_t DisableDelivery();

    int32_t StoreParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) override;
    QV::Variant LoadParamValue(const QV::ParamDescriptor& descriptor) override;
    // The end of every module's write: stores a changed, non-empty value and reports it. 0, or -1
    // for an id outside the preset.
    int32_t SetCachedParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) override;
    // Empty for an id outside the preset.
    QV::Variant GetCachedParamValue(const QV::ParamDescriptor& descriptor) override;
    void NotifyParamChanged(const QV::ParamDescriptor& descriptor, const QV::Variant& value) override;
    QV::RCPtr<LDeviceCommunicationInterface> GetCommunicationInterface() override;
    int32_t SetParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) override;
    int32_t GetParamValue(const QV::ParamDescriptor& descriptor, QV::Variant& out) override;
    using IRootModule::GetDevice;
    QV::RCPtr<IDevice> GetDevice() override;
    virtual QV::RCPtr<LParamCache> GetParamCache();
    virtual void InvokeChangeCallback(QV::IArray<QV::ParamValue>* changes);
    virtual void CreateChildren();

    // Values sent by the device, on the communication interface's worker thread (and on the writing
    // thread for an echo): stored through the modules that serve them, or reported as they are for
    // ids no module serves.
    virtual void OnParamValues(const QV::ParamValues& received);
    void ReceiveDeviceValues(const QV::RCPtr<DeviceParamValues>& values) override;

    // The lock that guards the model and the cache. Whoever reads several values and reports them
    // as one change holds it, so that no change reported meanwhile is overtaken.
    QV::Mutex& GetLock();

protected:
    explicit LRootModule(bool startOffline);
    ~LRootModule() override;

    // The interface's link to the root is one of the root's own references: when only it is left,
    // delivery is switched off and the link dropped while the root is still whole.
    int32_t ReleaseInternalReferences() override;

private:
    struct Private;

    QV::RCPtr<LDevice> device;
    ChangeCallback changeCallback = nullptr;
    void* callbackContext = nullptr;
    QV::RCPtr<LDeviceCommunicationInterface> communication;
    QV::RCPtr<LParamCache> cache;
    std::unique_ptr<Private> privateData;
};
