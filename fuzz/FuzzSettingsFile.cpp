// The settings library's file reader: arbitrary bytes as a settings file, opened through the
// library's entry points, every key, value and list read, written once and read again. What
// was read survives the write unchanged.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Platform/IniFileManager/IniFileManagerExports.h"

namespace {

using namespace Platform::IniFile;

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

struct Contents {
    std::map<std::string, std::string> values;
    std::map<std::string, std::vector<std::string>> arrays;
    std::map<std::string, int32_t> numbers;
    bool operator==(const Contents&) const = default;
};

// A text read into a buffer too small for most texts first, then into one of the size asked.
template <class Read>
bool ReadText(Read read, std::string& text) {
    char small[4] = {};
    int32_t needed = 0;
    int32_t result = read(small, static_cast<int32_t>(sizeof small), &needed);
    if (result == kIniBufferTooSmall) {
        Check(needed > static_cast<int32_t>(sizeof small));
        std::vector<char> buffer(static_cast<size_t>(needed));
        int32_t again = 0;
        result = read(buffer.data(), needed, &again);
        Check(result != kIniBufferTooSmall && again == needed);
        if (result >= 0) {
            text.assign(buffer.data(), static_cast<size_t>(needed - 1));
        }
        return result == kIniOk;
    }
    if (result >= 0) {
        Check(needed >= 1 && needed <= static_cast<int32_t>(sizeof small));
        text.assign(small, static_cast<size_t>(needed - 1));
    }
    return result == kIniOk;
}

void Walk(int32_t handle, const std::string& key, Contents& contents, int depth) {
    Check(DoesNodeExist(handle, key.c_str()) == 1);
    if (!key.empty()) {
        std::string value;
        if (ReadText(
                [&](char* buffer, int32_t size, int32_t* needed) {
                    return GetIniValueStr(handle, key.c_str(), "default", buffer, size, needed);
                },
                value)) {
            contents.values[key] = value;
            int32_t number = 0;
            if (GetIniValueInt(handle, key.c_str(), -1, &number) == kIniOk) {
                contents.numbers[key] = number;
            }
        }
        int32_t items = 0;
        if (GetArrayCount(handle, key.c_str(), &items) == kIniOk) {
            Check(items > 0 && items <= 65536);
            std::vector<std::string>& list = contents.arrays[key];
            for (int32_t i = 0; i < items; ++i) {
                std::string item;
                Check(ReadText(
                    [&](char* buffer, int32_t size, int32_t* needed) {
                        return GetArrayItemAt(handle, key.c_str(), i, buffer, size, needed);
                    },
                    item));
                list.push_back(item);
            }
        }
    }
    if (depth > 64) {
        return;
    }
    int32_t children = 0;
    Check(GetKeyCount(handle, key.c_str(), &children) == kIniOk);
    for (int32_t i = 0; i < children; ++i) {
        std::string name;
        Check(ReadText(
            [&](char* buffer, int32_t size, int32_t* needed) {
                return GetKeyNameAt(handle, key.c_str(), i, buffer, size, needed);
            },
            name));
        // A name with a zero byte or a separator in it cannot be asked for by its text.
        if (name.empty() || name.find('\0') != std::string::npos || name.find('/') != std::string::npos ||
            name.find('\\') != std::string::npos) {
            continue;
        }
        Walk(handle, key.empty() ? name : key + "/" + name, contents, depth + 1);
    }
}

Contents ReadAll(const std::string& path) {
    int32_t handle = 0;
    Check(OpenIniFile(path.c_str(), "1.0", "Fuzz", &handle) == kIniOk && handle > 0);
    Contents contents;
    Walk(handle, "", contents, 0);
    // The one write: what was read goes back to the file.
    Check(WriteIniFile(handle) == kIniOk);
    Check(CloseIniFile(handle, 1) == kIniOk);
    return contents;
}

std::string gFolder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Every input is written and flushed twice: in memory when the machine offers a folder there.
    const char* base = getenv("TMPDIR");
    if (access("/dev/shm", W_OK) == 0) {
        base = "/dev/shm";
    }
    std::string pattern =
        std::string(base != nullptr && base[0] != 0 ? base : "/tmp") + "/FuzzSettingsFile.XXXXXX";
    Check(mkdtemp(pattern.data()) != nullptr);
    gFolder = pattern;
    atexit([] {
        unlink((gFolder + "/settings.ini").c_str());
        rmdir(gFolder.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = gFolder + "/settings.ini";
    FILE* file = fopen(path.c_str(), "wb");
    Check(file != nullptr);
    Check(fwrite(data, 1, size, file) == size);
    Check(fclose(file) == 0);

    const Contents first = ReadAll(path);
    const Contents second = ReadAll(path);
    Check(first == second);
    return 0;
}
