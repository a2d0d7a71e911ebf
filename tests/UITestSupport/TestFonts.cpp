#include "UITestSupport/TestFonts.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>

namespace TestSupport {

std::string TestFontPath() {
    return SKYLET_TEST_DATA_DIR "/fonts/DejaVuSans.ttf";
}

std::string TestBoldFontPath() {
    return SKYLET_TEST_DATA_DIR "/fonts/DejaVuSans-Bold.ttf";
}

void UseTestFonts() {
    // Kept for the process: faces resolved under it stay valid.
    static FcConfig* config = [] {
        FcConfig* made = FcConfigCreate();
        if (made == nullptr ||
            !FcConfigAppFontAddDir(made, reinterpret_cast<const FcChar8*>(SKYLET_TEST_DATA_DIR "/fonts")) ||
            !FcConfigSetCurrent(made)) {
            std::abort();  // without its fonts no text test means anything
        }
        return made;
    }();
    if (FcConfigGetCurrent() != config) {
        FcConfigSetCurrent(config);
    }
}

ScopedNoFonts::ScopedNoFonts() : mPrevious(FcConfigReference(nullptr)) {
    // One for the process: faces are remembered per configuration, so its address must never
    // come back as another one's.
    static FcConfig* empty = FcConfigCreate();
    FcConfigSetCurrent(empty);
}

ScopedNoFonts::~ScopedNoFonts() {
    auto* previous = static_cast<FcConfig*>(mPrevious);
    FcConfigSetCurrent(previous);
    FcConfigDestroy(previous);
}

}  // namespace TestSupport
