// UTF-8 to UTF-16 conversion of the strings against glibc's iconv on the same mixed text.
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// About 6 KB of ASCII, accented Latin, CJK and emoji, with the terminating zero converted as the strings do.
const std::string& MixedText() {
    static const std::string text = [] {
        const std::string piece =
            "Preset 12: Warm Pad / Velocity curve 3, aftertouch on. "
            "Caf\xC3\xA9 cr\xC3\xA8me br\xC3\xBBl\xC3\xA9\x65, \xC3\xA0 la fa\xC3\xA7on de Z\xC3\xBCrich. "
            "\xE9\x8D\xB5\xE7\x9B\xA4\xE3\x81\xAE\xE8\xA8\xAD\xE5\xAE\x9A\xE3\x82\x92\xE4\xBF\x9D\xE5\xAD\x98"
            ". "
            "\xF0\x9F\x8E\xB9\xF0\x9F\x8E\xB6\xF0\x9F\x98\x80 done.\n";
        std::string all;
        while (all.size() < 6000)
            all += piece;
        all.push_back('\0');
        return all;
    }();
    return text;
}

void Utf8ToUtf16_QV(benchmark::State& state) {
    const std::string& text = MixedText();
    std::vector<char16_t> out(text.size() + 1);
    for (auto _ : state) {
        const auto result = QV::Text::Utf8ToUtf16(text.data(), text.size(), out.data(), out.size());
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void Utf8ToUtf16_Iconv(benchmark::State& state) {
    const std::string& text = MixedText();
    std::vector<char16_t> out(text.size() + 1);
    iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv_open failed");
        return;
    }
    std::vector<char> source(text.begin(), text.end());
    size_t units = 0;
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = source.data();
        size_t inLeft = source.size();
        char* outPtr = reinterpret_cast<char*>(out.data());
        size_t outLeft = out.size() * sizeof(char16_t);
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        benchmark::DoNotOptimize(rc);
        benchmark::ClobberMemory();
        units = (out.size() * sizeof(char16_t) - outLeft) / sizeof(char16_t);
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));

    // Both must produce the same units, or the comparison means nothing.
    std::vector<char16_t> ours(text.size() + 1);
    const auto result = QV::Text::Utf8ToUtf16(text.data(), text.size(), ours.data(), ours.size());
    if (!result.complete || result.written != units ||
        std::memcmp(ours.data(), out.data(), units * sizeof(char16_t)) != 0) {
        state.SkipWithError("iconv and Utf8ToUtf16 disagree");
    }
}

}  // namespace

BENCHMARK(Utf8ToUtf16_QV);
BENCHMARK(Utf8ToUtf16_Iconv);
