#include "UI/DriverCommon/EditorEngine.h"

#include "Engine/PresetEditorCommon/RootModuleEngine.h"

namespace QV {

namespace {

// The application's engine, looked up at every call: it is made at start-up and let go at the
// end.
class ApplicationEngine : public IEditorEngine {
public:
    int32_t GetFirstParamID() override {
        const RCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
        return engine ? engine->GetFirstParamID() : 0;
    }
    int32_t SetParamValue(const ParamDescriptor& descriptor, const Variant& value) override {
        const RCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
        return engine ? engine->SetParamValue(descriptor, value) : E_FAIL;
    }
    int32_t GetParamValues(const ParamRange& range, Array<ParamValue>& out, int32_t startIndex) override {
        const RCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
        return engine ? engine->GetParamValues(range, out, startIndex) : E_FAIL;
    }
    int32_t GetParamValueDefaults(const ParamRange& range, Array<ParamValue>& out,
                                  int32_t startIndex) override {
        const RCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
        return engine ? engine->GetParamValueDefaults(range, out, startIndex) : E_FAIL;
    }
    int32_t Enable(bool on) override {
        const RCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
        return engine ? engine->Enable(on) : E_FAIL;
    }
    int32_t GetDeviceList(Array<Variant>& out) override {
        const RCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
        return engine ? engine->GetDeviceList(out) : E_FAIL;
    }
};

IEditorEngine*& InstalledEngine() {
    static IEditorEngine* installed = nullptr;
    return installed;
}

}  // namespace

IEditorEngine& GetEditorEngine() {
    static ApplicationEngine* const application = new ApplicationEngine();
    IEditorEngine* installed = InstalledEngine();
    return installed != nullptr ? *installed : *application;
}

IEditorEngine* SetEditorEngine(IEditorEngine* engine) {
    IEditorEngine* previous = InstalledEngine();
    InstalledEngine() = engine;
    return previous;
}

}  // namespace QV
