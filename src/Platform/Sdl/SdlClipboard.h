#pragma once

#include <cstdint>
#include <string>

#include "Platform/Desktop/ClipboardBackend.h"

namespace Platform {

// The desktop's clipboard through SDL, which has text alone and no change counter of its own.
// The counter is kept here: it moves with each write of this program and whenever the text
// read back differs from the text seen at the last count (another program copied). The marker
// for a value that is not text is an empty text that this program wrote: it holds as long as
// the clipboard still reads empty and nobody wrote since. Needs SDL's video subsystem.
class SdlClipboard : public IClipboardBackend {
public:
    uint32_t GetChangeCount() override;
    bool HasText() override;
    bool HasMarker() override;
    bool GetText(std::string& text) override;
    bool SetText(const std::string& text) override;
    bool SetMarker() override;

private:
    // Reads the clipboard and moves the counter when its text is not the one seen last.
    void Refresh();

    std::string mSeen;
    uint32_t mChangeCount = 1;
    bool mMarker = false;
};

}  // namespace Platform
