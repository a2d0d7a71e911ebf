#pragma once

#include <cassert>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <typeinfo>

#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace QV {

// The key of a binding: the distributor a notification must come from (null for a direct
// binding) and its identifier. Ordered by the source address, then the identifier address.
class Receivable {
public:
    Receivable(const LNotificationDistributor* source, const WChar* identifier)
        : mSource(source), mIdentifier(identifier) {}
    virtual ~Receivable() = default;

    bool operator<(const Receivable& other) const {
        const uintptr_t source = reinterpret_cast<uintptr_t>(mSource);
        const uintptr_t otherSource = reinterpret_cast<uintptr_t>(other.mSource);
        if (source != otherSource) {
            return source < otherSource;
        }
        return reinterpret_cast<uintptr_t>(mIdentifier) < reinterpret_cast<uintptr_t>(other.mIdentifier);
    }

    const LNotificationDistributor* mSource;
    const WChar* mIdentifier;
};

// Reports a binding that could not be restored where no exception may leave: to the debug
// output, and debug builds stop there.
void ReportNotificationHandlerFailure(const std::string& function, int32_t result);

template <class T>
class CAutoNotificationDisabler;

// Maps (source, identifier) pairs to member operations of its owner, registering the owner with
// the source as it binds. The owner's ReceiveNotification hands every notification to
// HandleNotification. T derives from LNotificationClient and holds its handler object, never
// the reverse.
template <class T>
class LNotificationHandler : public virtual LRefCountedObject {
public:
    // A member operation of T or of any of its bases, virtual ones included, called on the
    // owner.
    using BoundOperation =
        std::function<int32_t(T&, const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)>;

    static RCPtr<LNotificationHandler> Create(T* owner) {
        return RCPtr<LNotificationHandler>(new LNotificationHandler(owner));
    }

    // Registers the owner with source and binds; a pair bound already keeps its first operation,
    // while the registration takes the new flags. E_INVALIDARG for a null source, E_FAIL for a
    // null or empty name.
    int32_t AddHandler(BoundOperation operation, const RCPtr<LNotificationDistributor>& source,
                       const WChar* name, int32_t flags) {
        if (!source) {
            return E_INVALIDARG;
        }
        const WChar* id = Client()->RegisterForNotification(source, name, flags);
        if (id == nullptr) {
            return E_FAIL;
        }
        mBindings.emplace(Receivable(source.Get(), id), std::move(operation));
        return S_OK;
    }

    // Binds notifications handed to the owner with a null sender; registers nowhere.
    int32_t AddDirectHandler(BoundOperation operation, const WChar* name) {
        const WChar* id = GetNotificationID(name);
        if (id == nullptr) {
            return E_FAIL;
        }
        mBindings.emplace(Receivable(nullptr, id), std::move(operation));
        return S_OK;
    }

    // Removes the binding only: the owner stays registered until it unregisters.
    bool RemoveHandler(const RCPtr<LNotificationDistributor>& source, const WChar* name) {
        return mBindings.erase(Receivable(source.Get(), GetNotificationID(name))) != 0;
    }

    // The bound operation and the flags of the owner's registration with source. E_FAIL when
    // the pair is not bound (outputs untouched); E_INVALIDARG for a null source, which has no
    // registration to read; else the result of reading the flags (the operation is stored
    // whatever it is, the flags only on success).
    int32_t GetHandler(const RCPtr<LNotificationDistributor>& source, const WChar* name,
                       BoundOperation& operation, int32_t& flags) const {
        if (!source) {
            return E_INVALIDARG;
        }
        const auto found = mBindings.find(Receivable(source.Get(), GetNotificationID(name)));
        if (found == mBindings.end()) {
            return E_FAIL;
        }
        operation = found->second;
        return source->GetRegistrationFlags(RCPtr<LNotificationClient>(Client()), found->first.mIdentifier,
                                            flags);
    }

    // Calls the operation bound to (sender, identifier) and returns its result; 0 when there is
    // none.
    int32_t HandleNotification(const RCPtr<LNotificationDistributor>& sender,
                               const RCPtr<LNotification>& notification) {
        if (!notification) {
            return S_OK;
        }
        const auto found = mBindings.find(Receivable(sender.Get(), notification->GetID()));
        if (found == mBindings.end()) {
            return S_OK;
        }
        return found->second(*mOwner, sender, notification);
    }

    uint32_t GetBindingCount() const { return static_cast<uint32_t>(mBindings.size()); }

protected:
    explicit LNotificationHandler(T* owner) : mOwner(owner) {}
    ~LNotificationHandler() override = default;

private:
    friend class CAutoNotificationDisabler<T>;

    LNotificationClient* Client() const { return static_cast<LNotificationClient*>(mOwner); }

    T* mOwner;
    std::map<Receivable, BoundOperation> mBindings;
};

// Suspends one binding and its registration for a scope, so the owner can change a child without
// reacting to the notification the change produces. At the end of the scope the registration
// (with its flags, now the most recent in the source's pool) and the binding are back.
template <class T>
class CAutoNotificationDisabler {
public:
    using Handler = LNotificationHandler<T>;

    // Throws FailedResultException when the pair is not bound or cannot be suspended.
    CAutoNotificationDisabler(const RCPtr<Handler>& handler, const RCPtr<LNotificationDistributor>& source,
                              const WChar* name)
        : mHandler(handler), mSource(source), mID(GetNotificationID(name)) {
        QV_CHECK_NULL(mHandler.Get(), "handler");
        int32_t result = mHandler->GetHandler(mSource, mID, mOperation, mFlags);
        if (result < 0) {
            QV_THROW_IN(FailedResultException, FunctionName("CAutoNotificationDisabler"),
                        ResultToString(result));
        }
        result = mHandler->Client()->LNotificationClient::UnregisterForNotification(mSource, mID);
        if (!mHandler->RemoveHandler(mSource, mID) || result < 0) {
            QV_THROW_IN(FailedResultException, FunctionName("CAutoNotificationDisabler"),
                        ResultToString(result < 0 ? result : E_FAIL));
        }
    }

    CAutoNotificationDisabler(const CAutoNotificationDisabler&) = delete;
    CAutoNotificationDisabler& operator=(const CAutoNotificationDisabler&) = delete;

    // Never throws: a destructor that throws during unwinding ends the process. A binding that
    // cannot be restored is reported to the debug output (and stops debug builds).
    ~CAutoNotificationDisabler() {
        int32_t result = E_FAIL;
        try {
            result = mHandler->AddHandler(mOperation, mSource, mID, mFlags);
        } catch (...) {
            result = E_FAIL;
        }
        if (result < 0) {
            ReportNotificationHandlerFailure(FunctionName("~CAutoNotificationDisabler"), result);
        }
    }

private:
    static std::string FunctionName(const char* member) {
        return "QV::CAutoNotificationDisabler<" + ClassName(typeid(T)) + ">::" + member;
    }

    RCPtr<Handler> mHandler;
    RCPtr<LNotificationDistributor> mSource;
    const WChar* mID;
    int32_t mFlags = 0;
    typename Handler::BoundOperation mOperation;
};

}  // namespace QV
