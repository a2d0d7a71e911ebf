#include "RIZozivirod/ObjectBase/RefCountedPair.h"

#include <gtest/gtest.h>

#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {
namespace {

using ChangedValue = LPair<ParamDescriptor, Variant, ParamDescriptorToString>;

TEST(RefCountedPairTest, ToStringIsTheIdAsUnsignedText) {
    struct Case {
        int32_t id;
        const char16_t* text;
    };
    const Case cases[] = {{4660, u"4660"}, {0, u"0"}, {-1, u"4294967295"}};
    for (const Case& c : cases) {
        ParamDescriptor descriptor(c.id);
        descriptor.qualifier.SetString("not shown");
        EXPECT_TRUE(ChangedValue::Create(descriptor, Variant())->ToString() == c.text) << c.id;
    }
}

TEST(RefCountedPairTest, HoldsDeepCopiesOfBothValues) {
    ParamDescriptor descriptor(3);
    descriptor.qualifier.SetString("q");
    Variant value;
    value.SetString("v");
    RCPtr<ChangedValue> pair = ChangedValue::Create(descriptor, value);
    value.SetString("changed");
    descriptor.qualifier.Clear();
    EXPECT_EQ(1, pair->GetRefCount());
    EXPECT_EQ(3, pair->first.paramID);
    EXPECT_STREQ("q", pair->first.qualifier.GetString());
    EXPECT_STREQ("v", pair->second.GetString());
}

// Records the order in which the two values go.
struct Part {
    Part(char name, std::string* log) : mName(name), mLog(log) {}
    Part(const Part&) = default;
    ~Part() { *mLog += mName; }
    char mName;
    std::string* mLog;
};

WString PartName(const Part& part) {
    return WString(std::string(1, part.mName).c_str());
}

TEST(RefCountedPairTest, DestroysSecondThenFirst) {
    std::string log;
    {
        RCPtr<LPair<Part, Part, PartName>> pair =
            LPair<Part, Part, PartName>::Create(Part('a', &log), Part('b', &log));
        EXPECT_TRUE(pair->ToString() == u"a");
        log.clear();
    }
    EXPECT_EQ("ba", log);
}

}  // namespace
}  // namespace QV
