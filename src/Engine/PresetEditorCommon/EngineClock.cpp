#include "Engine/PresetEditorCommon/EngineClock.h"

#include <chrono>

namespace {

class SystemEngineClock : public IEngineClock {
public:
    bool Pause(QV::LEvent& wake, uint32_t milliseconds) override {
        return wake.Wait(milliseconds) == QV::WAIT_OBJECT_0;
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
