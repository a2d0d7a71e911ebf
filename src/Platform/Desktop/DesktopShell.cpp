#include "Platform/Desktop/DesktopShell.h"

#include <atomic>

#include "Platform/Desktop/SystemDesktopShell.h"

namespace Platform {

namespace {

std::atomic<IDesktopShell*> gInstalledShell{nullptr};

// Made on first use, never destroyed.
IDesktopShell& SystemShell() {
    static SystemDesktopShell* const shell = new SystemDesktopShell();
    return *shell;
}

}  // namespace

IDesktopShell& GetDesktopShell() {
    IDesktopShell* installed = gInstalledShell.load();
    return installed != nullptr ? *installed : SystemShell();
}

IDesktopShell* SetDesktopShell(IDesktopShell* shell) {
    return gInstalledShell.exchange(shell);
}

}  // namespace Platform
