#include "Platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

#include "RIZozivirod/Utilities/Storage/Result.h"

namespace Platform {
namespace {

std::string LastDlError() {
    const char* text = ::dlerror();
    return text != nullptr ? text : "unknown error";
}

}  // namespace

DynamicLibrary::~DynamicLibrary() {
    Unload();
}

int32_t DynamicLibrary::Load(const QV::WString& path) {
    if (mHandle != nullptr) {
        return QV::S_FALSE;
    }
    const QV::NString name = path.ToUTF8();
    if (name.IsEmpty()) {
        mError = "empty library name";
        return QV::E_FAIL;
    }
    std::string bare(name.GetString());
    if (bare.find('/') == std::string::npos) {
        const std::string program = QV::NString(GetProgramPath()).GetString();
        const size_t slash = program.rfind('/');
        if (slash != std::string::npos) {
            const std::string beside = program.substr(0, slash + 1) + bare;
            if (::access(beside.c_str(), F_OK) == 0) {
                mHandle = ::dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
            }
        }
    }
    if (mHandle == nullptr) {
        mHandle = ::dlopen(bare.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (mHandle == nullptr) {
        mError = LastDlError();
        return QV::E_FAIL;
    }
    return QV::S_OK;
}

int32_t DynamicLibrary::Unload() {
    if (mHandle == nullptr) {
        return QV::S_FALSE;
    }
    void* handle = mHandle;
    mHandle = nullptr;
    if (::dlclose(handle) != 0) {
        mError = LastDlError();
        return QV::E_FAIL;
    }
    return QV::S_OK;
}

void* DynamicLibrary::GetSymbol(const char* name) const {
    if (mHandle == nullptr || name == nullptr) {
        return nullptr;
    }
    return ::dlsym(mHandle, name);
}

QV::WString DynamicLibrary::GetProgramPath() {
    // The link's length is not known in advance: grow until the answer fits.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return QV::WString();
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            buffer[static_cast<size_t>(length)] = 0;
            return QV::WString(buffer.data());
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace Platform
