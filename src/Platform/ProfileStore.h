#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace Platform {

// The program's profile, in place of the registry: byte strings by section and entry name in
// one small text file (a "[section]" line, then "entry=hex digits" lines). The file is read at
// every call, so nothing is cached; every write replaces it atomically, so a failed write
// leaves the old file whole and is reported. Lines that cannot be read are skipped (and left out
// of the next write).
// Used on the user-interface thread.
class ProfileStore {
public:
    // The entry of the main window's placement, in the section named after its window class.
    static constexpr char16_t kWindowPlacementEntry[] = u"WP";

    explicit ProfileStore(const QV::WString& path) : mPath(path) {}

    const QV::WString& GetPath() const { return mPath; }

    // True with the bytes when the entry exists and holds a well-formed byte string.
    bool GetProfileBinary(const QV::WString& section, const QV::WString& entry,
                          std::vector<uint8_t>& bytes) const;
    // Creates the file's folder when needed. S_OK; E_INVALIDARG for an empty name, a name with
    // "[", "]", "=" or a line break, or an entry name starting with ";" or "#"; E_FAIL when the
    // file could not be written.
    int32_t WriteProfileBinary(const QV::WString& section, const QV::WString& entry, const void* data,
                               uint32_t size);

private:
    QV::WString mPath;
};

}  // namespace Platform
