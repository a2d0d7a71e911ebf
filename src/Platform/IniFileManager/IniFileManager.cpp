// The settings library: files of keys and values, opened by path and shared by handle.
//
// Every change is written at once (temporary file, flush, rename), so values survive a crash
// or a caller that never writes or closes; a failed write keeps the change in memory, reports
// it, and is retried by the next change, WriteIniFile or CloseIniFile with a non-zero flag.
// One lock serialises every entry point; the state lives while the library is loaded.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "Platform/AtomicFileWrite.h"
#include "Platform/IniFileManager/IniDocument.h"
#include "Platform/IniFileManager/IniFileManagerExports.h"

using namespace Platform::IniFile;

namespace {

// A larger file is read up to this size; what follows is left out.
constexpr size_t kMaxFileSize = 64u << 20;

struct OpenFile {
    std::string path;
    std::string header;
    IniDocument document;
    int32_t users = 0;
    bool dirty = false;

    int32_t Write() {
        dirty = !Platform::WriteFileAtomically(path, document.Serialize(header));
        return dirty ? kIniWriteFailed : kIniOk;
    }
};

struct Registry {
    std::mutex lock;
    int32_t nextHandle = 1;
    std::map<int32_t, std::shared_ptr<OpenFile>> handles;
    std::map<std::string, std::shared_ptr<OpenFile>> files;  // by real path
};

// Created when the library is loaded and freed when it is unloaded (at process exit after the
// program's own static objects are gone), so callers from static destructors still find it.
Registry* gRegistry = nullptr;

__attribute__((constructor)) void CreateRegistry() {
    gRegistry = new Registry;
}
__attribute__((destructor)) void DestroyRegistry() {
    delete gRegistry;
    gRegistry = nullptr;
}

OpenFile* Find(int32_t handle) {
    const auto found = gRegistry->handles.find(handle);
    return found == gRegistry->handles.end() ? nullptr : found->second.get();
}

// False when the file exists but cannot be read; missing is reported through exists.
bool ReadFile(const std::string& path, std::string& text, bool& exists) {
    exists = false;
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return errno == ENOENT;
    }
    exists = true;
    struct stat status {};
    bool ok = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    char block[65536];
    while (ok && text.size() < kMaxFileSize) {
        const ssize_t count = ::read(descriptor, block, std::min(sizeof block, kMaxFileSize - text.size()));
        if (count > 0) {
            text.append(block, static_cast<size_t>(count));
        } else if (count == 0) {
            break;
        } else if (errno != EINTR) {
            ok = false;
        }
    }
    ::close(descriptor);
    return ok;
}

std::string RealPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

int32_t CopyOut(const std::string& text, char* buffer, int32_t bufferSize, int32_t* neededSize,
                int32_t result) {
    if (text.size() >= static_cast<size_t>(INT32_MAX)) {
        return kIniInvalidArgument;
    }
    const auto needed = static_cast<int32_t>(text.size() + 1);
    if (neededSize != nullptr) {
        *neededSize = needed;
    }
    if (buffer == nullptr || bufferSize < needed) {
        return kIniBufferTooSmall;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = 0;
    return result;
}

// Common frame of the entry points: lock, find the file, check the key.
template <class Body>
int32_t WithKey(int32_t handle, const char* key, bool allowRoot, Body body) {
    if (gRegistry == nullptr) {
        return kIniInvalidArgument;
    }
    std::lock_guard<std::mutex> guard(gRegistry->lock);
    OpenFile* file = Find(handle);
    std::string path;
    if (file == nullptr || !NormalizeKey(key, allowRoot, path)) {
        return kIniInvalidArgument;
    }
    return body(*file, path);
}

// Stores text as the value of key; unchanged values cost no write unless one is owed.
int32_t SetValue(OpenFile& file, const std::string& key, std::string text) {
    auto [entry, inserted] = file.document.values.try_emplace(key);
    if (!inserted && entry->second == text && !file.dirty) {
        return kIniOk;
    }
    entry->second = std::move(text);
    return file.Write();
}

}  // namespace

int32_t OpenIniFile(const char* path, const char* version, const char* product, int32_t* handle) {
    if (handle != nullptr) {
        *handle = 0;
    }
    if (gRegistry == nullptr || path == nullptr || path[0] == 0 || handle == nullptr) {
        return kIniInvalidArgument;
    }
    std::lock_guard<std::mutex> guard(gRegistry->lock);
    std::shared_ptr<OpenFile> file;
    if (const auto found = gRegistry->files.find(RealPath(path)); found != gRegistry->files.end()) {
        file = found->second;
    } else {
        file = std::make_shared<OpenFile>();
        file->path = path;
        file->header =
            std::string(product != nullptr ? product : "") + " " + (version != nullptr ? version : "");
        std::string text;
        bool exists = false;
        if (!ReadFile(file->path, text, exists) || (!exists && file->Write() != kIniOk)) {
            return kIniOpenFailed;
        }
        file->document.Parse(text);
        // Keyed by the real path, known now that the file exists, so every spelling shares it.
        std::shared_ptr<OpenFile>& entry = gRegistry->files[RealPath(path)];
        if (!entry) {
            entry = file;
        }
        file = entry;
    }
    ++file->users;
    *handle = gRegistry->nextHandle++;
    gRegistry->handles[*handle] = file;
    return kIniOk;
}

int32_t WriteIniFile(int32_t handle) {
    if (gRegistry == nullptr) {
        return kIniInvalidArgument;
    }
    std::lock_guard<std::mutex> guard(gRegistry->lock);
    OpenFile* file = Find(handle);
    return file == nullptr ? kIniInvalidArgument : file->Write();
}

int32_t CloseIniFile(int32_t handle, int32_t flag) {
    if (gRegistry == nullptr) {
        return kIniInvalidArgument;
    }
    std::lock_guard<std::mutex> guard(gRegistry->lock);
    const auto found = gRegistry->handles.find(handle);
    if (found == gRegistry->handles.end()) {
        return kIniInvalidArgument;
    }
    const std::shared_ptr<OpenFile> file = found->second;
    gRegistry->handles.erase(found);
    const int32_t result = flag != 0 && file->dirty ? file->Write() : kIniOk;
    if (--file->users == 0) {
        for (auto entry = gRegistry->files.begin(); entry != gRegistry->files.end(); ++entry) {
            if (entry->second == file) {
                gRegistry->files.erase(entry);
                break;
            }
        }
    }
    return result;
}

int32_t DoesNodeExist(int32_t handle, const char* key) {
    const int32_t result = WithKey(handle, key, true, [](OpenFile& file, const std::string& path) {
        return file.document.HasNode(path) ? 1 : 0;
    });
    return result == 1 ? 1 : 0;
}

int32_t GetIniValueInt(int32_t handle, const char* key, int32_t defaultValue, int32_t* value) {
    if (value == nullptr) {
        return kIniInvalidArgument;
    }
    *value = defaultValue;
    return WithKey(handle, key, false, [&](OpenFile& file, const std::string& path) {
        const auto found = file.document.values.find(path);
        if (found == file.document.values.end()) {
            return kIniNotFound;
        }
        const std::string& text = found->second;
        int32_t parsed = 0;
        const char* begin = text.data();
        if (!text.empty() && text.front() == '+') {
            ++begin;
        }
        const auto [end, error] = std::from_chars(begin, text.data() + text.size(), parsed);
        if (error != std::errc() || end != text.data() + text.size() || begin == end) {
            return kIniNotANumber;
        }
        *value = parsed;
        return kIniOk;
    });
}

int32_t SetIniValueInt(int32_t handle, const char* key, int32_t value) {
    return WithKey(handle, key, false, [&](OpenFile& file, const std::string& path) {
        return SetValue(file, path, std::to_string(value));
    });
}

int32_t GetIniValueStr(int32_t handle, const char* key, const char* defaultValue, char* buffer,
                       int32_t bufferSize, int32_t* neededSize) {
    return WithKey(handle, key, false, [&](OpenFile& file, const std::string& path) {
        const auto found = file.document.values.find(path);
        if (found == file.document.values.end()) {
            return CopyOut(defaultValue != nullptr ? defaultValue : "", buffer, bufferSize, neededSize,
                           kIniNotFound);
        }
        return CopyOut(found->second, buffer, bufferSize, neededSize, kIniOk);
    });
}

int32_t SetIniValueStr(int32_t handle, const char* key, const char* value) {
    if (value == nullptr) {
        return kIniInvalidArgument;
    }
    return WithKey(handle, key, false,
                   [&](OpenFile& file, const std::string& path) { return SetValue(file, path, value); });
}

int32_t GetKeyCount(int32_t handle, const char* key, int32_t* count) {
    if (count == nullptr) {
        return kIniInvalidArgument;
    }
    *count = 0;
    return WithKey(handle, key, true, [&](OpenFile& file, const std::string& path) {
        *count = static_cast<int32_t>(file.document.ChildNames(path).size());
        return kIniOk;
    });
}

int32_t GetKeyNameAt(int32_t handle, const char* key, int32_t index, char* buffer, int32_t bufferSize,
                     int32_t* neededSize) {
    return WithKey(handle, key, true, [&](OpenFile& file, const std::string& path) {
        const std::vector<std::string> names = file.document.ChildNames(path);
        if (index < 0 || static_cast<size_t>(index) >= names.size()) {
            return kIniInvalidArgument;
        }
        return CopyOut(names[static_cast<size_t>(index)], buffer, bufferSize, neededSize, kIniOk);
    });
}

int32_t GetArrayCount(int32_t handle, const char* key, int32_t* count) {
    if (count == nullptr) {
        return kIniInvalidArgument;
    }
    *count = 0;
    return WithKey(handle, key, false, [&](OpenFile& file, const std::string& path) {
        const auto found = file.document.arrays.find(path);
        if (found == file.document.arrays.end()) {
            return kIniNotFound;
        }
        *count = static_cast<int32_t>(found->second.size());
        return kIniOk;
    });
}

int32_t SetArrayCount(int32_t handle, const char* key, int32_t count) {
    return WithKey(handle, key, false, [&](OpenFile& file, const std::string& path) {
        if (count < 0 || static_cast<size_t>(count) > kMaxArrayItems) {
            return kIniInvalidArgument;
        }
        if (count == 0) {
            file.document.arrays.erase(path);
        } else {
            file.document.arrays[path].resize(static_cast<size_t>(count));
        }
        return file.Write();
    });
}

int32_t GetArrayItemAt(int32_t handle, const char* key, int32_t index, char* buffer, int32_t bufferSize,
                       int32_t* neededSize) {
    return WithKey(handle, key, false, [&](OpenFile& file, const std::string& path) {
        const auto found = file.document.arrays.find(path);
        if (found == file.document.arrays.end() || index < 0 ||
            static_cast<size_t>(index) >= found->second.size()) {
            return kIniInvalidArgument;
        }
        return CopyOut(found->second[static_cast<size_t>(index)], buffer, bufferSize, neededSize, kIniOk);
    });
}

int32_t SetArrayItemAt(int32_t handle, const char* key, int32_t index, const char* value) {
    if (value == nullptr) {
        return kIniInvalidArgument;
    }
    return WithKey(handle, key, false, [&](OpenFile& file, const std::string& path) {
        const auto found = file.document.arrays.find(path);
        const size_t size = found == file.document.arrays.end() ? 0 : found->second.size();
        if (index < 0 || static_cast<size_t>(index) > size || static_cast<size_t>(index) >= kMaxArrayItems) {
            return kIniInvalidArgument;
        }
        std::vector<std::string>& items = file.document.arrays[path];
        if (static_cast<size_t>(index) == size) {
            items.emplace_back(value);
        } else {
            items[static_cast<size_t>(index)] = value;
        }
        return file.Write();
    });
}

int32_t RemoveArrayItemAt(int32_t handle, const char* key, int32_t index) {
    return WithKey(handle, key, false, [&](OpenFile& file, const std::string& path) {
        const auto found = file.document.arrays.find(path);
        if (found == file.document.arrays.end() || index < 0 ||
            static_cast<size_t>(index) >= found->second.size()) {
            return kIniInvalidArgument;
        }
        found->second.erase(found->second.begin() + index);
        if (found->second.empty()) {
            file.document.arrays.erase(found);
        }
        return file.Write();
    });
}
