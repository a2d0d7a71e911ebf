#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Platform {

// The desktop's clipboard as the application's clipboard uses it: UTF-8 text, a marker that
// says "this program holds a value that is not text", and a change counter that moves whenever
// the clipboard's content changes, whoever changed it. User-interface thread only.
class IClipboardBackend {
public:
    virtual ~IClipboardBackend() = default;

    // Changes with every write, this program's and others'.
    virtual uint32_t GetChangeCount() = 0;
    virtual bool HasText() = 0;
    // True while the marker this program set is still what the clipboard holds.
    virtual bool HasMarker() = 0;
    // False when the text cannot be fetched (text untouched).
    virtual bool GetText(std::string& text) = 0;
    // Replaces the content with the text; false when the clipboard cannot be written.
    virtual bool SetText(const std::string& text) = 0;
    // Replaces the content with the marker alone; false when the clipboard cannot be written.
    virtual bool SetMarker() = 0;
};

// The desktop's clipboard (Platform/Sdl).
std::shared_ptr<IClipboardBackend> CreateDesktopClipboard();

// A clipboard in memory, for tests: another program's copy is CopyFromOtherProgram; a test can
// make it refuse reads and writes.
class InMemoryClipboard : public IClipboardBackend {
public:
    uint32_t GetChangeCount() override { return changeCount; }
    bool HasText() override { return hasText; }
    bool HasMarker() override { return hasMarker; }
    bool GetText(std::string& out) override {
        if (!readable || !hasText) {
            return false;
        }
        out = text;
        ++reads;
        return true;
    }
    bool SetText(const std::string& value) override {
        if (!writable) {
            return false;
        }
        text = value;
        hasText = true;
        hasMarker = false;
        ++changeCount;
        return true;
    }
    bool SetMarker() override {
        if (!writable) {
            return false;
        }
        text.clear();
        hasText = false;
        hasMarker = true;
        ++changeCount;
        return true;
    }
    void CopyFromOtherProgram(const std::string& value) {
        text = value;
        hasText = true;
        hasMarker = false;
        ++changeCount;
    }

    std::string text;
    bool hasText = false;
    bool hasMarker = false;
    uint32_t changeCount = 1;
    bool readable = true;
    bool writable = true;
    int32_t reads = 0;
};

}  // namespace Platform
