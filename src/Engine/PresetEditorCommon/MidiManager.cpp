#include "Engine/PresetEditorCommon/MidiManager.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Engine/PresetEditorCommon/RootModuleEngine.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace QV {

namespace {

constexpr const WChar* kCaptured = u"NID_MIDI_DATA_CAPTURED";

// Manufacturer identifier 00 00 0E and the two fixed bytes.
constexpr uint8_t kHeader[] = {0x00, 0x00, 0x0E, 0x52, 0x5E};
constexpr uint8_t kCommandWrite = 0x01;
constexpr uint8_t kCommandRequest = 0x02;
constexpr uint8_t kCommandDump = 0x03;
constexpr uint32_t kMessageLength = 182;
constexpr uint32_t kWriteBodyLength = 180;
constexpr uint32_t kDataOffsetInBody = 9;
constexpr uint32_t kDataOffsetInDump = 10;
constexpr uint8_t kIdentityRequest[] = {0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};

std::atomic<uint32_t> gReplyTimeout{1000};

Array<uint8_t> Body(uint8_t command, uint8_t countHigh, uint8_t countLow, int32_t slot) {
    Array<uint8_t> body;
    for (const uint8_t byte : kHeader) {
        body.Add(byte);
    }
    body.Add(command);
    body.Add(countHigh);
    body.Add(countLow);
    body.Add(static_cast<uint8_t>(slot));
    return body;
}

Array<uint8_t> ToArray(const uint8_t* bytes, uint32_t count) {
    Array<uint8_t> array;
    array.SetCount(count);
    std::copy_n(bytes, count, array.GetData());
    return array;
}

// The bytes of a value: a blob's payload, nothing for any other kind.
const uint8_t* BlobBytes(const Variant& value, uint32_t& size) {
    size = 0;
    if (value.kind != Variant::Blob) {
        return nullptr;
    }
    return static_cast<const uint8_t*>(value.GetData(size));
}

[[noreturn]] void ThrowFailedResult(const char* function, int32_t result) {
    QV_THROW_IN(FailedResultException, function, ResultToString(result));
}

}  // namespace

RCPtr<LMidiManager> LMidiManager::Create() {
    RCPtr<LMidiManager> manager(new LMidiManager);
    manager->handler = LNotificationHandler<LMidiManager>::Create(manager.Get());
    manager->comm = LMidiComm::Create();
    return manager;
}

LMidiManager::LMidiManager() = default;

LMidiManager::~LMidiManager() = default;

uint32_t LMidiManager::GetReplyTimeout() {
    return gReplyTimeout.load();
}

void LMidiManager::SetReplyTimeout(uint32_t milliseconds) {
    gReplyTimeout = milliseconds;
}

WString LMidiManager::GetDefaultMidiPortName() {
    return WString(u"Skylet");
}

RCPtr<LMidiComm> LMidiManager::GetComm() const {
    CAutoLock guard(commLock);
    return comm;
}

Array<uint8_t> LMidiManager::BuildPresetRequest(int32_t slot) {
    return Body(kCommandRequest, 0x00, 0x01, slot);
}

Array<uint8_t> LMidiManager::BuildPresetWriteHeader(int32_t slot) {
    // 172 bytes follow the count: the slot, the 171 data bytes and the closing F7.
    return Body(kCommandWrite, 0x01, 0x2C, slot);
}

bool LMidiManager::IsPresetDump(const Array<uint8_t>& bytes) {
    if (bytes.GetCount() != kMessageLength) {
        return false;
    }
    const uint8_t* data = bytes.GetData();
    return data[0] == 0xF0 && std::equal(std::begin(kHeader), std::end(kHeader), data + 1) &&
           data[6] == kCommandDump;
}

// ---- registration ----

int32_t LMidiManager::RegisterCaptureHandler(const RCPtr<LMidiComm>& target) {
    CAutoLock guard(target->GetDispatchLock());
    return handler->AddHandler(
        [](LMidiManager& owner, const RCPtr<LNotificationDistributor>& sender,
           const RCPtr<LNotification>& notification) {
            return owner.OnMidiDataCaptured(sender, notification);
        },
        RCPtr<LNotificationDistributor>(target), kCaptured, 0);
}

int32_t LMidiManager::UnregisterCaptureHandler(const RCPtr<LMidiComm>& target) {
    const RCPtr<LNotificationDistributor> source(target);
    CAutoLock guard(target->GetDispatchLock());
    const bool bound = handler->RemoveHandler(source, kCaptured);
    const int32_t result =
        LNotificationClient::UnregisterForNotification(source, GetNotificationID(kCaptured));
    if (result < 0) {
        return result;
    }
    return bound ? S_OK : E_FAIL;
}

void LMidiManager::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                       const RCPtr<LNotification>& notification) {
    if (handler) {
        handler->HandleNotification(sender, notification);
    }
}

int32_t LMidiManager::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                const WChar* name) {
    if (handler) {
        handler->RemoveHandler(distributor, name);
    }
    return LNotificationClient::UnregisterForNotification(distributor, name);
}

int32_t LMidiManager::ReleaseInternalReferences() {
    const RCPtr<LMidiComm> current = GetComm();
    if (!current) {
        return LNotificationClient::ReleaseInternalReferences();
    }
    CAutoLock guard(current->GetDispatchLock());
    if (handler) {
        handler->RemoveHandler(RCPtr<LNotificationDistributor>(current), kCaptured);
    }
    return LNotificationClient::ReleaseInternalReferences();
}

// ---- operations ----

bool LMidiManager::OpenMidiDevicePorts(const WString& inputName, const WString& outputName) {
    RCPtr<LMidiComm> previous = GetComm();
    if (previous) {
        UnregisterCaptureHandler(previous);
    }
    const RCPtr<LMidiComm> fresh = LMidiComm::Create();
    {
        CAutoLock guard(commLock);
        comm = fresh;
    }
    // The previous object goes outside the lock: its pool thread may be finishing a delivery.
    previous = nullptr;
    RegisterCaptureHandler(fresh);

    RCPtr<LMidiCapturePort> input;
    RCPtr<LMidiRenderPort> output;
    const bool inputOpened = fresh->OpenCapturePort(inputName, input) == S_OK;
    const bool outputOpened = fresh->OpenRenderPort(outputName, output) == S_OK;
    return inputOpened && outputOpened;
}

int32_t LMidiManager::GetPresetFromMidiDevice(int32_t slot) {
    const WString name = GetDefaultMidiPortName();
    if (!OpenMidiDevicePorts(name, name)) {
        return -1;
    }
    const RCPtr<LMidiComm> current = GetComm();
    const Array<uint8_t> request = BuildPresetRequest(slot);
    RCPtr<LMidiRenderPort> output;
    RCPtr<LMidiCapturePort> input;
    current->OpenRenderPort(name, output);
    current->OpenCapturePort(name, input);

    int32_t registered = RegisterCaptureHandler(current);
    if (registered < 0) {
        ThrowFailedResult("QV::LMidiManager::GetPresetFromMidiDevice", registered);
    }
    dumpEvent.Reset();
    int32_t result = -1;
    if (SendSysEx(request, output) >= 0) {
        result = dumpEvent.IsSet() || dumpEvent.Wait(GetReplyTimeout()) == Event::WAIT_OBJECT_0 ? 0 : -3;
    }
    const int32_t unregistered = UnregisterCaptureHandler(current);
    if (unregistered < 0) {
        ThrowFailedResult("QV::LMidiManager::GetPresetFromMidiDevice", unregistered);
    }
    // A dump applied between the end of the wait and the unregistration counts.
    if (result == -3 && dumpEvent.IsSet()) {
        result = 0;
    }
    return result;
}

Array<ParamValue> LMidiManager::GetPresetValues() {
    Array<ParamValue> values;
    const RCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
    if (engine) {
        engine->GetParamValues(ParamRange{engine->GetFirstParamID(), kDeviceParameterCount}, values, -1);
    }
    return values;
}

int32_t LMidiManager::OnMidiDataCaptured(const RCPtr<LNotificationDistributor>& sender,
                                         const RCPtr<LNotification>& notification) {
    {
        CAutoLock guard(commLock);
        if (!comm || sender.Get() != static_cast<LNotificationDistributor*>(comm.Get())) {
            return S_OK;
        }
    }
    if (!notification) {
        return S_OK;
    }
    const RCPtr<LMidiCaptureNotificationData> data(notification->GetParam());
    if (!data) {
        return S_OK;
    }
    const Array<uint8_t> bytes = data->bytes;
    if (!IsPresetDump(bytes) || dumpEvent.IsSet()) {
        return S_OK;
    }
    const RCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
    const Array<ParamValue> values = GetPresetValues();
    // Each parameter is read with the model's fixed length, so that the 171 data bytes always
    // fall where the keyboard put them, whatever lengths the cached values have.
    uint32_t offset = kDataOffsetInDump;
    for (uint32_t i = 0; engine && i < values.GetCount() && i < kDeviceParameterCount; ++i) {
        const uint32_t length = kDeviceParameterLengths[i];
        Variant value;
        value.SetBlob(bytes.GetData() + offset, length);
        engine->SetParamValue(values.GetAt(i).descriptor, value);
        offset += length;
    }
    dumpEvent.Set();
    return S_OK;
}

int32_t LMidiManager::SendPresetToMidiDevice(int32_t slot) {
    const WString name = GetDefaultMidiPortName();
    if (!OpenMidiDevicePorts(name, name)) {
        return -1;
    }
    const RCPtr<LMidiComm> current = GetComm();
    RCPtr<LMidiRenderPort> output;
    const int32_t opened = current->OpenRenderPort(name, output);
    if (!output) {
        return opened;
    }
    const Array<ParamValue> values = GetPresetValues();

    Array<uint8_t> body;
    body.SetCount(kWriteBodyLength);
    std::memset(body.GetData(), 0, kWriteBodyLength);
    const Array<uint8_t> header = BuildPresetWriteHeader(slot);
    std::copy_n(header.GetData(), header.GetCount(), body.GetData());
    if (values.GetCount() == static_cast<uint32_t>(kDeviceParameterCount)) {
        // Every value takes exactly its parameter's fixed length: a longer value is cut, a
        // shorter one padded with 00, so one odd value cannot shift the ones after it.
        uint32_t offset = kDataOffsetInBody;
        for (uint32_t i = 0; i < values.GetCount(); ++i) {
            uint32_t size = 0;
            const uint8_t* bytes = BlobBytes(values.GetAt(i).value, size);
            const uint32_t length = kDeviceParameterLengths[i];
            if (bytes != nullptr) {
                std::copy_n(bytes, std::min(size, length), body.GetData() + offset);
            }
            offset += length;
        }
    }
    return SendSysEx(body, output);
}

int32_t LMidiManager::SendSysEx(const Array<uint8_t>& message, const RCPtr<LMidiRenderPort>& port) {
    const RCPtr<LMidiComm> current = GetComm();
    if (!port || !current) {
        return -1;
    }
    const uint32_t count = message.GetCount();
    if (count == 0) {
        return E_INVALIDARG;
    }
    Array<uint8_t> framed = message;
    if (count == 1) {
        const uint8_t only = message.GetAt(0);
        if (only == 0xF0 || only == 0xF7) {
            return E_FAIL;
        }
        const uint8_t bytes[] = {0xF0, only, 0xF7};
        framed = ToArray(bytes, 3);
    } else {
        if (framed.GetAt(0) != 0xF0) {
            framed.InsertItem(0, 0xF0);
        }
        if (framed.GetAt(framed.GetCount() - 1) != 0xF7) {
            framed.Add(0xF7);
        }
    }
    return current->Send(RCPtr<LRefCountedObject>(port), framed);
}

int32_t LMidiManager::SendRawSysEx(const Array<uint8_t>& message) {
    const WString name = GetDefaultMidiPortName();
    if (!OpenMidiDevicePorts(name, name)) {
        return -1;
    }
    const RCPtr<LMidiComm> current = GetComm();
    RCPtr<LMidiRenderPort> output;
    const int32_t opened = current->OpenRenderPort(name, output);
    if (opened < 0) {
        return opened;
    }
    return current->Send(RCPtr<LRefCountedObject>(output), message);
}

int32_t LMidiManager::OpenOutputOnly(const WString& /*name*/, int32_t /*first*/, int32_t /*second*/) {
    const WString name = GetDefaultMidiPortName();
    if (!OpenMidiDevicePorts(name, name)) {
        return -1;
    }
    RCPtr<LMidiRenderPort> output;
    return GetComm()->OpenRenderPort(name, output);
}

int32_t LMidiManager::RequestNonPresetParameterFromDevice(const WString& /*parameterName*/) {
    const WString name = GetDefaultMidiPortName();
    if (!OpenMidiDevicePorts(name, name)) {
        return E_FAIL;
    }
    const RCPtr<LMidiComm> current = GetComm();
    RCPtr<LMidiCapturePort> input;
    RCPtr<LMidiRenderPort> output;
    const int32_t inputResult = current->OpenCapturePort(name, input);
    current->OpenRenderPort(name, output);
    const int32_t registered = RegisterCaptureHandler(current);
    if (registered < 0) {
        ThrowFailedResult("QV::LMidiManager::RequestNonPresetParameterFromDevice", registered);
    }
    parameterEvent.Reset();
    const int32_t unregistered = UnregisterCaptureHandler(current);
    if (unregistered < 0) {
        ThrowFailedResult("QV::LMidiManager::RequestNonPresetParameterFromDevice", unregistered);
    }
    return inputResult;
}

bool LMidiManager::IsMidiDeviceAvailable() {
    const WString name = GetDefaultMidiPortName();
    return OpenMidiDevicePorts(name, name);
}

bool LMidiManager::IsDeviceFirmwareVersionUseable() {
    const WString name = GetDefaultMidiPortName();
    if (!OpenMidiDevicePorts(name, name)) {
        return false;
    }
    const RCPtr<LMidiComm> current = GetComm();
    RCPtr<LMidiRenderPort> output;
    RCPtr<LMidiCapturePort> input;
    current->OpenRenderPort(name, output);
    current->OpenCapturePort(name, input);
    if (!input) {
        return false;
    }
    const int32_t registered = RegisterCaptureHandler(current);
    if (registered < 0) {
        ThrowFailedResult("QV::LMidiManager::IsDeviceFirmwareVersionUseable", registered);
    }
    identityEvent.Reset();
    int32_t result = -1;
    if (SendIdentityRequest(output) >= 0) {
        result = identityEvent.Wait(GetReplyTimeout()) == Event::WAIT_OBJECT_0 ? 0 : -2;
    }
    const int32_t unregistered = UnregisterCaptureHandler(current);
    if (unregistered < 0) {
        ThrowFailedResult("QV::LMidiManager::IsDeviceFirmwareVersionUseable", unregistered);
    }
    return result >= 0;
}

int32_t LMidiManager::SendIdentityRequest(const RCPtr<LMidiRenderPort>& port) {
    if (!port) {
        return E_FAIL;
    }
    return SendSysEx(ToArray(kIdentityRequest, sizeof(kIdentityRequest)), port);
}

}  // namespace QV
