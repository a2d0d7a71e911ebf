#pragma once

#include <cstdint>
#include <exception>
#include <thread>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// The application's documents (string tables, then skins) read into a new control factory on a
// thread of their own, beside start-up work that needs none of them (loading fontconfig's
// configuration).
// Nothing the reading touches is shared until Take hands the factory over; the reader's warnings
// reach the debug output at Take, where reading in place writes them. The destructor waits for
// the thread, so none outlives the loader on any path. Made, taken and destroyed on one thread.
class LResourceLoader {
public:
    // How the documents are read: on the loader's thread, or in Take on the caller's.
    enum class Reading { kOnThread, kInTake };

    // base: "::" for the embedded documents, else a folder of document files. When no thread can
    // be started the documents are read in Take.
    LResourceLoader(const WString& applicationName, const WString& base, uint32_t localeId,
                    Reading reading = Reading::kOnThread);
    ~LResourceLoader();
    LResourceLoader(const LResourceLoader&) = delete;
    LResourceLoader& operator=(const LResourceLoader&) = delete;

    const WString& GetBase() const { return mBase; }
    uint32_t GetLocaleId() const { return mLocaleId; }

    // Waits until the reading has ended.
    void Wait();
    // Waits, then hands over the factory with the reading's result, and in error what the
    // reading raised (null when it returned). Once: later calls give a null factory.
    RCPtr<LControlFactory> Take(int32_t& result, std::exception_ptr& error);

    // The reading itself, as the main thread does it in place: the string tables in the language
    // of localeId, then the skins; the factory's resource base is set to base.
    static int32_t Load(LControlFactory& factory, const WString& base, uint32_t localeId);
    // The thread pays when the process may run on more than one processor; on one, it only takes
    // turns with the thread that waits for it.
    static Reading ReadingForThisProcess();

private:
    // onThread: on the loader's own thread.
    void Read(bool onThread);

    WString mBase;
    uint32_t mLocaleId;
    RCPtr<LControlFactory> mFactory;
    int32_t mResult = E_FAIL;
    std::exception_ptr mError;
    std::thread mThread;
    bool mRead = false;
};

}  // namespace QV
