#pragma once

#include <cstdint>
#include <string>

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace Platform {

// A shared library loaded at run time and its entry points, closed on destruction. Used by
// one thread at a time.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    ~DynamicLibrary();

    // A bare file name (no "/") is looked for in the program's folder first, then by the
    // system's usual search. S_OK, S_FALSE when a library is already loaded, E_FAIL.
    int32_t Load(const QV::WString& path);
    // S_OK, S_FALSE when nothing is loaded, E_FAIL when the system refused to close it (the
    // handle is dropped either way).
    int32_t Unload();
    bool IsLoaded() const { return mHandle != nullptr; }
    // Null when nothing is loaded or the library has no such entry point.
    void* GetSymbol(const char* name) const;
    template <class Function>
    Function GetFunction(const char* name) const {
        return reinterpret_cast<Function>(GetSymbol(name));
    }
    // The system's text for the last failure of Load or Unload.
    const std::string& GetError() const { return mError; }

    // The full path of the running program, empty when the system does not tell.
    static QV::WString GetProgramPath();

private:
    void* mHandle = nullptr;
    std::string mError;
};

}  // namespace Platform
