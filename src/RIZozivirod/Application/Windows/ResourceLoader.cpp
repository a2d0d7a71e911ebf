#include "RIZozivirod/Application/Windows/ResourceLoader.h"

#include <malloc.h>
#include <sched.h>

#include <system_error>

namespace QV {

LResourceLoader::LResourceLoader(const WString& applicationName, const WString& base, uint32_t localeId,
                                 Reading reading)
    : mBase(base), mLocaleId(localeId), mFactory(LControlFactory::Create(applicationName)) {
    // The thread's warnings wait for Take.
    mFactory->SetReaderWarningEcho(false);
    if (reading == Reading::kInTake) {
        return;
    }
    try {
        mThread = std::thread([this] { Read(true); });
    } catch (const std::system_error&) {
        // No thread: Take reads in place.
    }
}

LResourceLoader::~LResourceLoader() {
    Wait();
}

void LResourceLoader::Wait() {
    if (mThread.joinable()) {
        mThread.join();
    }
}

void LResourceLoader::Read(bool onThread) {
    try {
        mResult = Load(*mFactory, mBase, mLocaleId);
    } catch (...) {
        mError = std::current_exception();
    }
    mRead = true;
    if (!onThread) {
        return;
    }
    // The reading's freed working memory sits in this thread's own malloc arena, where the main
    // thread never reuses it: it is handed back, so the program's resident memory stays as when
    // the main thread read the documents (read there, it is simply reused).
    malloc_trim(0);
}

RCPtr<LControlFactory> LResourceLoader::Take(int32_t& result, std::exception_ptr& error) {
    Wait();
    if (!mFactory) {
        result = E_FAIL;
        error = nullptr;
        return {};
    }
    if (!mRead) {
        Read(false);
    }
    mFactory->SetReaderWarningEcho(true);
    mFactory->EchoReaderWarnings(0);
    result = mResult;
    error = mError;
    mError = nullptr;
    RCPtr<LControlFactory> factory = mFactory;
    mFactory = nullptr;
    return factory;
}

LResourceLoader::Reading LResourceLoader::ReadingForThisProcess() {
    cpu_set_t processors;
    CPU_ZERO(&processors);
    if (sched_getaffinity(0, sizeof(processors), &processors) != 0) {
        return Reading::kOnThread;
    }
    return CPU_COUNT(&processors) > 1 ? Reading::kOnThread : Reading::kInTake;
}

int32_t LResourceLoader::Load(LControlFactory& factory, const WString& base, uint32_t localeId) {
    // The embedded documents go by their resource names under "::", files by their names in the
    // folder.
    const bool embedded = base == u"::";
    const WString prefix = embedded ? base : base + u"/";
    factory.SetResourceBasePath(prefix);
    const int32_t result = factory.LoadStringTables(
        prefix + (embedded ? u"APP_STRINGS" : u"StringTables.xml"),
        prefix + (embedded ? u"FRAMEWORK_STRINGS" : u"FrameworkStrings.xml"), static_cast<int32_t>(localeId));
    if (result < 0) {
        return result;
    }
    return factory.LoadSkins(prefix + (embedded ? u"APP_SKINS" : u"Skins.xml"));
}

}  // namespace QV
