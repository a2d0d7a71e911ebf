#pragma once

#include <cstdint>

#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

namespace QV {

// What the editor's controls ask of the device engine: its first id, values written and read,
// the defaults, device polling and the device list. The application's engine
// (GetRootModuleEngine) answers unless another engine was installed: tests install one that
// records what the editor asks of it. Results are the engine's; E_FAIL while there is no engine.
// User-interface thread.
class IEditorEngine {
public:
    virtual ~IEditorEngine() = default;

    virtual int32_t GetFirstParamID() = 0;
    virtual int32_t SetParamValue(const ParamDescriptor& descriptor, const Variant& value) = 0;
    virtual int32_t GetParamValues(const ParamRange& range, Array<ParamValue>& out, int32_t startIndex) = 0;
    virtual int32_t GetParamValueDefaults(const ParamRange& range, Array<ParamValue>& out,
                                          int32_t startIndex) = 0;
    virtual int32_t Enable(bool on) = 0;
    virtual int32_t GetDeviceList(Array<Variant>& out) = 0;
};

// The installed engine, else the application's.
IEditorEngine& GetEditorEngine();
// Installs engine (not owned; null puts the application's back) and returns the one installed
// before (null for the application's).
IEditorEngine* SetEditorEngine(IEditorEngine* engine);

}  // namespace QV
