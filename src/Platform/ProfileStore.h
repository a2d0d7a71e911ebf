#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace Platform {

// The program's profile, in place of the registry: byte strings by section and entry name in
// one small text file (a "[section]" line, then "entry=hex digits" lines). The file is read at
// every call, so nothing is cached; every write replaces it atomically, so a failed write
// leaves the old file whole and is reported. Lines that cannot be read are skipped (and left out
// of the next write). A file that exists but cannot be read (no permission, not a regular file)
// is never replaced: the entries in it would be lost for good.
// Used on the user-interface thread.
class ProfileStore {
public:
    // The entry of the main window's placement, in the section named after its window class.
    static constexpr char16_t kWindowPlacementEntry[] = u"WP";

    explicit ProfileStore(const QV::WString& path) : mPath(path) {}

    const QV::WString& GetPath() const { return mPath; }

    // True with the bytes when the entry exists and holds a well-formed byte string. False for a
    // missing entry or file; false with GetLastError set when the file exists but cannot be read.
    bool GetProfileBinary(const QV::WString& section, const QV::WString& entry,
                          std::vector<uint8_t>& bytes) const;
    // Creates the file's folder when needed. S_OK; E_INVALIDARG for an empty name, a name with
    // "[", "]", "=" or a line break, or an entry name starting with ";" or "#"; E_FAIL, with
    // GetLastError set, when the file could not be written or exists but could not be read (it
    // is then left as it is).
    int32_t WriteProfileBinary(const QV::WString& section, const QV::WString& entry, const void* data,
                               uint32_t size);

    // Why the last call failed on the file, as the system says it ("Permission denied"); empty
    // after a call that met no such failure.
    const std::string& GetLastError() const { return mLastError; }
    // Whether the last call failed because the file exists but cannot be read.
    bool IsUnreadable() const { return mUnreadable; }

private:
    QV::WString mPath;
    mutable std::string mLastError;
    mutable bool mUnreadable = false;
};

}  // namespace Platform
