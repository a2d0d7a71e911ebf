#include "UITestSupport/TestApplicationServices.h"

namespace QV {

void TestApplicationServices::AdvanceMs(uint32_t milliseconds) {
    timeMs += milliseconds;
    seconds += milliseconds / 1000.0;
}

int32_t TestApplicationServices::GetSystemFont(WString& face, float& size, uint32_t& style) {
    face = systemFontFace;
    size = systemFontSize;
    style = systemFontStyle;
    return S_OK;
}

int32_t TestApplicationServices::GetKeyState(int32_t virtualKey, bool& down, bool& toggled) {
    const auto found = keyStates.find(virtualKey);
    down = found != keyStates.end() && found->second.first;
    toggled = found != keyStates.end() && found->second.second;
    return S_OK;
}

CursorHandle TestApplicationServices::GetCursor(const WString& name) {
    const auto found = cursors.find(name);
    return found != cursors.end() ? found->second : 0;
}

int32_t TestApplicationServices::ShowCursor(bool show) {
    cursorCount += show ? 1 : -1;
    return cursorCount;
}

int32_t TestApplicationServices::SetCursorPos(int32_t x, int32_t y) {
    cursorPos = {x, y};
    return S_OK;
}

int32_t TestApplicationServices::CreateControl(const WString&, RCPtr<LControl>&) {
    return E_NOTIMPL;
}

int32_t TestApplicationServices::DoModal(const RCPtr<LControl>& control, bool) {
    modalControls.push_back(control.Get());
    return modalResult;
}

int32_t TestApplicationServices::ShowMessageBox(const WString& text, const WString& caption, uint32_t style) {
    messageBoxes.push_back({text, caption, style});
    if (messageBoxes.size() <= messageBoxAnswers.size()) {
        return messageBoxAnswers[messageBoxes.size() - 1];
    }
    return defaultAnswer;
}

}  // namespace QV
