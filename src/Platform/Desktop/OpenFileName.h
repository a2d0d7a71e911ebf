#pragma once

#include <cstdint>

// The open and save dialogs in the shape the framework fills them: a record with a filter
// list, a file buffer of a fixed number of UTF-16 units and flags, answered through the
// desktop shell's file chooser.
//
// The file buffer on return: a chosen path and its zero; for a multiple selection of more than
// one file, the folder, a zero, each file name with its zero, and an empty string; for a
// multiple selection of one file, that file's path alone. An answer that does not fit in the
// buffer (with its zeros) is a failure, reported to the debug output.
namespace Platform {

inline constexpr uint32_t OFN_READONLY = 0x1;
inline constexpr uint32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr uint32_t OFN_HIDEREADONLY = 0x4;
inline constexpr uint32_t OFN_ALLOWMULTISELECT = 0x200;
inline constexpr uint32_t OFN_FILEMUSTEXIST = 0x1000;
inline constexpr uint32_t OFN_EXPLORER = 0x80000;
inline constexpr uint32_t OFN_ENABLESIZING = 0x800000;

struct OpenFileName {
    intptr_t owner = 0;
    // Description and pattern strings ("*.skp;*.syx"), each with its zero, ended by an empty
    // string.
    const char16_t* filter = nullptr;
    // In: the proposed name (save) or nothing; out: the answer. maxFile units, zeros included.
    char16_t* file = nullptr;
    uint32_t maxFile = 0;
    // Out: the chosen file's name without its folder (single choice), when it fits.
    char16_t* fileTitle = nullptr;
    uint32_t maxFileTitle = 0;
    const char16_t* initialFolder = nullptr;
    const char16_t* title = nullptr;
    // Appended with a "." to a saved name that has no extension.
    const char16_t* defaultExtension = nullptr;
    uint32_t flags = 0;
};

// True when the user chose; false when they cancelled or the dialog failed.
bool GetOpenFileName(OpenFileName& record);
bool GetSaveFileName(OpenFileName& record);

}  // namespace Platform
