#include "Engine/PresetEditorCommon/EngineClock.h"

#include <chrono>
#include <thread>

namespace {

class SystemEngineClock : public IEngineClock {
public:
    void Sleep(uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    uint32_t WaitForEvent(QV::LEvent& event, uint32_t milliseconds) override {
        return event.Wait(milliseconds);
    }

    uint64_t Now() override {
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count());
    }
};

}  // namespace

std::shared_ptr<IEngineClock> GetSystemEngineClock() {
    // Made on first use and never destroyed, so a thread still pausing at exit finds it alive.
    static auto* clock = new std::shared_ptr<IEngineClock>(std::make_shared<SystemEngineClock>());
    return *clock;
}
