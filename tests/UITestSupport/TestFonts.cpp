#include "UITestSupport/TestFonts.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <string>

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
        // A cache folder of its own in the temporary folder, so fontconfig neither complains
        // that it has none nor writes into the user's.
        const char* tmp = std::getenv("TMPDIR");
        const std::string config = std::string("<fontconfig><cachedir>") +
                                   (tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") +
                                   "/skylet-test-fonts-cache</cachedir></fontconfig>";
        if (made == nullptr ||
            !FcConfigParseAndLoadFromMemory(made, reinterpret_cast<const FcChar8*>(config.c_str()), FcTrue) ||
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
