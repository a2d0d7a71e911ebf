#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "RIZozivirod/Application/Windows/WindowOSServices.h"

namespace QV {

// A host window for root-window tests: its state is plain fields a test sets, and it records
// what the root window asked of it. InvalidateRect may be called from any thread.
class FakeWindowOSServices : public IWindowOSServices {
public:
    int32_t SetTitle(const WString& text) override {
        title = text;
        return 0;
    }
    int32_t InvalidateAll() override {
        ++invalidateAllCount;
        return 0;
    }
    int32_t InvalidateRect(const RectT<int32_t>&) override {
        invalidateCount.fetch_add(1);
        return 0;
    }
    int32_t GetClientRect(RectT<int32_t>& rect) override {
        rect = client;
        return 0;
    }
    int32_t ScreenToClient(PointT<int32_t>& point) override {
        point = {point.x - screenOrigin.x, point.y - screenOrigin.y};
        return 0;
    }
    int32_t ClientToScreen(PointT<int32_t>& point) override {
        point = {point.x + screenOrigin.x, point.y + screenOrigin.y};
        return 0;
    }
    int32_t SetWindowRect(const RectT<int32_t>& rect) override {
        windowRects.push_back(rect);
        return 0;
    }
    bool Show(int32_t) override { return true; }
    int32_t UpdateNow() override { return 0; }
    int32_t BringToTop() override { return 0; }
    int32_t SetTopMost(bool) override { return 0; }
    int32_t EndModal(int32_t result) override {
        endModalResults.push_back(result);
        return 0;
    }
    int32_t RunModal() override { return 0; }
    bool IsModal() override { return modal; }
    bool IsActive() override { return active; }
    bool HasFocus() override { return focused; }
    int32_t SetFocus() override {
        ++setFocusCount;
        return 0;
    }
    CursorHandle SetCursor(CursorHandle next) override {
        const CursorHandle previous = cursorHandle;
        cursorHandle = next;
        return previous;
    }
    PointT<int32_t> GetCursorPos() override { return cursor; }
    uint32_t GetMouseButtons() override { return buttons; }
    WindowHandle GetHandle() override { return 0; }
    int32_t EnableTextInput(bool on, bool) override {
        textInput.push_back(on);
        return 0;
    }

    bool active = true;
    bool focused = true;
    bool modal = false;
    RectT<int32_t> client{0, 0, 400, 300};
    PointT<int32_t> screenOrigin{100, 50};
    PointT<int32_t> cursor;
    uint32_t buttons = 0;
    WString title;
    CursorHandle cursorHandle = 0;
    int32_t invalidateAllCount = 0;
    std::atomic<int32_t> invalidateCount{0};
    int32_t setFocusCount = 0;
    std::vector<RectT<int32_t>> windowRects;
    std::vector<int32_t> endModalResults;
    std::vector<bool> textInput;
};

}  // namespace QV
