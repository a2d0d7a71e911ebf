// MIDI input from the keyboard's port, on the virtual MIDI system: arbitrary sequences of
// byte streams and returned input buffers (with their recorded counts) are assembled by the
// port layer into messages and reach the MIDI manager, which applies the first preset dump to
// the engine. Every message keeps the shape the port layer promises, and a dump that is
// applied writes exactly the model's 171 bytes, parameter by parameter, and nothing else.
//
// Input: a sequence of operations, each an operation byte and its bytes:
//   0 mod 4: count, bytes             sent as a stream (the device parses MIDI)
//   1 mod 4: count (2 bytes), bytes   one returned buffer holding those bytes
//   2 mod 4: time (4 bytes), count, bytes   a stream with a time stamp
//   3 mod 4: slot, 171 data bytes     a preset dump; bit 2 keeps the data 7-bit, bit 3 sends
//                                     it as one returned buffer instead of a stream
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <numeric>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"
#include "Engine/PresetEditorCommon/EngineClock.h"
#include "Engine/PresetEditorCommon/MidiManager.h"
#include "Engine/PresetEditorCommon/RootModuleEngine.h"
#include "Platform/Midi/MidiVirtual.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationQueue.h"

namespace {

using namespace QV;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kPresetLength = 171;
constexpr uint32_t kDumpLength = 182;
constexpr uint32_t kMaxOperations = 64;
constexpr const WChar* kCaptured = u"NID_MIDI_DATA_CAPTURED";

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// The engine on its cache alone: no device-control library.
class CacheOnlyEngine : public LRootModuleEngine {
public:
    static RCPtr<CacheOnlyEngine> Create() { return RCPtr<CacheOnlyEngine>(new CacheOnlyEngine); }

protected:
    RCPtr<LDeviceCommunicationInterface> CreateCommunicationInterface() override {
        return LDeviceCommunicationInterface::Create(WString(u"/nonexistent/libDeviceControlClient.so"));
    }

private:
    CacheOnlyEngine() : LRootModuleEngine(GetSystemEngineClock()) {}
};

// Every message the port layer delivers, and the marker that ends a run.
class Recorder : public LNotificationClient {
public:
    static RCPtr<Recorder> Create() { return RCPtr<Recorder>(new Recorder); }

    void ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                             const RCPtr<LNotification>& notification) override {
        const RCPtr<LMidiCaptureNotificationData> data(notification->GetParam());
        Check(data.Get() != nullptr);
        std::lock_guard<std::mutex> guard(mutex);
        if (data->deviceName == u"Marker") {
            marked = true;
            changed.notify_all();
            return;
        }
        messages.emplace_back(data->bytes.GetData(), data->bytes.GetData() + data->bytes.GetCount());
    }

    std::vector<Bytes> WaitForMarker() {
        std::unique_lock<std::mutex> hold(mutex);
        Check(changed.wait_for(hold, std::chrono::seconds(20), [&] { return marked; }));
        marked = false;
        return std::move(messages);
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool marked = false;
    std::vector<Bytes> messages;
};

struct World {
    std::shared_ptr<Platform::VirtualMidiSystem> system = Platform::VirtualMidiSystem::Create();
    std::shared_ptr<Platform::VirtualMidiPort> keyboard;
    std::shared_ptr<Platform::VirtualMidiPort> marker;
    RCPtr<CacheOnlyEngine> engine;
    Bytes defaults;
};

World* gWorld = nullptr;

// The engine's 37 values one after another; each must have its parameter's length.
Bytes CachedPreset() {
    Array<ParamValue> values;
    gWorld->engine->GetParamValues(ParamRange{gWorld->engine->GetFirstParamID(), kDeviceParameterCount},
                                   values, -1);
    Check(values.GetCount() == static_cast<uint32_t>(kDeviceParameterCount));
    Bytes preset;
    for (uint32_t i = 0; i < values.GetCount(); ++i) {
        const Variant& value = values.GetAt(i).value;
        uint32_t size = 0;
        const auto* bytes = static_cast<const uint8_t*>(value.GetData(size));
        Check(value.kind == Variant::Blob && size == kDeviceParameterLengths[i]);
        preset.insert(preset.end(), bytes, bytes + size);
    }
    return preset;
}

void SetCachedPreset(const Bytes& preset) {
    uint32_t offset = 0;
    for (int32_t id = 0; id < kDeviceParameterCount; ++id) {
        Variant value;
        value.SetBlob(preset.data() + offset, kDeviceParameterLengths[id]);
        gWorld->engine->SetParamValue(ParamDescriptor(gWorld->engine->GetFirstParamID() + id), value);
        offset += kDeviceParameterLengths[id];
    }
}

bool IsDump(const Bytes& message) {
    static const uint8_t header[] = {0xF0, 0x00, 0x00, 0x0E, 0x52, 0x5E, 0x03};
    return message.size() == kDumpLength && std::equal(std::begin(header), std::end(header), message.begin());
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
    bool AtEnd() const { return mAt >= mSize; }
    uint8_t Byte() { return AtEnd() ? 0 : mData[mAt++]; }
    Bytes Take(size_t count) {
        const size_t n = std::min(count, mSize - std::min(mAt, mSize));
        Bytes bytes(mData + mAt, mData + mAt + n);
        mAt += n;
        return bytes;
    }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mAt = 0;
};

void Play(Reader& input) {
    Platform::VirtualMidiPort& keyboard = *gWorld->keyboard;
    for (uint32_t n = 0; n < kMaxOperations && !input.AtEnd(); ++n) {
        const uint8_t operation = input.Byte();
        switch (operation % 4) {
            case 0:
                keyboard.Send(input.Take(input.Byte()));
                break;
            case 1: {
                const size_t count = (input.Byte() | input.Byte() << 8) % 320;
                keyboard.SendBuffer(input.Take(count));
                break;
            }
            case 2: {
                uint32_t time = 0;
                for (int i = 0; i < 4; ++i) {
                    time |= static_cast<uint32_t>(input.Byte()) << (8 * i);
                }
                keyboard.Send(input.Take(input.Byte()), time);
                break;
            }
            default: {
                Bytes dump = {0xF0, 0x00, 0x00, 0x0E, 0x52, 0x5E, 0x03, 0x01, 0x2C, input.Byte()};
                Bytes data = input.Take(kPresetLength);
                data.resize(kPresetLength);
                for (uint8_t& byte : data) {
                    byte = (operation & 4) != 0 ? static_cast<uint8_t>(byte & 0x7F) : byte;
                }
                dump.insert(dump.end(), data.begin(), data.end());
                dump.push_back(0xF7);
                if ((operation & 8) != 0) {
                    keyboard.SendBuffer(dump);
                } else {
                    keyboard.Send(dump);
                }
                break;
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gWorld = new World;
    Platform::SetMidiSystem(gWorld->system);
    gWorld->keyboard = gWorld->system->AddInput(u"Skylet Keyboard");
    gWorld->system->AddOutput(u"Skylet Keyboard");
    gWorld->marker = gWorld->system->AddInput(u"Marker");
    gWorld->engine = CacheOnlyEngine::Create();
    Check(gWorld->engine->Initialize(0) == S_OK);
    SetRootModuleEngine(RCPtr<LRootModuleEngine>(gWorld->engine));
    gWorld->defaults = CachedPreset();
    GetMainNotificationCenter()->DiscardPendingNotifications();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A new manager for every input: its dump event is set by the first dump it applies.
    RCPtr<LMidiManager> manager = LMidiManager::Create();
    Check(manager->OpenMidiDevicePorts(u"Skylet", u"Skylet"));
    RCPtr<LMidiComm> comm = manager->GetComm();
    const RCPtr<Recorder> recorder = Recorder::Create();
    {
        CAutoLock guard(comm->GetDispatchLock());
        Check(recorder->RegisterForNotification(RCPtr<LNotificationDistributor>(comm), kCaptured, 0) !=
              nullptr);
    }
    RCPtr<LMidiCapturePort> input;
    RCPtr<LMidiCapturePort> marker;
    Check(comm->OpenCapturePort(u"Skylet", input) == S_OK);
    Check(comm->OpenCapturePort(u"Marker", marker) == S_OK);

    Reader reader(data, size);
    Play(reader);
    // Everything the keyboard sent is on the comm's queue once the driver is idle; the marker
    // is delivered after it.
    gWorld->system->WaitUntilIdle();
    gWorld->marker->Send({0xF8});
    const std::vector<Bytes> messages = recorder->WaitForMarker();

    const Bytes* dump = nullptr;
    for (const Bytes& message : messages) {
        Check(!message.empty());
        if (message[0] == 0xF0) {
            Check(message.size() <= LMidiComm::kMaxMessageLength);
        } else {
            Check(message.size() == Platform::MidiMessageLength(message[0]));
        }
        if (dump == nullptr && IsDump(message)) {
            dump = &message;
        }
    }
    const Bytes cached = CachedPreset();
    if (dump != nullptr) {
        Check(cached == Bytes(dump->begin() + 10, dump->begin() + 10 + kPresetLength));
    } else {
        Check(cached == gWorld->defaults);
    }

    {
        CAutoLock guard(comm->GetDispatchLock());
        recorder->UnregisterAll();
    }
    input = nullptr;
    marker = nullptr;
    comm = nullptr;
    manager = nullptr;
    if (dump != nullptr) {
        SetCachedPreset(gWorld->defaults);
    }
    GetMainNotificationCenter()->DiscardPendingNotifications();
    return 0;
}
