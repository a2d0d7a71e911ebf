// The editor as the program runs it, with the simulated keyboard attached over the virtual MIDI
// system in place of real MIDI ports, so that the retrieve, send and pairing dialogs can be driven
// end to end on a display. Slot n of the keyboard starts as the defaults with the tilt
// controller's CC number at 20 + n.
//
// Environment:
//   SKYLET_REPLY_WAIT_MS   how long a retrieval waits for the keyboard's answer (default 300)
//   SKYLET_KEYBOARD_REPLY  "silent": the keyboard never answers a preset request
//   SKYLET_KEYBOARD_LOG    a file that receives, when the program ends, every message the keyboard
//                          heard, one a line in upper-case hexadecimal
//   SKYLET_START_COMMANDS  commands (notification names, blank-separated) posted to the main
//                          window once it is shown, as its menu would post them
#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Panel/Application.h"
#include "Platform/Midi/MidiVirtual.h"
#include "Platform/Midi/SimulatedKeyboard.h"
#include "Platform/Sdl/SdlPresenter.h"
#include "Platform/Sdl/X11ErrorHandler.h"
#include "RIZozivirod/Application/Windows/MFCFrameworkApp.h"
#include "RIZozivirod/Application/Windows/MessageLoop.h"
#include "RIZozivirod/Application/Windows/RootWindow.h"

namespace {

const char* Setting(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

void QuitOnSignal(int) {
    QV::MessageLoop::RequestQuitFromSignal();
}

// The defaults with the tilt controller's (parameter 12) CC number at cc.
MidiTestSupport::Bytes PresetWithTiltCc(uint8_t cc) {
    MidiTestSupport::Bytes preset = MidiTestSupport::SimulatedKeyboard::DefaultPreset();
    size_t offset = 0;
    for (int32_t id = 0; id < 12; ++id) {
        offset += kDeviceParameterLengths[id];
    }
    preset[offset] = 0x00;  // type CC
    preset[offset + 1] = cc;
    return preset;
}

void WriteLog(const MidiTestSupport::SimulatedKeyboard& keyboard, const char* path) {
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write the keyboard's log to %s\n", path);
        return;
    }
    for (const MidiTestSupport::Bytes& message : keyboard.GetReceived()) {
        for (size_t i = 0; i < message.size(); ++i) {
            std::fprintf(file, i == 0 ? "%02X" : " %02X", message[i]);
        }
        std::fputc('\n', file);
    }
    std::fclose(file);
}

// The editor's application, which posts the start commands to its window before its loop runs.
class LKeyboardTestApplication : public LApplication {
public:
    static QV::RCPtr<LKeyboardTestApplication> Create(const QV::RCPtr<QV::LControlFactory>& factory,
                                                      const QV::RCPtr<QV::LStringTable>& frameworkStrings,
                                                      const std::string& commandLine) {
        return QV::RCPtr<LKeyboardTestApplication>(
            new LKeyboardTestApplication(factory, frameworkStrings, commandLine));
    }

    void OnBeforeMessageLoop() override {
        LApplication::OnBeforeMessageLoop();
        const char* commands = Setting("SKYLET_START_COMMANDS");
        const QV::RCPtr<QV::LRootWindow> window = GetRootWindow(0);
        if (commands == nullptr || !window) {
            return;
        }
        std::string all(commands);
        size_t start = 0;
        while (start < all.size()) {
            const size_t end = std::min(all.find(' ', start), all.size());
            if (end > start) {
                window->PostNotification(QV::WString(all.substr(start, end - start).c_str()).GetString(),
                                         nullptr);
            }
            start = end + 1;
        }
    }

protected:
    using LApplication::LApplication;
};

}  // namespace

int main(int argc, char** argv) {
    Platform::SdlPresenter::SetSoftwareSurfaceHint();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "no display: %s\n", SDL_GetError());
        return 255;
    }
    Platform::InstallX11ErrorHandler();
    struct sigaction action {};
    action.sa_handler = &QuitOnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    const char* wait = Setting("SKYLET_REPLY_WAIT_MS");
    QV::LMidiManager::SetReplyTimeout(wait != nullptr ? static_cast<uint32_t>(std::strtoul(wait, nullptr, 10))
                                                      : 300u);
    const std::shared_ptr<Platform::VirtualMidiSystem> system = Platform::VirtualMidiSystem::Create();
    int32_t result = 0;
    {
        Platform::ScopedMidiSystem installed(system);
        MidiTestSupport::SimulatedKeyboard keyboard(*system);
        for (uint32_t slot = 0; slot < MidiTestSupport::SimulatedKeyboard::kSlotCount; ++slot) {
            keyboard.SetSlot(slot, PresetWithTiltCc(static_cast<uint8_t>(20 + slot)));
        }
        const char* reply = Setting("SKYLET_KEYBOARD_REPLY");
        if (reply != nullptr && std::strcmp(reply, "silent") == 0) {
            keyboard.SetReply(MidiTestSupport::SimulatedKeyboard::Reply::kSilent);
        }
        QV::MFCFrameworkApp<LKeyboardTestApplication> process(
            QV::MFCFrameworkApp<LKeyboardTestApplication>::JoinCommandLine(argc, argv), {});
        result = process.FrameworkWinMain(-1);
        system->WaitUntilIdle();
        if (const char* log = Setting("SKYLET_KEYBOARD_LOG")) {
            WriteLog(keyboard, log);
        }
    }
    SDL_Quit();
    return result;
}
