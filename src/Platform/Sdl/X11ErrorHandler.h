#pragma once

namespace Platform {

// Xlib ends the process on any protocol error it is not told to expect. A window that the program
// has just destroyed can still be named by a request already on its way (a wake-up sent to the
// window the event loop was waiting on, a property set a moment before), and the server answers
// BadWindow: harmless, since the window is gone, but fatal under Xlib's default handler. Installed
// after the video subsystem starts on X11, this handler reports such an error in the debug output
// and goes on; every other error goes to the handler that was there before. Does nothing on
// other video drivers. Call once, on the user-interface thread.
void InstallX11ErrorHandler();

}  // namespace Platform
