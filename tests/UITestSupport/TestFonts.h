#pragma once

#include <string>

// The fonts of the user-interface tests: fontconfig is pointed at a configuration of its own
// that holds only the fonts bundled under tests/data/fonts (DejaVu Sans, regular and bold), so
// what a test measures or draws never depends on the machine's fonts. Every face name resolves
// to DejaVu Sans there: a name that is not DejaVu Sans falls back to "sans-serif", which is it.
namespace TestSupport {

// Makes the bundled fonts fontconfig's current configuration; once per process, later calls do
// nothing. Call it before the first font is resolved (a fixture's SetUp).
void UseTestFonts();

// The bundled font files.
std::string TestFontPath();
std::string TestBoldFontPath();

// Makes a configuration without any font current for the scope, then the previous one again:
// nothing can be resolved inside.
class ScopedNoFonts {
public:
    ScopedNoFonts();
    ScopedNoFonts(const ScopedNoFonts&) = delete;
    ScopedNoFonts& operator=(const ScopedNoFonts&) = delete;
    ~ScopedNoFonts();

private:
    void* mPrevious;
};

}  // namespace TestSupport
