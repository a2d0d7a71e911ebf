#include "RIZozivirod/Notification/NotificationHandler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RIZozivirod/Notification/NotificationTestSupport.h"

namespace {

using QV::CAutoNotificationDisabler;
using QV::E_FAIL;
using QV::E_INVALIDARG;
using QV::LNotification;
using QV::LNotificationClient;
using QV::LNotificationDistributor;
using QV::LNotificationHandler;
using QV::RCPtr;
using QV::S_OK;
using QVTest::CountedDistributor;
using QVTest::DeliveryLog;
using QVTest::RecordingClient;
using Log = std::vector<std::string>;

constexpr const char16_t* kValue = u"NID_VALUE_CHANGE";
constexpr const char16_t* kOther = u"NID_SELECTION_CHANGE";

// A base reached virtually, whose operations may be bound too.
class Extra : public virtual QV::LRefCountedObject {
public:
    int32_t OnExtra(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
        mLog->push_back("O:extra");
        return 7;
    }
    DeliveryLog* mLog = nullptr;
};

class Owner : public LNotificationClient, public virtual Extra {
public:
    using Handler = LNotificationHandler<Owner>;

    static RCPtr<Owner> Create(DeliveryLog* log) {
        RCPtr<Owner> owner(new Owner);
        owner->mLog = log;
        owner->mHandler = Handler::Create(owner.Get());
        return owner;
    }

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override {
        ++mReceived;
        mHandler->HandleNotification(sender, notification);
    }

    int32_t OnValue(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
        mLog->push_back("O:value");
        return 5;
    }
    int32_t OnOther(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
        mLog->push_back("O:other");
        return 6;
    }

    RCPtr<Handler> mHandler;
    int mReceived = 0;
};

class NotificationHandler : public ::testing::Test {
protected:
    DeliveryLog log;
    RCPtr<CountedDistributor> source = CountedDistributor::Create();
    RCPtr<Owner> owner = Owner::Create(&log);
    Owner::Handler& handler = *owner->mHandler;

    Log Send(const char16_t* name, const RCPtr<LNotificationDistributor>& from) {
        log.clear();
        from->Notify(LNotification::Create(name));
        return log;
    }
    int32_t Handle(const RCPtr<LNotificationDistributor>& from, const char16_t* name) {
        log.clear();
        return handler.HandleNotification(from, LNotification::Create(name));
    }
    int32_t Flags(const char16_t* name) {
        Owner::Handler::BoundOperation operation;
        int32_t flags = -1;
        handler.GetHandler(RCPtr<LNotificationDistributor>(source), name, operation, flags);
        return flags;
    }
};

TEST_F(NotificationHandler, BindingRegistersAndTheFirstOperationStaysBound) {
    EXPECT_EQ(handler.AddHandler(&Owner::OnValue, source, kValue, 2), S_OK);
    EXPECT_EQ(owner->GetRegistrationCount(), 1);
    EXPECT_EQ(Send(kValue, source), Log{"O:value"});
    EXPECT_EQ(Handle(source, kValue), 5);

    EXPECT_EQ(handler.AddHandler(&Owner::OnOther, source, kValue, 4), S_OK);
    EXPECT_EQ(Send(kValue, source), Log{"O:value"});
    EXPECT_EQ(Flags(kValue), 4) << "the registration takes the later flags";
    EXPECT_EQ(owner->GetRegistrationCount(), 1);
    EXPECT_EQ(handler.GetBindingCount(), 1u);
}

TEST_F(NotificationHandler, RefusedBindingsBindAndRegisterNothing) {
    const RCPtr<LNotificationDistributor> none;
    EXPECT_EQ(handler.AddHandler(&Owner::OnValue, none, kValue, 0), E_INVALIDARG);
    EXPECT_EQ(handler.AddHandler(&Owner::OnValue, source, u"", 0), E_FAIL);
    EXPECT_EQ(handler.AddHandler(&Owner::OnValue, source, nullptr, 0), E_FAIL);
    EXPECT_EQ(handler.AddDirectHandler(&Owner::OnValue, u""), E_FAIL);
    EXPECT_EQ(handler.GetBindingCount(), 0u);
    EXPECT_EQ(owner->GetRegistrationCount(), 0);

    Owner::Handler::BoundOperation operation;
    int32_t flags = -1;
    EXPECT_EQ(handler.GetHandler(RCPtr<LNotificationDistributor>(source), kValue, operation, flags), E_FAIL);
    EXPECT_EQ(handler.GetHandler(none, kValue, operation, flags), E_INVALIDARG);
    EXPECT_FALSE(operation);
    EXPECT_EQ(flags, -1);
}

TEST_F(NotificationHandler, LookupIsByTheExactSenderAndIdentifier) {
    const RCPtr<CountedDistributor> stranger = CountedDistributor::Create();
    handler.AddHandler(&Owner::OnValue, source, kValue, 0);
    handler.AddDirectHandler(&Owner::OnOther, kValue);
    handler.AddHandler(&Extra::OnExtra, source, kOther, 0);

    EXPECT_EQ(Handle(stranger, kValue), S_OK);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(Handle(nullptr, kValue), 6) << "a direct binding serves a null sender only";
    EXPECT_EQ(Handle(source, kValue), 5);
    EXPECT_EQ(Handle(source, kOther), 7) << "an operation of a virtual base";
    EXPECT_EQ(Handle(nullptr, kOther), S_OK);
    EXPECT_EQ(handler.HandleNotification(source, nullptr), S_OK);
}

TEST_F(NotificationHandler, RemovedBindingLeavesTheRegistration) {
    handler.AddHandler(&Owner::OnValue, source, kValue, 0);
    EXPECT_TRUE(handler.RemoveHandler(source, kValue));
    EXPECT_FALSE(handler.RemoveHandler(source, kValue));
    EXPECT_TRUE(Send(kValue, source).empty());
    EXPECT_EQ(owner->mReceived, 1);
    EXPECT_EQ(owner->GetRegistrationCount(), 1);
}

TEST_F(NotificationHandler, DisablerSuspendsOneBindingForItsScope) {
    handler.AddHandler(&Owner::OnValue, source, kValue, 6);
    handler.AddHandler(&Owner::OnOther, source, kOther, 0);
    const RCPtr<RecordingClient> later = RecordingClient::Create("L", &log);
    later->RegisterForNotification(source, kValue, 0);
    EXPECT_EQ(Send(kValue, source), (Log{"L:NID_VALUE_CHANGE", "O:value"}));
    {
        CAutoNotificationDisabler<Owner> disabler(owner->mHandler, source, kValue);
        EXPECT_EQ(Send(kValue, source), Log{"L:NID_VALUE_CHANGE"});
        EXPECT_EQ(Send(kOther, source), Log{"O:other"}) << "other bindings stay";
        EXPECT_EQ(owner->GetRegistrationCount(), 1);
    }
    // Back with its flags, now the most recent registration.
    EXPECT_EQ(Send(kValue, source), (Log{"O:value", "L:NID_VALUE_CHANGE"}));
    EXPECT_EQ(Flags(kValue), 6);
}

TEST_F(NotificationHandler, DisablerOfAnUnboundPairThrowsAndChangesNothing) {
    handler.AddHandler(&Owner::OnValue, source, kValue, 0);
    try {
        CAutoNotificationDisabler<Owner> disabler(owner->mHandler, source, kOther);
        FAIL() << "no exception";
    } catch (const QV::FailedResultException& e) {
        EXPECT_THAT(e.what(),
                    ::testing::MatchesRegex(
                        "Failed Result : QVRESULT = 80004005 : "
                        "QV::CAutoNotificationDisabler<class \\(anonymous namespace\\)::Owner>::"
                        "CAutoNotificationDisabler : RIZozivirod/Notification/NotificationHandler.h : "
                        "Line [0-9]+"));
    }
    EXPECT_EQ(owner->GetRegistrationCount(), 1);
    EXPECT_EQ(Send(kValue, source), Log{"O:value"});
}

// A bound operation whose copy fails once armed: restoring the binding then fails in the
// disabler's destructor.
struct FailingCopy {
    std::shared_ptr<bool> armed = std::make_shared<bool>(false);
    FailingCopy() = default;
    FailingCopy(const FailingCopy& other) : armed(other.armed) {
        if (*armed) {
            throw std::runtime_error("copy refused");
        }
    }
    int32_t operator()(Owner&, const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) const {
        return 0;
    }
};

TEST_F(NotificationHandler, DisablerReportsARestoreFailureInsteadOfThrowing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    FailingCopy operation;
    handler.AddHandler(operation, source, kValue, 0);
    EXPECT_DEBUG_DEATH(
        {
            CAutoNotificationDisabler<Owner> disabler(owner->mHandler, source, kValue);
            *operation.armed = true;
        },
        "Notification binding not restored : QVRESULT = 80004005 : "
        "QV::CAutoNotificationDisabler<class \\(anonymous namespace\\)::Owner>::~CAutoNotificationDisabler");
    *operation.armed = false;
}

}  // namespace
