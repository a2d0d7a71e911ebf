#include "Platform/IniFileManager.h"

#include <memory>
#include <new>

#include "Platform/DynamicLibrary.h"
#include "Platform/IniFileManager/IniFileManagerExports.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

using QV::E_FAIL;
using QV::NString;
using QV::WString;
using namespace Platform::IniFile;

namespace {

constexpr int32_t kFirstBufferSize = 1024;
constexpr int32_t kMaxBufferSize = 64 << 20;
constexpr char kLibraryName[] = "libIniFileManager.so";

// Strict conversion: a text with an unpaired surrogate has no UTF-8 form, and the library is
// not called with a mangled key or value.
bool IniToUtf8(const WString& text, NString& utf8) {
    const char16_t* units = text.GetString();
    const int32_t length = text.GetLength();
    for (int32_t i = 0; i < length; ++i) {
        const char16_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 >= length || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) {
                return false;
            }
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
    }
    utf8 = text.ToUTF8();
    return true;
}

}  // namespace

// Binds the library's fifteen entry points and converts between the system's wide texts and
// the library's UTF-8. Not reference-counted: owned by one LIniFileManager.
class CIniFileManagerProxy {
public:
    ~CIniFileManagerProxy() {
        if (mLibrary.IsLoaded()) {
            Uninitialize();
        }
    }

    int32_t Initialize(const WString& folder) {
        if (mLibrary.IsLoaded()) {
            return 1;
        }
        WString path = folder;
        if (!path.IsEmpty() && path.GetString()[path.GetLength() - 1] != u'/') {
            path += u'/';
        }
        path += WString(kLibraryName);
        if (mLibrary.Load(path) != QV::S_OK) {
            return E_FAIL;
        }
        mOpenIniFile = mLibrary.GetFunction<OpenIniFileFn>("OpenIniFile");
        mWriteIniFile = mLibrary.GetFunction<WriteIniFileFn>("WriteIniFile");
        mCloseIniFile = mLibrary.GetFunction<CloseIniFileFn>("CloseIniFile");
        mDoesNodeExist = mLibrary.GetFunction<DoesNodeExistFn>("DoesNodeExist");
        mGetIniValueInt = mLibrary.GetFunction<GetIniValueIntFn>("GetIniValueInt");
        mSetIniValueInt = mLibrary.GetFunction<SetIniValueIntFn>("SetIniValueInt");
        mGetIniValueStr = mLibrary.GetFunction<GetIniValueStrFn>("GetIniValueStr");
        mSetIniValueStr = mLibrary.GetFunction<SetIniValueStrFn>("SetIniValueStr");
        mGetKeyCount = mLibrary.GetFunction<GetKeyCountFn>("GetKeyCount");
        mGetKeyNameAt = mLibrary.GetFunction<GetKeyNameAtFn>("GetKeyNameAt");
        mGetArrayCount = mLibrary.GetFunction<GetArrayCountFn>("GetArrayCount");
        mSetArrayCount = mLibrary.GetFunction<SetArrayCountFn>("SetArrayCount");
        mGetArrayItemAt = mLibrary.GetFunction<GetArrayItemAtFn>("GetArrayItemAt");
        mSetArrayItemAt = mLibrary.GetFunction<SetArrayItemAtFn>("SetArrayItemAt");
        mRemoveArrayItemAt = mLibrary.GetFunction<RemoveArrayItemAtFn>("RemoveArrayItemAt");
        const bool complete = mOpenIniFile && mWriteIniFile && mCloseIniFile && mDoesNodeExist &&
                              mGetIniValueInt && mSetIniValueInt && mGetIniValueStr && mSetIniValueStr &&
                              mGetKeyCount && mGetKeyNameAt && mGetArrayCount && mSetArrayCount &&
                              mGetArrayItemAt && mSetArrayItemAt && mRemoveArrayItemAt;
        return complete ? QV::S_OK : E_FAIL;
    }

    int32_t Uninitialize() {
        if (!mLibrary.IsLoaded()) {
            return 1;
        }
        const int32_t result = mLibrary.Unload();
        mOpenIniFile = nullptr;
        mWriteIniFile = nullptr;
        mCloseIniFile = nullptr;
        mDoesNodeExist = nullptr;
        mGetIniValueInt = nullptr;
        mSetIniValueInt = nullptr;
        mGetIniValueStr = nullptr;
        mSetIniValueStr = nullptr;
        mGetKeyCount = nullptr;
        mGetKeyNameAt = nullptr;
        mGetArrayCount = nullptr;
        mSetArrayCount = nullptr;
        mGetArrayItemAt = nullptr;
        mSetArrayItemAt = nullptr;
        mRemoveArrayItemAt = nullptr;
        return result == QV::S_OK ? QV::S_OK : E_FAIL;
    }

    int32_t OpenIniFile(const WString& path, const WString& version, const WString& product,
                        int32_t& handle) {
        handle = 0;
        NString path8, version8, product8;
        if (mOpenIniFile == nullptr || !IniToUtf8(path, path8) || !IniToUtf8(version, version8) ||
            !IniToUtf8(product, product8)) {
            return E_FAIL;
        }
        return mOpenIniFile(path8.GetString(), version8.GetString(), product8.GetString(), &handle);
    }

    int32_t WriteIniFile(int32_t handle) { return mWriteIniFile != nullptr ? mWriteIniFile(handle) : E_FAIL; }

    bool DoesNodeExist(int32_t handle, const WString& key) {
        NString key8;
        return mDoesNodeExist != nullptr && IniToUtf8(key, key8) &&
               mDoesNodeExist(handle, key8.GetString()) != 0;
    }

    int32_t CloseIniFile(int32_t handle, int32_t flag) {
        return mCloseIniFile != nullptr ? mCloseIniFile(handle, flag) : E_FAIL;
    }

    int32_t GetIniValueInt(int32_t handle, const WString& key, int32_t defaultValue, int32_t& value) {
        value = defaultValue;
        NString key8;
        if (mGetIniValueInt == nullptr || !IniToUtf8(key, key8)) {
            return E_FAIL;
        }
        return mGetIniValueInt(handle, key8.GetString(), defaultValue, &value);
    }

    int32_t SetIniValueInt(int32_t handle, const WString& key, int32_t value) {
        NString key8;
        if (mSetIniValueInt == nullptr || !IniToUtf8(key, key8)) {
            return E_FAIL;
        }
        return mSetIniValueInt(handle, key8.GetString(), value);
    }

    int32_t GetIniValueStr(int32_t handle, const WString& key, const WString& defaultValue, WString& value) {
        value = defaultValue;
        NString key8, default8;
        if (mGetIniValueStr == nullptr || !IniToUtf8(key, key8) || !IniToUtf8(defaultValue, default8)) {
            return E_FAIL;
        }
        const auto call = mGetIniValueStr;
        return QV::ReadIniText(
            [&](char* buffer, int32_t size, int32_t* needed) {
                return call(handle, key8.GetString(), default8.GetString(), buffer, size, needed);
            },
            value);
    }

    int32_t SetIniValueStr(int32_t handle, const WString& key, const WString& value) {
        NString key8, value8;
        if (mSetIniValueStr == nullptr || !IniToUtf8(key, key8) || !IniToUtf8(value, value8)) {
            return E_FAIL;
        }
        return mSetIniValueStr(handle, key8.GetString(), value8.GetString());
    }

    int32_t GetKeyCount(int32_t handle, const WString& key, int32_t& count) {
        count = 0;
        NString key8;
        if (mGetKeyCount == nullptr || !IniToUtf8(key, key8)) {
            return E_FAIL;
        }
        return mGetKeyCount(handle, key8.GetString(), &count);
    }

    int32_t GetKeyNameAt(int32_t handle, const WString& key, int32_t index, WString& name) {
        name.Empty();
        NString key8;
        if (mGetKeyNameAt == nullptr || !IniToUtf8(key, key8)) {
            return E_FAIL;
        }
        const auto call = mGetKeyNameAt;
        return QV::ReadIniText(
            [&](char* buffer, int32_t size, int32_t* needed) {
                return call(handle, key8.GetString(), index, buffer, size, needed);
            },
            name);
    }

    int32_t GetArrayCount(int32_t handle, const WString& key, int32_t& count) {
        count = 0;
        NString key8;
        if (mGetArrayCount == nullptr || !IniToUtf8(key, key8)) {
            return E_FAIL;
        }
        return mGetArrayCount(handle, key8.GetString(), &count);
    }

    int32_t SetArrayCount(int32_t handle, const WString& key, int32_t count) {
        NString key8;
        if (mSetArrayCount == nullptr || !IniToUtf8(key, key8)) {
            return E_FAIL;
        }
        return mSetArrayCount(handle, key8.GetString(), count);
    }

    int32_t GetArrayItemAt(int32_t handle, const WString& key, int32_t index, WString& item) {
        item.Empty();
        NString key8;
        if (mGetArrayItemAt == nullptr || !IniToUtf8(key, key8)) {
            return E_FAIL;
        }
        const auto call = mGetArrayItemAt;
        return QV::ReadIniText(
            [&](char* buffer, int32_t size, int32_t* needed) {
                return call(handle, key8.GetString(), index, buffer, size, needed);
            },
            item);
    }

    int32_t SetArrayItemAt(int32_t handle, const WString& key, int32_t index, const WString& item) {
        NString key8, item8;
        if (mSetArrayItemAt == nullptr || !IniToUtf8(key, key8) || !IniToUtf8(item, item8)) {
            return E_FAIL;
        }
        return mSetArrayItemAt(handle, key8.GetString(), index, item8.GetString());
    }

    int32_t RemoveArrayItemAt(int32_t handle, const WString& key, int32_t index) {
        NString key8;
        if (mRemoveArrayItemAt == nullptr || !IniToUtf8(key, key8)) {
            return E_FAIL;
        }
        return mRemoveArrayItemAt(handle, key8.GetString(), index);
    }

private:
    OpenIniFileFn mOpenIniFile = nullptr;
    WriteIniFileFn mWriteIniFile = nullptr;
    CloseIniFileFn mCloseIniFile = nullptr;
    DoesNodeExistFn mDoesNodeExist = nullptr;
    GetIniValueIntFn mGetIniValueInt = nullptr;
    SetIniValueIntFn mSetIniValueInt = nullptr;
    GetIniValueStrFn mGetIniValueStr = nullptr;
    SetIniValueStrFn mSetIniValueStr = nullptr;
    GetKeyCountFn mGetKeyCount = nullptr;
    GetKeyNameAtFn mGetKeyNameAt = nullptr;
    GetArrayCountFn mGetArrayCount = nullptr;
    SetArrayCountFn mSetArrayCount = nullptr;
    GetArrayItemAtFn mGetArrayItemAt = nullptr;
    SetArrayItemAtFn mSetArrayItemAt = nullptr;
    RemoveArrayItemAtFn mRemoveArrayItemAt = nullptr;
    Platform::DynamicLibrary mLibrary;
};

namespace QV {

int32_t ReadIniText(const IniTextCall& call, WString& out) {
    char first[kFirstBufferSize];
    first[0] = 0;
    int32_t needed = 0;
    int32_t result = call(first, kFirstBufferSize, &needed);
    if (result == 0) {
        first[kFirstBufferSize - 1] = 0;
        out = WString(first);
        return result;
    }
    if (result != -2) {
        return result;
    }
    // A size that is not above the first buffer cannot be right, and a huge one is not worth
    // an allocation: both keep the default.
    if (needed <= kFirstBufferSize || needed > kMaxBufferSize) {
        return E_FAIL;
    }
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(needed)]);
    if (!buffer) {
        return E_FAIL;
    }
    buffer[0] = 0;
    int32_t neededAgain = 0;
    result = call(buffer.get(), needed, &neededAgain);
    buffer[static_cast<size_t>(needed) - 1] = 0;
    if (result == 0) {
        out = WString(buffer.get());
    }
    return result;
}

RCPtr<LIniFileManager> LIniFileManager::Create() {
    return RCPtr<LIniFileManager>(new LIniFileManager());
}

LIniFileManager::LIniFileManager() : mProxy(std::make_unique<CIniFileManagerProxy>()) {}

LIniFileManager::~LIniFileManager() = default;

int32_t LIniFileManager::Initialize(const WString& folder) {
    return mProxy->Initialize(folder);
}

int32_t LIniFileManager::Uninitialize() {
    return mProxy->Uninitialize();
}

int32_t LIniFileManager::OpenIniFile(const WString& path, const WString& version, const WString& product,
                                     int32_t& handle) {
    return mProxy->OpenIniFile(path, version, product, handle);
}

int32_t LIniFileManager::WriteIniFile(int32_t handle) {
    return mProxy->WriteIniFile(handle);
}

bool LIniFileManager::DoesNodeExist(int32_t handle, const WString& key) {
    return mProxy->DoesNodeExist(handle, key);
}

int32_t LIniFileManager::CloseIniFile(int32_t handle, int32_t flag) {
    return mProxy->CloseIniFile(handle, flag);
}

int32_t LIniFileManager::GetIniValueInt(int32_t handle, const WString& key, int32_t defaultValue,
                                        int32_t& value) {
    return mProxy->GetIniValueInt(handle, key, defaultValue, value);
}

int32_t LIniFileManager::SetIniValueInt(int32_t handle, const WString& key, int32_t value) {
    return mProxy->SetIniValueInt(handle, key, value);
}

int32_t LIniFileManager::GetIniValueStr(int32_t handle, const WString& key, const WString& defaultValue,
                                        WString& value) {
    return mProxy->GetIniValueStr(handle, key, defaultValue, value);
}

int32_t LIniFileManager::SetIniValueStr(int32_t handle, const WString& key, const WString& value) {
    return mProxy->SetIniValueStr(handle, key, value);
}

int32_t LIniFileManager::GetKeyCount(int32_t handle, const WString& key, int32_t& count) {
    return mProxy->GetKeyCount(handle, key, count);
}

int32_t LIniFileManager::GetKeyNameAt(int32_t handle, const WString& key, int32_t index, WString& name) {
    return mProxy->GetKeyNameAt(handle, key, index, name);
}

int32_t LIniFileManager::GetArrayCount(int32_t handle, const WString& key, int32_t& count) {
    return mProxy->GetArrayCount(handle, key, count);
}

int32_t LIniFileManager::SetArrayCount(int32_t handle, const WString& key, int32_t count) {
    return mProxy->SetArrayCount(handle, key, count);
}

int32_t LIniFileManager::GetArrayItemAt(int32_t handle, const WString& key, int32_t index, WString& item) {
    return mProxy->GetArrayItemAt(handle, key, index, item);
}

int32_t LIniFileManager::SetArrayItemAt(int32_t handle, const WString& key, int32_t index,
                                        const WString& item) {
    return mProxy->SetArrayItemAt(handle, key, index, item);
}

int32_t LIniFileManager::RemoveArrayItemAt(int32_t handle, const WString& key, int32_t index) {
    return mProxy->RemoveArrayItemAt(handle, key, index);
}

}  // namespace QV
