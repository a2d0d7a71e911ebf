#include "Platform/OpenGL/GLContext.h"

#include "Platform/OpenGL/GLContextSdl.h"

namespace Platform {
namespace {

// Made on first use and never destroyed.
GLContextProviderSdl& SdlProvider() {
    static GLContextProviderSdl* const provider = new GLContextProviderSdl();
    return *provider;
}

GLContextProvider*& SetProvider() {
    static GLContextProvider* provider = nullptr;
    return provider;
}

}  // namespace

GLContextProvider& GetGLContextProvider() {
    GLContextProvider* provider = SetProvider();
    return provider != nullptr ? *provider : SdlProvider();
}

void SetGLContextProvider(GLContextProvider* provider) {
    SetProvider() = provider;
}

}  // namespace Platform
