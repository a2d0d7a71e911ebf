#include "UI/DriverCommon/MainControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "RIZozivirod/ObjectBase/RefCountedPair.h"
#include "RIZozivirod/ObjectBase/Wrapper.h"
#include "UI/EditorTreeFixture.h"
#include "UITestSupport/TestRootWindow.h"

namespace {

using EditorTestSupport::Blob;
using QV::ParamDescriptor;
using QV::ParamValue;
using QV::RCPtr;
using QV::Variant;
using QV::WString;

using ParamChange = QV::LPair<ParamDescriptor, Variant, QV::ParamDescriptorToString>;
using ParamChangeList = QV::LWrapper<QV::ParamValues, QV::LRefCountedObject>;

Variant Int32(int32_t number) {
    Variant value;
    value.Set(Variant::Int32, &number, sizeof(number));
    return value;
}

class MainControlTest : public EditorTestSupport::EditorTreeFixture {
protected:
    // Posts changes as the engine does: one value, or a list, to the application centre.
    static void PostChange(int32_t id, const Variant& value, const Variant& qualifier = Variant()) {
        ParamDescriptor descriptor(id);
        descriptor.qualifier = qualifier;
        QV::GetMainNotificationCenter()->PostNotification(u"NID_PARAM_MODULE_STATE_CHANGE",
                                                          ParamChange::Create(descriptor, value));
    }
    static void PostList(const std::vector<ParamValue>& values) {
        QV::ParamValues list;
        QV::ParamDescriptors::SetFromValues(list, values.data(), static_cast<uint32_t>(values.size()));
        QV::GetMainNotificationCenter()->PostNotification(u"NID_PARAM_MODULE_STATE_CHANGE",
                                                          ParamChangeList::Create(list));
    }
};

// Building the tree gives every module its id, switches polling on and leaves nothing applying.
TEST_F(MainControlTest, TheTreeGetsTheEnginesIdsAndPollingIsOn) {
    EXPECT_EQ(mPresetName->GetFirstParamID(), 0);
    EXPECT_EQ(mProgramChange->GetFirstParamID(), 1);
    EXPECT_EQ(mMain->GetModule(0).Get(), static_cast<LParameterizedModule*>(mPresetName.Get()));
    EXPECT_EQ(mMain->GetModule(1).Get(), static_cast<LParameterizedModule*>(mProgramChange.Get()));
    EXPECT_FALSE(mMain->GetModule(5));  // no panel there yet
    EXPECT_EQ(mEngine.enables, std::vector<bool>{true});
    QV::RectT<double> rect;
    EXPECT_EQ(mMain->GetInitialWindowRect(rect), 0);
    EXPECT_EQ(mEngine.enables, (std::vector<bool>{true, true}));
    EXPECT_EQ(mMain->GetApplyingDescriptor().paramID, -1);
    EXPECT_FALSE(mMain->GetCommunicationInterface());
    EXPECT_THROW(Create(u"mainWithoutView"), std::runtime_error);
}

// A list of the 37 values is applied in list order, each in an apply window of its own; a later
// value of a parameter wins.
TEST_F(MainControlTest, AListIsAppliedInOrderEachInItsOwnWindow) {
    std::vector<ParamValue> values;
    for (int32_t id = 0; id < 37; ++id) {
        values.emplace_back(id, Variant(), mEngine.defaults[static_cast<size_t>(id)]);
    }
    values.emplace_back(0, Variant(), Blob({'L', 'a', 's', 't'}));
    PostList(values);
    Drain();
    ASSERT_EQ(mPresetName->applied.size(), 2u);
    EXPECT_EQ(mPresetName->applied[0].value, mEngine.defaults[0]);
    EXPECT_EQ(mPresetName->applied[1].value, Blob({'L', 'a', 's', 't'}));
    ASSERT_EQ(mProgramChange->applied.size(), 1u);
    for (const auto* applied : {&mPresetName->applied, &mProgramChange->applied}) {
        for (const auto& a : *applied) {
            EXPECT_EQ(a.applyingId, a.id);
        }
    }
    EXPECT_EQ(mMain->GetApplyingDescriptor().paramID, -1);
    EXPECT_TRUE(mEngine.writes.empty());
}

// While a parameter's value is applied, every edit of that parameter (same id and qualifier) is
// its echo and is dropped, whatever it carries; other edits reach the engine, during the apply
// and after it.
TEST_F(MainControlTest, TheEchoOfTheAppliedParameterIsDroppedAndNothingElse) {
    mPresetName->echoes = {
        ParamValue(0, Variant(), Blob({1})),           // the echo, other bytes
        ParamValue(0, Int32(1), Blob({2})),            // another qualifier
        ParamValue(1, Variant(), Blob({3, 3, 3, 3})),  // another parameter
    };
    PostChange(0, Blob({9}));
    Drain();
    ASSERT_EQ(mEngine.writes.size(), 2u);
    EXPECT_EQ(mEngine.writes[0].descriptor.qualifier, Int32(1));
    EXPECT_EQ(mEngine.writes[1].descriptor.paramID, 1);
    mMain->NotifyParamChanged(ParamDescriptor(0), Blob({4}));
    ASSERT_EQ(mEngine.writes.size(), 3u);
    EXPECT_EQ(mEngine.writes[2].value, Blob({4}));
}

// Values that name nothing to show change nothing: empty values, ids without a panel, the
// device's name; the hardware notice with a value, or with a device list that can be read.
TEST_F(MainControlTest, ValuesWithNothingToShowChangeNothing) {
    Variant yes;
    const uint8_t one = 1;
    yes.Set(Variant::Bool, &one, 1);
    PostChange(0, Variant());
    PostChange(40, Blob({1}));
    PostChange(-4, Blob({1}));
    PostChange(-8, Blob({'S'}));
    PostChange(-2, yes);
    PostChange(-2, Variant());
    Drain();
    EXPECT_TRUE(mPresetName->applied.empty());
    EXPECT_TRUE(mProgramChange->applied.empty());
    EXPECT_EQ(mEngine.deviceListCalls, 1);
    EXPECT_TRUE(mServices->messageBoxes.empty());
    EXPECT_EQ(mMain->GetApplyingDescriptor().paramID, -1);
}

// A hardware notice whose device list cannot be read ends the program after an error box.
TEST_F(MainControlTest, AnUnreadableDeviceListEndsTheProgramAfterAnErrorBox) {
    mEngine.deviceListResult = QV::E_FAIL;
    const RCPtr<QV::NotificationRecorder> exits = QV::NotificationRecorder::Create(
        RCPtr<QV::LNotificationDistributor>(QV::GetMainNotificationCenter()), {u"NID_APP_EXIT_REQ"});
    mMain->ApplyParamValue(ParamDescriptor(-2), Variant());
    ASSERT_EQ(mServices->messageBoxes.size(), 1u);
    EXPECT_TRUE(mServices->messageBoxes[0].caption == WString(u"Keyboard Connection Error"));
    EXPECT_FALSE(mServices->messageBoxes[0].text.IsEmpty());
    EXPECT_EQ(mServices->messageBoxes[0].style, 0x10u);
    EXPECT_TRUE(exits->GetNames().empty());  // posted, not sent
    Drain();
    EXPECT_EQ(exits->GetNames(), std::vector<std::u16string>{u"NID_APP_EXIT_REQ"});
    exits->UnregisterAll();
}

}  // namespace
