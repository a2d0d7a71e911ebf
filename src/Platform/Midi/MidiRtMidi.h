#pragma once

#include <memory>
#include <string>

#include "Platform/Midi/Midi.h"

namespace Platform {

// The real MIDI system: RtMidi over the ALSA sequencer, with System Exclusive input enabled.
// Without a usable sequencer device (no sound hardware, as on build machines) it lists no
// devices and never touches ALSA, so nothing is printed and the program works offline. RtMidi
// errors go to a silent handler; a failing call gives a result instead.
// The backend lives in its own library (kRtMidiLibrary, beside the program), loaded by the first
// call and never closed; without it (or its entry point) the system lists no devices.
std::shared_ptr<MidiSystem> CreateRtMidiSystem(const std::string& sequencerDevice = "/dev/snd/seq");

constexpr char16_t kRtMidiLibrary[] = u"libQVMidiRtMidi.so";
constexpr char kRtMidiEntryPoint[] = "QVCreateRtMidiSystem";

}  // namespace Platform
