#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Renderer/MeasurementRenderer.h"

namespace QV {

// Application services for tests: a manual clock and a scripted desktop. Every value is a plain
// field that a test sets; message boxes are recorded and answered from a script.
class TestApplicationServices : public IApplicationServices {
public:
    struct MessageBoxCall {
        WString text;
        WString caption;
        uint32_t style;
    };

    // The clock stands still until advanced; seconds and milliseconds move together.
    void AdvanceMs(uint32_t milliseconds);
    // Moves the millisecond counter alone (to test its wrap); seconds stay.
    void SetTimeMs(uint32_t milliseconds) { timeMs = milliseconds; }

    uint32_t GetTimeMs() override { return timeMs; }
    double GetTime() override { return seconds; }
    RCPtr<LMeasurementRenderer> GetMeasuringRenderer() override { return measuringRenderer; }
    int32_t GetScreenDpi() override { return screenDpi; }
    int32_t GetSystemFont(WString& face, float& size, uint32_t& style) override;
    RectT<int32_t> GetWorkArea() override { return workArea; }
    PointT<int32_t> GetMousePosition() override { return mousePosition; }
    uint32_t GetMouseButtons() override { return mouseButtons; }
    int32_t GetKeyState(int32_t virtualKey, bool& down, bool& toggled) override;
    CursorHandle GetCursor(const WString& name) override;
    int32_t ShowCursor(bool show) override;
    int32_t SetCursorPos(int32_t x, int32_t y) override;
    int32_t CreateControl(const WString& descriptorName, RCPtr<LControl>& control) override;
    int32_t DoModal(const RCPtr<LControl>& control, bool systemMenu) override;
    // Answers with the next scripted answer, or defaultAnswer once the script is used up.
    int32_t ShowMessageBox(const WString& text, const WString& caption, uint32_t style) override;

    uint32_t timeMs = 0;
    double seconds = 0.0;
    RCPtr<LMeasurementRenderer> measuringRenderer;
    int32_t screenDpi = 96;
    WString systemFontFace = u"DejaVu Sans";
    float systemFontSize = 9.0f;
    uint32_t systemFontStyle = 0;
    RectT<int32_t> workArea{0, 0, 1920, 1080};
    PointT<int32_t> mousePosition;
    uint32_t mouseButtons = 0;
    // Virtual key -> (down, toggled); keys not listed are up.
    std::map<int32_t, std::pair<bool, bool>> keyStates;
    // Cursor name -> handle; names not listed give 0.
    std::map<WString, CursorHandle> cursors;
    int32_t cursorCount = 0;
    PointT<int32_t> cursorPos;
    int32_t modalResult = E_FAIL;
    std::vector<const LControl*> modalControls;
    std::vector<int32_t> messageBoxAnswers;
    int32_t defaultAnswer = 1;
    std::vector<MessageBoxCall> messageBoxes;
};

// Installs test services for its scope and puts back what was installed before: a fixture
// member gives every test of the fixture its own clock and desktop.
class ScopedTestApplicationServices {
public:
    ScopedTestApplicationServices() : mPrevious(SetApplicationServices(&mServices)) {}
    ScopedTestApplicationServices(const ScopedTestApplicationServices&) = delete;
    ScopedTestApplicationServices& operator=(const ScopedTestApplicationServices&) = delete;
    ~ScopedTestApplicationServices() { SetApplicationServices(mPrevious); }

    TestApplicationServices& Get() { return mServices; }
    TestApplicationServices* operator->() { return &mServices; }

private:
    TestApplicationServices mServices;
    IApplicationServices* mPrevious;
};

}  // namespace QV
