#pragma once

#include <cstdint>

// The entry points of the settings library, libIniFileManager.so. Strings are zero-terminated
// UTF-8. A key is a path of names separated by "/" (or "\"); "" names the root where a key may
// have children. Files are identified by handles above 0.
//
// Results: kIniOk, or one of the values below. Operations that copy a text into the caller's
// buffer store the size it needs (zero included) at the needed-size address and give
// kIniBufferTooSmall when it does not fit; the text copied is the value, or the default when
// the key has no value.
namespace Platform::IniFile {

constexpr int32_t kIniOk = 0;
constexpr int32_t kIniNotFound = 1;          // no such value: the default was given
constexpr int32_t kIniInvalidArgument = -1;  // null pointer, unknown handle, bad key or index
constexpr int32_t kIniBufferTooSmall = -2;
constexpr int32_t kIniWriteFailed = -3;  // the change is kept in memory, the file was not replaced
constexpr int32_t kIniOpenFailed = -4;   // the file could not be read or created
constexpr int32_t kIniNotANumber = -5;   // the value is not a decimal 32-bit integer

}  // namespace Platform::IniFile

#define QV_INI_EXPORT extern "C" __attribute__((visibility("default")))

// Opens (creating it when missing) or shares an open file. The version and product texts are
// written into the file's header line.
QV_INI_EXPORT int32_t OpenIniFile(const char* path, const char* version, const char* product,
                                  int32_t* handle);
// Writes the file now (values are already written at every change).
QV_INI_EXPORT int32_t WriteIniFile(int32_t handle);
// Gives the handle back; a non-zero flag first writes a file whose last write failed.
QV_INI_EXPORT int32_t CloseIniFile(int32_t handle, int32_t flag);
// 1 when key has a value, an array or children, else 0.
QV_INI_EXPORT int32_t DoesNodeExist(int32_t handle, const char* key);
QV_INI_EXPORT int32_t GetIniValueInt(int32_t handle, const char* key, int32_t defaultValue, int32_t* value);
QV_INI_EXPORT int32_t SetIniValueInt(int32_t handle, const char* key, int32_t value);
QV_INI_EXPORT int32_t GetIniValueStr(int32_t handle, const char* key, const char* defaultValue, char* buffer,
                                     int32_t bufferSize, int32_t* neededSize);
QV_INI_EXPORT int32_t SetIniValueStr(int32_t handle, const char* key, const char* value);
// Names of the children of key, in ordinal order.
QV_INI_EXPORT int32_t GetKeyCount(int32_t handle, const char* key, int32_t* count);
QV_INI_EXPORT int32_t GetKeyNameAt(int32_t handle, const char* key, int32_t index, char* buffer,
                                   int32_t bufferSize, int32_t* neededSize);
// A key may hold a list of texts beside its value; new items are empty.
QV_INI_EXPORT int32_t GetArrayCount(int32_t handle, const char* key, int32_t* count);
QV_INI_EXPORT int32_t SetArrayCount(int32_t handle, const char* key, int32_t count);
QV_INI_EXPORT int32_t GetArrayItemAt(int32_t handle, const char* key, int32_t index, char* buffer,
                                     int32_t bufferSize, int32_t* neededSize);
// An index equal to the count appends.
QV_INI_EXPORT int32_t SetArrayItemAt(int32_t handle, const char* key, int32_t index, const char* value);
QV_INI_EXPORT int32_t RemoveArrayItemAt(int32_t handle, const char* key, int32_t index);

// Types of the entry points, for run-time lookup.
namespace Platform::IniFile {

using OpenIniFileFn = int32_t (*)(const char*, const char*, const char*, int32_t*);
using WriteIniFileFn = int32_t (*)(int32_t);
using CloseIniFileFn = int32_t (*)(int32_t, int32_t);
using DoesNodeExistFn = int32_t (*)(int32_t, const char*);
using GetIniValueIntFn = int32_t (*)(int32_t, const char*, int32_t, int32_t*);
using SetIniValueIntFn = int32_t (*)(int32_t, const char*, int32_t);
using GetIniValueStrFn = int32_t (*)(int32_t, const char*, const char*, char*, int32_t, int32_t*);
using SetIniValueStrFn = int32_t (*)(int32_t, const char*, const char*);
using GetKeyCountFn = int32_t (*)(int32_t, const char*, int32_t*);
using GetKeyNameAtFn = int32_t (*)(int32_t, const char*, int32_t, char*, int32_t, int32_t*);
using GetArrayCountFn = int32_t (*)(int32_t, const char*, int32_t*);
using SetArrayCountFn = int32_t (*)(int32_t, const char*, int32_t);
using GetArrayItemAtFn = int32_t (*)(int32_t, const char*, int32_t, char*, int32_t, int32_t*);
using SetArrayItemAtFn = int32_t (*)(int32_t, const char*, int32_t, const char*);
using RemoveArrayItemAtFn = int32_t (*)(int32_t, const char*, int32_t);

}  // namespace Platform::IniFile
