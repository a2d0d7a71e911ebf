#include "RIZozivirod/System/UserInterfaceWake.h"

#include <atomic>

namespace QV {

namespace {
std::atomic<UserInterfaceWakeFunction> sUserInterfaceWake{nullptr};
}  // namespace

UserInterfaceWakeFunction SetUserInterfaceWake(UserInterfaceWakeFunction wake) {
    return sUserInterfaceWake.exchange(wake);
}

void WakeUserInterface() {
    if (const UserInterfaceWakeFunction wake = sUserInterfaceWake.load()) {
        wake();
    }
}

}  // namespace QV
