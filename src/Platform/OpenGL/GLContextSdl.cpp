#include "Platform/OpenGL/GLContextSdl.h"

#include <SDL.h>

namespace Platform {
namespace {

class GLContextSdl : public GLContext {
public:
    GLContextSdl(SDL_Window* window, SDL_GLContext context, bool doubleBuffered)
        : mWindow(window), mContext(context), mDoubleBuffered(doubleBuffered) {}
    ~GLContextSdl() override {
        if (SDL_GL_GetCurrentContext() == mContext) {
            SDL_GL_MakeCurrent(mWindow, nullptr);
        }
        SDL_GL_DeleteContext(mContext);
    }

    bool MakeCurrent() override {
        if (SDL_GL_MakeCurrent(mWindow, mContext) != 0) {
            mError = SDL_GetError();
            return false;
        }
        return true;
    }
    void ReleaseCurrent() override { SDL_GL_MakeCurrent(mWindow, nullptr); }
    void SwapBuffers() override { SDL_GL_SwapWindow(mWindow); }
    bool IsDoubleBuffered() const override { return mDoubleBuffered; }
    bool SwapKeepsBackBuffer() const override { return false; }
    const std::string& GetError() const override { return mError; }

private:
    SDL_Window* mWindow;
    SDL_GLContext mContext;
    bool mDoubleBuffered;
    std::string mError;
};

}  // namespace

std::unique_ptr<GLContext> GLContextProviderSdl::CreateContext(void* window, int32_t, int32_t,
                                                               std::string& error) {
    if (window == nullptr) {
        error = "offscreen GL surfaces are not made through SDL";
        return nullptr;
    }
    SDL_Window* sdlWindow = static_cast<SDL_Window*>(window);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GLContext context = SDL_GL_CreateContext(sdlWindow);
    if (context == nullptr) {
        error = SDL_GetError();
        return nullptr;
    }
    int doubleBuffered = 0;
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffered);
    SDL_GL_MakeCurrent(sdlWindow, nullptr);
    return std::make_unique<GLContextSdl>(sdlWindow, context, doubleBuffered != 0);
}

}  // namespace Platform
