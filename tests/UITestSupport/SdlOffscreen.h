#pragma once

#include <SDL.h>

namespace QV {

// SDL's video on the "offscreen" driver with software window surfaces, for the scope of a
// fixture: windows exist but nothing shows and nothing has the focus unless a test says so.
// A test of what only a real display has (system cursors) names its driver ("x11").
// Ok() is false when SDL could not start (the test then skips).
class ScopedSdlOffscreen {
public:
    explicit ScopedSdlOffscreen(const char* driver = "offscreen");
    ScopedSdlOffscreen(const ScopedSdlOffscreen&) = delete;
    ScopedSdlOffscreen& operator=(const ScopedSdlOffscreen&) = delete;
    ~ScopedSdlOffscreen();

    bool Ok() const { return mOk; }

private:
    bool mOk = false;
};

}  // namespace QV
