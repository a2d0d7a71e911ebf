// Runs a fuzz target's checks once over given inputs (files, or folders of files) without
// libFuzzer, so the main build compiles every target and its tests replay the seeds and the kept
// regression inputs, under whatever sanitizers that build uses.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool Replay(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // A copy of exactly the input's size, so reads past its end are caught.
    std::vector<uint8_t> input(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(input.data(), input.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize != nullptr) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path given(argv[i]);
        std::vector<std::filesystem::path> paths;
        if (std::filesystem::is_directory(given)) {
            for (const auto& entry : std::filesystem::directory_iterator(given)) {
                if (entry.is_regular_file()) {
                    paths.push_back(entry.path());
                }
            }
            std::sort(paths.begin(), paths.end());
        } else {
            paths.push_back(given);
        }
        for (const auto& path : paths) {
            if (!Replay(path)) {
                return 1;
            }
            ++count;
        }
    }
    std::printf("%zu inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
