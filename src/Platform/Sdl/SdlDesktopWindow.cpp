#include "Platform/Sdl/SdlDesktopWindow.h"

#include <algorithm>
#include <atomic>

#include "Platform/Sdl/SdlInput.h"

namespace Platform {

namespace {

// Wakes go to SDL's queue as one event of a type of their own; a second wake before the queue
// has given it out adds nothing, and a push that fails is forgotten so that the next wake tries
// again.
std::atomic<bool> sWakePending{false};

uint32_t WakeType() {
    static const uint32_t type = [] {
        const uint32_t registered = SDL_RegisterEvents(1);
        return registered == static_cast<uint32_t>(-1) ? 0u : registered;
    }();
    return type;
}

WindowEvent::Type WindowEventType(uint8_t event) {
    switch (event) {
        case SDL_WINDOWEVENT_SHOWN:
            return WindowEvent::kShown;
        case SDL_WINDOWEVENT_EXPOSED:
            return WindowEvent::kExposed;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            return WindowEvent::kFocusGained;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            return WindowEvent::kFocusLost;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            return WindowEvent::kSizeChanged;
        case SDL_WINDOWEVENT_MAXIMIZED:
            return WindowEvent::kMaximized;
        case SDL_WINDOWEVENT_RESTORED:
            return WindowEvent::kRestored;
        case SDL_WINDOWEVENT_MOVED:
            return WindowEvent::kMoved;
        case SDL_WINDOWEVENT_LEAVE:
            return WindowEvent::kPointerLeft;
        case SDL_WINDOWEVENT_CLOSE:
            return WindowEvent::kCloseRequest;
        default:
            return WindowEvent::kNone;
    }
}

class SdlDesktopEvents final : public IDesktopEvents {
public:
    SdlDesktopEvents() {
        WakeType();
        // A wake event of an earlier queue may have gone with it (video shut down and started
        // again): this queue holds none, so the next wake must push.
        sWakePending = false;
    }

    bool Poll(WindowEvent& event) override {
        SDL_Event sdl;
        if (SDL_PollEvent(&sdl) != 1) {
            return false;
        }
        if (WakeType() != 0 && sdl.type == WakeType()) {
            // Taken before the work it announces is looked at: a later wake pushes again.
            sWakePending = false;
            event = WindowEvent();
            return true;
        }
        WindowEventFromSdl(sdl, event);
        return true;
    }
    void Wait(int32_t timeoutMs) override {
        // Waiting without taking: the event is polled by the loop's next pass. A failed wait
        // (the queue is gone) still returns, and the loop finds nothing and waits again.
        if (timeoutMs < 0) {
            SDL_WaitEvent(nullptr);
        } else {
            SDL_WaitEventTimeout(nullptr, timeoutMs);
        }
    }
    uint32_t GetTimeMs() override { return SDL_GetTicks(); }
};

}  // namespace

SdlDesktopWindow::SdlDesktopWindow(SDL_Window* window)
    : mWindow(window), mId(SDL_GetWindowID(window)), mPresenter(window) {}

SdlDesktopWindow::~SdlDesktopWindow() {
    SDL_DestroyWindow(mWindow);
}

void SdlDesktopWindow::SetTitle(const std::string& utf8) {
    SDL_SetWindowTitle(mWindow, utf8.c_str());
}

QV::PointT<int32_t> SdlDesktopWindow::GetPosition() const {
    int32_t x = 0;
    int32_t y = 0;
    SDL_GetWindowPosition(mWindow, &x, &y);
    return {x, y};
}

QV::PointT<int32_t> SdlDesktopWindow::GetSize() const {
    int32_t width = 0;
    int32_t height = 0;
    SDL_GetWindowSize(mWindow, &width, &height);
    return {width, height};
}

void SdlDesktopWindow::SetPosition(int32_t x, int32_t y) {
    SDL_SetWindowPosition(mWindow, x, y);
}

void SdlDesktopWindow::SetSize(int32_t width, int32_t height) {
    SDL_SetWindowSize(mWindow, width, height);
}

bool SdlDesktopWindow::GetBorders(int32_t& top, int32_t& left, int32_t& bottom, int32_t& right) const {
    top = left = bottom = right = 0;
    if (SDL_GetWindowBordersSize(mWindow, &top, &left, &bottom, &right) != 0) {
        top = left = bottom = right = 0;
        return false;
    }
    return true;
}

bool SdlDesktopWindow::IsShown() const {
    return (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_SHOWN) != 0;
}

bool SdlDesktopWindow::IsMaximized() const {
    return (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_MAXIMIZED) != 0;
}

bool SdlDesktopWindow::IsMinimized() const {
    return (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_MINIMIZED) != 0;
}

void SdlDesktopWindow::Show() {
    SDL_ShowWindow(mWindow);
}

void SdlDesktopWindow::Hide() {
    SDL_HideWindow(mWindow);
}

void SdlDesktopWindow::Minimize() {
    SDL_MinimizeWindow(mWindow);
}

void SdlDesktopWindow::Maximize() {
    SDL_MaximizeWindow(mWindow);
}

void SdlDesktopWindow::Raise() {
    SDL_RaiseWindow(mWindow);
}

void SdlDesktopWindow::SetAlwaysOnTop(bool onTop) {
    SDL_SetWindowAlwaysOnTop(mWindow, onTop ? SDL_TRUE : SDL_FALSE);
}

void SdlDesktopWindow::TakeKeyboard() {
    SDL_SetWindowInputFocus(mWindow);
}

std::unique_ptr<IDesktopWindow> CreateDesktopWindow(const std::string& titleUtf8,
                                                    const QV::RectT<int32_t>& rect, bool popup) {
    SdlPresenter::SetSoftwareSurfaceHint();
    const uint32_t kind = popup ? SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR |
                                      SDL_WINDOW_ALWAYS_ON_TOP
                                : SDL_WINDOW_RESIZABLE;
    SDL_Window* window = SDL_CreateWindow(titleUtf8.c_str(), rect.x, rect.y, std::max(rect.width, 1),
                                          std::max(rect.height, 1), SDL_WINDOW_HIDDEN | kind);
    if (window == nullptr) {
        return nullptr;
    }
    return std::make_unique<SdlDesktopWindow>(window);
}

uint32_t GetKeyboardWindowId() {
    SDL_Window* window = SDL_GetKeyboardFocus();
    return window != nullptr ? SDL_GetWindowID(window) : 0;
}

void CapturePointer(bool capture) {
    SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}

void SetPointerCursor(intptr_t cursor) {
    if (cursor != 0) {
        SDL_SetCursor(reinterpret_cast<SDL_Cursor*>(cursor));
    }
}

std::unique_ptr<IDesktopEvents> CreateDesktopEvents() {
    return std::make_unique<SdlDesktopEvents>();
}

void WakeDesktopEvents() {
    if (WakeType() == 0 || sWakePending.exchange(true)) {
        return;
    }
    SDL_Event event{};
    event.type = WakeType();
    if (SDL_PushEvent(&event) != 1) {
        sWakePending = false;
    }
}

bool WindowEventFromSdl(const SDL_Event& sdl, WindowEvent& event) {
    event = WindowEvent();
    switch (sdl.type) {
        case SDL_QUIT:
            event.type = WindowEvent::kQuit;
            return true;
        case SDL_WINDOWEVENT:
            event.windowId = sdl.window.windowID;
            event.type = WindowEventType(sdl.window.event);
            if (event.type == WindowEvent::kSizeChanged) {
                event.x = sdl.window.data1;
                event.y = sdl.window.data2;
            }
            return event.type != WindowEvent::kNone;
        case SDL_MOUSEMOTION:
            event.type = WindowEvent::kPointerMoved;
            event.windowId = sdl.motion.windowID;
            event.x = sdl.motion.x;
            event.y = sdl.motion.y;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            event.type = sdl.type == SDL_MOUSEBUTTONDOWN ? WindowEvent::kButtonDown : WindowEvent::kButtonUp;
            event.windowId = sdl.button.windowID;
            event.x = sdl.button.x;
            event.y = sdl.button.y;
            event.button = ButtonBitFromSdl(sdl.button.button);
            event.clicks = sdl.button.clicks;
            break;
        case SDL_MOUSEWHEEL:
            event.type = WindowEvent::kWheel;
            event.windowId = sdl.wheel.windowID;
            event.x = sdl.wheel.mouseX;
            event.y = sdl.wheel.mouseY;
            WheelDeltasFromSdl(sdl.wheel, event.wheelVertical, event.wheelHorizontal);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const uint16_t keymod = sdl.key.keysym.mod;
            event.type = sdl.type == SDL_KEYDOWN ? WindowEvent::kKeyDown : WindowEvent::kKeyUp;
            event.windowId = sdl.key.windowID;
            event.virtualKey = VirtualKeyFromSdl(sdl.key.keysym.sym, sdl.key.keysym.scancode);
            event.repeat = sdl.key.repeat != 0;
            event.keyModifiers = KeyModifierFlagsFromSdl(keymod);
            event.pointerModifiers = PointerModifierFlagsFromSdl(keymod);
            if (sdl.type == SDL_KEYDOWN) {
                event.controlCharacter = ControlCharacterFromSdl(sdl.key.keysym.sym, keymod);
            }
            return true;
        }
        case SDL_TEXTINPUT: {
            const uint16_t keymod = static_cast<uint16_t>(SDL_GetModState());
            event.type = WindowEvent::kText;
            event.windowId = sdl.text.windowID;
            event.pointerModifiers = PointerModifierFlagsFromSdl(keymod);
            // What is typed with a system key held is a shortcut of the desktop's, not text.
            if ((keymod & KMOD_GUI) == 0) {
                event.text = Utf16FromTextInput(sdl.text.text);
            }
            return true;
        }
        case SDL_TEXTEDITING:
            event.windowId = sdl.edit.windowID;
            return false;
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
        case SDL_DROPBEGIN:
        case SDL_DROPCOMPLETE:
            event.windowId = sdl.drop.windowID;
            return false;
        default:
            if (sdl.type >= SDL_USEREVENT && sdl.type < SDL_LASTEVENT) {
                event.windowId = sdl.user.windowID;
            }
            return false;
    }
    event.pointerModifiers = PointerModifierFlagsFromSdl(static_cast<uint16_t>(SDL_GetModState()));
    return true;
}

}  // namespace Platform
