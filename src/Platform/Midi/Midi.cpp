#include "Platform/Midi/Midi.h"

#include <mutex>
#include <unordered_map>

#include "Platform/Midi/MidiDevice.h"
#include "Platform/Midi/MidiRtMidi.h"

namespace Platform {

namespace {

// The installed backend and every open handle. A handle is the address of its device object,
// which this table keeps alive until it is closed; calls with anything else are refused.
struct Registry {
    std::mutex lock;
    std::shared_ptr<MidiSystem> installed;
    std::shared_ptr<MidiSystem> real;
    std::unordered_map<const MidiInDevice*, std::shared_ptr<MidiInDevice>> inputs;
    std::unordered_map<const MidiOutDevice*, std::shared_ptr<MidiOutDevice>> outputs;
};

Registry& GetRegistry() {
    static Registry* const registry = new Registry;
    return *registry;
}

std::shared_ptr<MidiInDevice> Find(HMIDIIN device) {
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    const auto found = registry.inputs.find(device);
    return found == registry.inputs.end() ? nullptr : found->second;
}

std::shared_ptr<MidiOutDevice> Find(HMIDIOUT device) {
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    const auto found = registry.outputs.find(device);
    return found == registry.outputs.end() ? nullptr : found->second;
}

bool ValidOpenFlags(uint32_t flags, bool hasCallback) {
    const uint32_t kind = flags & 0x00070000;
    if ((flags & ~(0x00070000 | MIDI_IO_STATUS)) != 0) {
        return false;
    }
    return kind == CALLBACK_NULL || (kind == CALLBACK_FUNCTION && hasCallback);
}

}  // namespace

std::shared_ptr<MidiSystem> GetMidiSystem() {
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (registry.installed) {
        return registry.installed;
    }
    if (!registry.real) {
        registry.real = CreateRtMidiSystem();
    }
    return registry.real;
}

std::shared_ptr<MidiSystem> SetMidiSystem(std::shared_ptr<MidiSystem> system) {
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    std::shared_ptr<MidiSystem> previous = std::move(registry.installed);
    registry.installed = std::move(system);
    return previous;
}

uint32_t MidiMessageLength(uint8_t status) {
    if ((status >= 0x80 && status <= 0xBF) || (status >= 0xE0 && status <= 0xEF)) {
        return 3;
    }
    if (status >= 0xC0 && status <= 0xDF) {
        return 2;
    }
    if (status == 0xF1 || (status >= 0xF3 && status <= 0xF5)) {
        return 2;
    }
    if (status == 0xF2) {
        return 3;
    }
    return 1;
}

// ---- input ----

uint32_t midiInGetNumDevs() {
    return GetMidiSystem()->GetInputCount();
}

uint32_t midiInGetDevCaps(uint32_t deviceId, MIDIINCAPS* caps, uint32_t size) {
    if (caps == nullptr || size < sizeof(MIDIINCAPS)) {
        return MMSYSERR_INVALPARAM;
    }
    std::u16string name;
    const uint32_t result = GetMidiSystem()->GetInputName(deviceId, name);
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    *caps = MIDIINCAPS{};
    CopyProductName(name, caps->szPname);
    return MMSYSERR_NOERROR;
}

uint32_t midiInGetDevCaps(HMIDIIN device, MIDIINCAPS* caps, uint32_t size) {
    const std::shared_ptr<MidiInDevice> found = Find(device);
    return found ? found->GetCaps(caps, size) : MMSYSERR_INVALHANDLE;
}

uint32_t midiInOpen(HMIDIIN* device, uint32_t deviceId, MidiInCallback callback, uintptr_t instance,
                    uint32_t flags) {
    if (device == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    *device = nullptr;
    if (!ValidOpenFlags(flags, callback != nullptr)) {
        return MMSYSERR_INVALFLAG;
    }
    if ((flags & 0x00070000) == CALLBACK_NULL) {
        callback = nullptr;
    }
    std::shared_ptr<MidiInDevice> opened;
    const uint32_t result = GetMidiSystem()->OpenInput(deviceId, callback, instance, opened);
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    if (!opened) {
        return MMSYSERR_ERROR;
    }
    {
        Registry& registry = GetRegistry();
        std::lock_guard<std::mutex> guard(registry.lock);
        registry.inputs.emplace(opened.get(), opened);
    }
    *device = opened.get();
    opened->Opened();
    return MMSYSERR_NOERROR;
}

uint32_t midiInClose(HMIDIIN device) {
    const std::shared_ptr<MidiInDevice> found = Find(device);
    if (!found) {
        return MMSYSERR_INVALHANDLE;
    }
    const uint32_t result = found->Close();
    if (result == MMSYSERR_NOERROR) {
        Registry& registry = GetRegistry();
        std::lock_guard<std::mutex> guard(registry.lock);
        registry.inputs.erase(device);
    }
    return result;
}

uint32_t midiInPrepareHeader(HMIDIIN device, MIDIHDR* header, uint32_t size) {
    const std::shared_ptr<MidiInDevice> found = Find(device);
    return found ? found->PrepareHeader(header, size) : MMSYSERR_INVALHANDLE;
}

uint32_t midiInUnprepareHeader(HMIDIIN device, MIDIHDR* header, uint32_t size) {
    const std::shared_ptr<MidiInDevice> found = Find(device);
    return found ? found->UnprepareHeader(header, size) : MMSYSERR_INVALHANDLE;
}

uint32_t midiInAddBuffer(HMIDIIN device, MIDIHDR* header, uint32_t size) {
    const std::shared_ptr<MidiInDevice> found = Find(device);
    return found ? found->AddBuffer(header, size) : MMSYSERR_INVALHANDLE;
}

uint32_t midiInStart(HMIDIIN device) {
    const std::shared_ptr<MidiInDevice> found = Find(device);
    return found ? found->Start() : MMSYSERR_INVALHANDLE;
}

uint32_t midiInStop(HMIDIIN device) {
    const std::shared_ptr<MidiInDevice> found = Find(device);
    return found ? found->Stop() : MMSYSERR_INVALHANDLE;
}

uint32_t midiInReset(HMIDIIN device) {
    const std::shared_ptr<MidiInDevice> found = Find(device);
    return found ? found->Reset() : MMSYSERR_INVALHANDLE;
}

// ---- output ----

uint32_t midiOutGetNumDevs() {
    return GetMidiSystem()->GetOutputCount();
}

uint32_t midiOutGetDevCaps(uint32_t deviceId, MIDIOUTCAPS* caps, uint32_t size) {
    if (caps == nullptr || size < sizeof(MIDIOUTCAPS)) {
        return MMSYSERR_INVALPARAM;
    }
    std::u16string name;
    const uint32_t result = GetMidiSystem()->GetOutputName(deviceId, name);
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    *caps = MIDIOUTCAPS{};
    CopyProductName(name, caps->szPname);
    caps->wChannelMask = 0xFFFF;
    return MMSYSERR_NOERROR;
}

uint32_t midiOutGetDevCaps(HMIDIOUT device, MIDIOUTCAPS* caps, uint32_t size) {
    const std::shared_ptr<MidiOutDevice> found = Find(device);
    return found ? found->GetCaps(caps, size) : MMSYSERR_INVALHANDLE;
}

uint32_t midiOutOpen(HMIDIOUT* device, uint32_t deviceId, MidiOutCallback callback, uintptr_t instance,
                     uint32_t flags) {
    if (device == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    *device = nullptr;
    if (!ValidOpenFlags(flags, callback != nullptr)) {
        return MMSYSERR_INVALFLAG;
    }
    if ((flags & 0x00070000) == CALLBACK_NULL) {
        callback = nullptr;
    }
    std::shared_ptr<MidiOutDevice> opened;
    const uint32_t result = GetMidiSystem()->OpenOutput(deviceId, callback, instance, opened);
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    if (!opened) {
        return MMSYSERR_ERROR;
    }
    {
        Registry& registry = GetRegistry();
        std::lock_guard<std::mutex> guard(registry.lock);
        registry.outputs.emplace(opened.get(), opened);
    }
    *device = opened.get();
    opened->Opened();
    return MMSYSERR_NOERROR;
}

uint32_t midiOutClose(HMIDIOUT device) {
    const std::shared_ptr<MidiOutDevice> found = Find(device);
    if (!found) {
        return MMSYSERR_INVALHANDLE;
    }
    const uint32_t result = found->Close();
    if (result == MMSYSERR_NOERROR) {
        Registry& registry = GetRegistry();
        std::lock_guard<std::mutex> guard(registry.lock);
        registry.outputs.erase(device);
    }
    return result;
}

uint32_t midiOutShortMsg(HMIDIOUT device, uint32_t message) {
    const std::shared_ptr<MidiOutDevice> found = Find(device);
    return found ? found->ShortMsg(message) : MMSYSERR_INVALHANDLE;
}

uint32_t midiOutPrepareHeader(HMIDIOUT device, MIDIHDR* header, uint32_t size) {
    const std::shared_ptr<MidiOutDevice> found = Find(device);
    return found ? found->PrepareHeader(header, size) : MMSYSERR_INVALHANDLE;
}

uint32_t midiOutUnprepareHeader(HMIDIOUT device, MIDIHDR* header, uint32_t size) {
    const std::shared_ptr<MidiOutDevice> found = Find(device);
    return found ? found->UnprepareHeader(header, size) : MMSYSERR_INVALHANDLE;
}

uint32_t midiOutLongMsg(HMIDIOUT device, MIDIHDR* header, uint32_t size) {
    const std::shared_ptr<MidiOutDevice> found = Find(device);
    return found ? found->LongMsg(header, size) : MMSYSERR_INVALHANDLE;
}

uint32_t midiOutReset(HMIDIOUT device) {
    const std::shared_ptr<MidiOutDevice> found = Find(device);
    return found ? found->Reset() : MMSYSERR_INVALHANDLE;
}

}  // namespace Platform
