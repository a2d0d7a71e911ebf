#include "RIZozivirod/ObjectBase/Wrapper.h"

#include <gtest/gtest.h>

#include "RIZozivirod/ObjectBase/TaggableObject.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {
namespace {

using ValuesWrapper = LWrapper<ParamValues, LRefCountedObject>;
using StringWrapper = LWrapperStringable<WString, StringToString, LTaggableObject>;

TEST(WrapperTest, AValueListWrapperIsTheListAndASharedObject) {
    EXPECT_EQ(Variant::Empty, ValuesWrapper::Create()->kind);

    ParamValues values;
    ParamDescriptor descriptor(5);
    const uint8_t byte = 7;
    Variant blob;
    blob.SetBlob(&byte, 1);
    values.SetFromValue(descriptor, blob);

    RCPtr<ValuesWrapper> wrapper = ValuesWrapper::Create(values);
    EXPECT_EQ(1, wrapper->GetRefCount());
    EXPECT_NE(values.value.pointer, wrapper->value.pointer);
    EXPECT_TRUE(static_cast<const Variant&>(*wrapper) == values);

    // Received as a notification parameter and cast back.
    const ConstRCPtr<LRefCountedObject> parameter(wrapper);
    const ConstRCPtr<ValuesWrapper> received(parameter);
    ASSERT_TRUE(received);
    Variant found;
    EXPECT_EQ(0, received->FindValue(descriptor, found));
    EXPECT_TRUE(found == blob);
    EXPECT_TRUE(wrapper->ToString() == u"class QV::LWrapper<QV::ParamValues, QV::LRefCountedObject>");
}

TEST(WrapperTest, AStringWrapperSharesTheTextAndStartsWithoutATag) {
    const WString text(u"label");
    RCPtr<StringWrapper> wrapper = StringWrapper::Create(text);
    EXPECT_TRUE(wrapper->ToString() == u"label");
    EXPECT_EQ(text.GetString(), wrapper->GetString());
    EXPECT_FALSE(wrapper->GetTag());

    EXPECT_TRUE(StringWrapper::Create(WString())->ToString().IsEmpty());
}

// Counts its destructions.
struct Tag : LRefCountedObject {
    explicit Tag(int* destroyed) : mDestroyed(destroyed) {}
    ~Tag() override { ++*mDestroyed; }
    int* mDestroyed;
};

TEST(WrapperTest, TheTagIsReleasedWithTheObject) {
    int destroyed = 0;
    {
        RCPtr<StringWrapper> wrapper = StringWrapper::Create(WString(u"x"));
        wrapper->SetTag(RCPtr<LRefCountedObject>(new Tag(&destroyed)));
        EXPECT_EQ(1, wrapper->GetTag()->GetRefCount());
    }
    EXPECT_EQ(1, destroyed);
}

}  // namespace
}  // namespace QV
