#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The system's file calls behind QV::File: byte paths (UTF-8), descriptors as ints, interrupted
// calls retried.

namespace Platform {

// Opens a file for reading, or reading and writing; create makes it when missing (readable and
// writable by its owner), exclusive with create fails when it exists. A folder is never opened.
// The descriptor, or -1.
int OpenFile(const char* path, bool write, bool create, bool exclusive);
void CloseFile(int descriptor);
void RemoveFile(const char* path);

// Moves to offset from the start (origin 0), the current position (1) or the end (2); the new
// position, or -1.
int64_t SeekFile(int descriptor, int64_t offset, int origin);
// Reads or writes at most length bytes at the current position: the count (0 at the end for a
// read), or -1.
int64_t ReadFile(int descriptor, void* buffer, uint32_t length);
int64_t WriteFile(int descriptor, const void* buffer, uint32_t length);
// The file's length, or -1.
int64_t GetFileLength(int descriptor);

enum class PathKind { kMissing, kFile, kFolder };
// What is at a path (links count as what they point to; one whose status cannot be read is
// missing).
PathKind GetPathKind(const char* path);
// Makes one folder; failures (such as one that is there) are left to the caller to find.
void MakeFolder(const char* path);
// Whether anything is at the path, a dangling link included.
bool PathExists(const char* path);

enum class FolderListing { kNotOpened, kComplete, kIncomplete };
// The names of a folder's entries that wanted accepts and that are not folders (links count as
// what they point to; an entry whose status cannot be read is listed), in the folder's order.
// kIncomplete when reading the folder failed part way (the names so far are kept).
FolderListing ListFolderFiles(const char* path, const std::function<bool(const char* name)>& wanted,
                              std::vector<std::string>& names);

}  // namespace Platform
