// The real MIDI system's front in the framework: the backend library is loaded on first use.
#include <memory>
#include <mutex>

#include "Platform/DynamicLibrary.h"
#include "Platform/Midi/MidiRtMidi.h"

namespace Platform {

namespace {

// What the program has without the backend library: no devices to list or open.
class NoMidiSystem : public MidiSystem {
public:
    uint32_t GetInputCount() override { return 0; }
    uint32_t GetOutputCount() override { return 0; }
    uint32_t GetInputName(uint32_t, std::u16string&) override { return MMSYSERR_BADDEVICEID; }
    uint32_t GetOutputName(uint32_t, std::u16string&) override { return MMSYSERR_BADDEVICEID; }
    uint32_t OpenInput(uint32_t, MidiInCallback, uintptr_t, std::shared_ptr<MidiInDevice>&) override {
        return MMSYSERR_BADDEVICEID;
    }
    uint32_t OpenOutput(uint32_t, MidiOutCallback, uintptr_t, std::shared_ptr<MidiOutDevice>&) override {
        return MMSYSERR_BADDEVICEID;
    }
};

}  // namespace

std::shared_ptr<MidiSystem> CreateRtMidiSystem(const std::string& sequencerDevice) {
    using Create = MidiSystem* (*)(const char*);
    static std::mutex lock;
    // Never closed: every system made keeps running its code.
    static auto* const library = new DynamicLibrary();
    Create create = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (!library->IsLoaded()) {
            library->Load(QV::WString(kRtMidiLibrary));
        }
        create = library->GetFunction<Create>(kRtMidiEntryPoint);
    }
    if (create != nullptr) {
        if (MidiSystem* made = create(sequencerDevice.c_str())) {
            return std::shared_ptr<MidiSystem>(made);
        }
    }
    return std::make_shared<NoMidiSystem>();
}

}  // namespace Platform
