#pragma once

#include <SDL.h>

#include "Platform/Desktop/DesktopWindow.h"
#include "Platform/Sdl/SdlPresenter.h"

namespace Platform {

// A desktop window as an SDL window with a software surface, which its frames are drawn in or
// copied to.
class SdlDesktopWindow final : public IDesktopWindow {
public:
    // Takes the window over: it goes with this object.
    explicit SdlDesktopWindow(SDL_Window* window);
    ~SdlDesktopWindow() override;
    SdlDesktopWindow(const SdlDesktopWindow&) = delete;
    SdlDesktopWindow& operator=(const SdlDesktopWindow&) = delete;

    SDL_Window* GetWindow() const { return mWindow; }

    uint32_t GetId() const override { return mId; }
    intptr_t GetHandle() const override { return reinterpret_cast<intptr_t>(mWindow); }
    void SetTitle(const std::string& utf8) override;
    QV::PointT<int32_t> GetPosition() const override;
    QV::PointT<int32_t> GetSize() const override;
    void SetPosition(int32_t x, int32_t y) override;
    void SetSize(int32_t width, int32_t height) override;
    bool GetBorders(int32_t& top, int32_t& left, int32_t& bottom, int32_t& right) const override;
    bool IsShown() const override;
    bool IsMaximized() const override;
    bool IsMinimized() const override;
    void Show() override;
    void Hide() override;
    void Minimize() override;
    void Maximize() override;
    void Raise() override;
    void SetAlwaysOnTop(bool onTop) override;
    void TakeKeyboard() override;
    void Present(cairo_surface_t* frame, const std::vector<QV::RectT<int32_t>>& rects) override {
        mPresenter.Present(frame, rects);
    }
    FrameBuffer GetFrameBuffer() override { return mPresenter.GetFrameBuffer(); }
    int64_t GetLastCopiedPixels() const override { return mPresenter.GetLastCopiedPixels(); }

private:
    SDL_Window* mWindow;
    uint32_t mId;
    SdlPresenter mPresenter;
};

// An SDL event as the framework's windows take it. Pointer and text events carry the keyboard's
// modifiers at the time of the call. False (kNone, window id 0) for an event of no window and of a
// kind the framework does not handle; a user event (SDL_USEREVENT and above) is kNone with its
// window id.
bool WindowEventFromSdl(const SDL_Event& sdl, WindowEvent& event);

}  // namespace Platform
