#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

class CIniFileManagerProxy;

namespace QV {

// The settings store: settings files read and written through the settings library,
// libIniFileManager.so, loaded at run time. Every operation after Initialize answers E_FAIL
// (false for DoesNodeExist) without calling anything when the library or its entry point is
// missing; out arguments are set first (to the default, 0 or empty) and keep that value unless
// the library answers with success. Used on the user-interface thread only.
class IIniFileManager : public virtual LRefCountedObject {
public:
    // Loads folder + "/" + "libIniFileManager.so"; an empty folder loads by bare name (the
    // program's folder first). 0, 1 when already loaded, E_FAIL when the library or one of its
    // entry points is missing (the library then stays loaded).
    virtual int32_t Initialize(const WString& folder) = 0;
    // 1 when not loaded, else 0 or E_FAIL from closing the library.
    virtual int32_t Uninitialize() = 0;
    virtual int32_t OpenIniFile(const WString& path, const WString& version, const WString& product,
                                int32_t& handle) = 0;
    virtual int32_t WriteIniFile(int32_t handle) = 0;
    virtual bool DoesNodeExist(int32_t handle, const WString& key) = 0;
    virtual int32_t CloseIniFile(int32_t handle, int32_t flag) = 0;
    virtual int32_t GetIniValueInt(int32_t handle, const WString& key, int32_t defaultValue,
                                   int32_t& value) = 0;
    virtual int32_t SetIniValueInt(int32_t handle, const WString& key, int32_t value) = 0;
    virtual int32_t GetIniValueStr(int32_t handle, const WString& key, const WString& defaultValue,
                                   WString& value) = 0;
    virtual int32_t SetIniValueStr(int32_t handle, const WString& key, const WString& value) = 0;
    virtual int32_t GetKeyCount(int32_t handle, const WString& key, int32_t& count) = 0;
    virtual int32_t GetKeyNameAt(int32_t handle, const WString& key, int32_t index, WString& name) = 0;
    virtual int32_t GetArrayCount(int32_t handle, const WString& key, int32_t& count) = 0;
    virtual int32_t SetArrayCount(int32_t handle, const WString& key, int32_t count) = 0;
    virtual int32_t GetArrayItemAt(int32_t handle, const WString& key, int32_t index, WString& item) = 0;
    virtual int32_t SetArrayItemAt(int32_t handle, const WString& key, int32_t index,
                                   const WString& item) = 0;
    virtual int32_t RemoveArrayItemAt(int32_t handle, const WString& key, int32_t index) = 0;
};

// The settings store over the library; its work is done by the proxy it owns.
class LIniFileManager : public IIniFileManager {
public:
    static RCPtr<LIniFileManager> Create();
    ~LIniFileManager() override;

    int32_t Initialize(const WString& folder) override;
    int32_t Uninitialize() override;
    int32_t OpenIniFile(const WString& path, const WString& version, const WString& product,
                        int32_t& handle) override;
    int32_t WriteIniFile(int32_t handle) override;
    bool DoesNodeExist(int32_t handle, const WString& key) override;
    int32_t CloseIniFile(int32_t handle, int32_t flag) override;
    int32_t GetIniValueInt(int32_t handle, const WString& key, int32_t defaultValue, int32_t& value) override;
    int32_t SetIniValueInt(int32_t handle, const WString& key, int32_t value) override;
    int32_t GetIniValueStr(int32_t handle, const WString& key, const WString& defaultValue,
                           WString& value) override;
    int32_t SetIniValueStr(int32_t handle, const WString& key, const WString& value) override;
    int32_t GetKeyCount(int32_t handle, const WString& key, int32_t& count) override;
    int32_t GetKeyNameAt(int32_t handle, const WString& key, int32_t index, WString& name) override;
    int32_t GetArrayCount(int32_t handle, const WString& key, int32_t& count) override;
    int32_t SetArrayCount(int32_t handle, const WString& key, int32_t count) override;
    int32_t GetArrayItemAt(int32_t handle, const WString& key, int32_t index, WString& item) override;
    int32_t SetArrayItemAt(int32_t handle, const WString& key, int32_t index, const WString& item) override;
    int32_t RemoveArrayItemAt(int32_t handle, const WString& key, int32_t index) override;

private:
    LIniFileManager();

    std::unique_ptr<CIniFileManagerProxy> mProxy;
};

// The library's text protocol, shared by every operation that reads a text: call gets a
// buffer, its size and the needed-size address. A first 1024-byte buffer; on -2 one retry
// with the size the library asked for, which must be above 1024 and at most 64 MiB (else
// E_FAIL). out is replaced only by a text the library answered 0 for; the last answer is
// returned.
using IniTextCall = std::function<int32_t(char* buffer, int32_t bufferSize, int32_t* neededSize)>;
int32_t ReadIniText(const IniTextCall& call, WString& out);

}  // namespace QV
