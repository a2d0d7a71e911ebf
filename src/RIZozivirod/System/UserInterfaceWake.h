#pragma once

namespace QV {

// The user-interface thread sleeps while it has nothing to do. Whoever hands it work from another
// thread (a posted notification, an invalidated window) wakes it through this one hook, which
// the user-interface layer installs while its loop exists. Without a hook, waking does nothing.
using UserInterfaceWakeFunction = void (*)();

// Any thread. Returns the hook installed before.
UserInterfaceWakeFunction SetUserInterfaceWake(UserInterfaceWakeFunction wake);
// Any thread; cheap when the loop is awake already (the hook coalesces).
void WakeUserInterface();

}  // namespace QV
