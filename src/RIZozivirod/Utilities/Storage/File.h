#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/Holder.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/StringArrayT.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// One file opened by path, read and written in blocks at an offset or at the current
// position. Opening reports a result code; failures of reading, writing and measuring raise
// runtime errors, also on a File that is not open. A File is used by one thread at a time.
//
// Copies share the descriptor: it is closed (and the file deleted on close, when asked) by
// whichever copy closes last. Offsets and lengths are 32-bit.
class File {
public:
    static constexpr uint32_t kRead = 0x10000;
    static constexpr uint32_t kWrite = 0x20000;
    static constexpr uint32_t kExclusive = 0x40000;  // with kCreate only
    static constexpr uint32_t kCreate = 0x80000;
    static constexpr uint32_t kDeleteOnClose = 0x100000;

    // The path separator of this system.
    static constexpr WChar kSeparator = u'/';

    // Opens like Open; the result is not kept (see IsOpen).
    File(const WString& pathOrFolder, const WString& name, uint32_t flags);
    File(const File& other) = default;
    File& operator=(const File&) = delete;
    virtual ~File();

    // With a name: opens folder + separator + name; else the first text as it is. S_OK, S_FALSE
    // when already open (nothing changes), E_FAIL when the system refused the open.
    virtual int32_t Open(const WString& pathOrFolder, const WString& name, uint32_t flags);
    // Closes the descriptor unless another copy still shares it. Always S_OK.
    virtual int32_t Close();
    // Offset -1: at the current position; otherwise from the start of the file. Returns the
    // bytes transferred, 0 at the end of the file.
    virtual int32_t Read(void* buffer, uint32_t length, int32_t offset);
    virtual int32_t Write(const void* buffer, uint32_t length, int32_t offset);
    // Origin 0 start, 1 current, 2 end. The new position, or -1 on failure.
    virtual int32_t Seek(int32_t offset, int32_t origin);
    int32_t GetLength();
    bool IsOpen() const { return static_cast<bool>(mDescriptor); }

    // True for an existing entry that is not a directory.
    static bool FileExists(const WString& path);
    // One trailing separator is ignored, except on the root itself.
    static bool DirectoryExists(const WString& path);
    // S_FALSE when the directory exists, E_FAIL when a file has that path or the chain could
    // not be made, S_OK once it was made.
    static int32_t EnsureDirectory(const WString& path);
    // Creates every directory of the chain ("/" or "\" between levels); with pathNamesFile the
    // last component is not created. True when the result exists.
    static bool CreateDirectories(const WString& path, bool pathNamesFile);
    // Paths have no short forms here: the path as it is.
    static WString GetLongPath(const WString& path);
    // Replaces the array with folder + separator + name of every file (directories left out)
    // whose name matches pattern ("*" and "?", letters of either case), in ordinal order.
    // The count, E_NOTIMPL for a missing folder, E_FAIL when the listing broke off.
    static int32_t ListDirectory(const WString& folder, const WString& pattern, WStringArray& files);
    // Saves a file the user cares about: replaces the file at path with the bytes through a
    // temporary file in the same folder, flushed and renamed over it. S_OK; E_FAIL when it could
    // not be written, the old file then left as it was. A replaced file keeps its permissions, a
    // new one is its owner's only.
    static int32_t WriteAtomically(const WString& path, const void* data, uint32_t length);
    // The text with each of \ / : * ? " < > | & ; , ^ ( ) replaced by "_".
    static WString MakeValidFileName(const WString& text);
    // The text before the last separator, the whole text without one.
    static WString GetDirectoryName(const WString& path);
    // The text after the last "/" or "\"; the whole text without one or when it ends the text.
    static WString GetFileName(const WString& path);

private:
    int Descriptor() const;

    ConstRCPtr<LHolder<int>> mDescriptor;
    WString mName;
    WString mPath;
    uint32_t mFlags = 0;
};

}  // namespace QV
