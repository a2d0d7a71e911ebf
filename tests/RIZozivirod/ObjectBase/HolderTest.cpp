#include "RIZozivirod/ObjectBase/Holder.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {
namespace {

// A plain enumeration stored in 32 bits, like the device connection state.
enum class State : int32_t { None, Pending, Known, Connected };

TEST(HolderTest, CreateGivesTheZeroValueOrTheGivenOne) {
    RCPtr<LHolder<unsigned int>> count = LHolder<unsigned int>::Create();
    EXPECT_EQ(1, count->GetRefCount());
    EXPECT_EQ(0u, count->GetValue());
    EXPECT_FALSE(LHolder<bool>::Create()->GetValue());
    EXPECT_EQ(State::None, LHolder<State>::Create()->GetValue());
    EXPECT_EQ(7, LHolder<int>::Create(7)->GetValue());
}

TEST(HolderTest, AValueWrittenBeforeSendingReachesTheReceiver) {
    RCPtr<LHolder<State>> state = LHolder<State>::Create();
    state->SetValue(State::Connected);
    const ConstRCPtr<LRefCountedObject> parameter(state);
    EXPECT_EQ(2, parameter->GetRefCount());

    const ConstRCPtr<LHolder<State>> received(parameter);
    ASSERT_TRUE(received);
    EXPECT_EQ(State::Connected, received->GetValue());
    // The cell is written in place: a reader sees later writes through the same holder.
    state->GetValue() = State::Known;
    EXPECT_EQ(State::Known, received->GetValue());

    // A parameter of another holder type does not cast.
    const ConstRCPtr<LRefCountedObject> other(LHolder<unsigned int>::Create());
    EXPECT_FALSE(ConstRCPtr<LHolder<bool>>(other));
}

TEST(HolderTest, ToStringIsTheClassName) {
    EXPECT_TRUE(LHolder<unsigned int>::Create()->ToString() == u"class QV::LHolder<unsigned int>");
}

TEST(HolderTest, CannotBeCopiedOnShare) {
    RCPtr<LHolder<int>> holder = LHolder<int>::Create(3);
    EXPECT_THROW(holder->CreateCopy(), std::logic_error);
}

}  // namespace
}  // namespace QV
