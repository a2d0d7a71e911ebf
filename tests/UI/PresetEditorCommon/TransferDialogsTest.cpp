#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "UI/DialogTestFixture.h"
#include "UI/PresetEditorCommon/GetPresetFromMidiDeviceDlg.h"
#include "UI/PresetEditorCommon/SendPresetToMidiDeviceDlg.h"

namespace {

using MidiTestSupport::SimulatedKeyboard;
using QV::RCPtr;

constexpr char kGetFailed[] = "Retrieve Preset Error";
constexpr char kGetMidiError[] =
    "The Preset has failed to get from the device. Verify the device is connected to your computer via the "
    "USB cable.";
constexpr char kSendFailed[] = "Send Preset Error";
constexpr char kSendMidiError[] =
    "Error connecting to device. Verify your Skylet Keyboard is plugged into the USB port and try again.";

// The defaults with the tilt controller's CC number (parameter 12, byte 1) at 74.
DialogTestSupport::Bytes PresetWithTiltCc74() {
    DialogTestSupport::Bytes preset = SimulatedKeyboard::DefaultPreset();
    size_t offset = 0;
    for (int32_t id = 0; id < 12; ++id) {
        offset += kDeviceParameterLengths[id];
    }
    const DialogTestSupport::Bytes tilt{0x00, 0x4A, 0x00, 0x7F, 0x0E};
    std::copy(tilt.begin(), tilt.end(), preset.begin() + static_cast<std::ptrdiff_t>(offset));
    return preset;
}

class TransferDialogsTest : public DialogTestSupport::ProductDialogFixture {
protected:
    RCPtr<QV::LComboBox> SlotBox(QV::LControl& dialog) {
        const RCPtr<QV::LControl> holder = dialog.FindChild(u"presetSlot");
        return RCPtr<QV::LComboBox>(
            dynamic_cast<QV::LComboBox*>(holder ? holder->FindChild(u"comboBox").Get() : nullptr));
    }
    std::string TiltCcShown() {
        const RCPtr<QV::LControl> view = mMain->FindChild(u"viewDevice");
        auto* number = dynamic_cast<QV::LNumericUpDown*>(view->FindChild(u"tabControl")
                                                             ->FindChild(u"pageHolder")
                                                             ->FindChild(u"accellerometer")
                                                             ->FindChild(u"absoluteController")
                                                             ->FindChild(u"data1Value")
                                                             ->FindChild(u"numericUpDown")
                                                             .Get());
        return number != nullptr ? std::to_string(static_cast<int>(number->GetValue())) : "?";
    }
    void ExpectOneBox(const char* caption, const char* text) {
        ASSERT_EQ(mShell.messageBoxes.size(), 1u);
        EXPECT_EQ(mShell.messageBoxes[0].caption, caption);
        EXPECT_EQ(mShell.messageBoxes[0].text, text);
        EXPECT_EQ(mShell.messageBoxes[0].style, 0u);
        mShell.messageBoxes.clear();
    }
};

class KeyboardTransferTest : public TransferDialogsTest {
protected:
    SimulatedKeyboard mKeyboard{*mSystem};
};

// The retrieve dialog offers "Preset 1" .. "Preset 25" and starts on the first; GET at once asks
// for slot 0, and "Preset 25" for slot 24, whose preset the panels show after one idle pass.
TEST_F(KeyboardTransferTest, RetrieveRequestsTheChosenSlotAndThePanelsShowIt) {
    const RCPtr<LGetPresetFromMidiDeviceDlg> dialog =
        Open<LGetPresetFromMidiDeviceDlg>(u"dialogRetrievePresetFromHardware");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(DialogTestSupport::Narrow(dialog->GetText()), "Get Preset From Hardware");
    const RCPtr<QV::LComboBox> slots = SlotBox(*dialog);
    ASSERT_TRUE(slots);
    ASSERT_EQ(slots->GetList()->GetItemCount(), 25);
    EXPECT_EQ(DialogTestSupport::Narrow(slots->GetItemData(0)->ToString()), "Preset 1");
    EXPECT_EQ(DialogTestSupport::Narrow(slots->GetItemData(24)->ToString()), "Preset 25");
    EXPECT_EQ(slots->GetSelectedIndex(), 0);

    Click(*dialog, u"getButton");
    mSystem->WaitUntilIdle();
    EXPECT_EQ(mKeyboard.GetReceived().back(), SimulatedKeyboard::PresetRequest(0));
    ExpectOneBox("Retrieve Sucessful", "The preset has been sucessfully retreived.");

    const DialogTestSupport::Bytes preset = PresetWithTiltCc74();
    mKeyboard.SetSlot(24, preset);
    slots->SetSelectedIndex(24);
    Click(*dialog, u"getButton");
    mSystem->WaitUntilIdle();
    EXPECT_EQ(mKeyboard.GetReceived().back(), SimulatedKeyboard::PresetRequest(24));
    ExpectOneBox("Retrieve Sucessful", "The preset has been sucessfully retreived.");
    EXPECT_EQ(Cached(), preset);
    EXPECT_NE(TiltCcShown(), "74");
    Drain();
    EXPECT_EQ(TiltCcShown(), "74");
}

// A keyboard that does not answer: the MIDI error after the wait, the preset as it was, and the
// dialog ready for another try.
TEST_F(KeyboardTransferTest, NoReplyShowsTheErrorAndKeepsThePreset) {
    const DialogTestSupport::Bytes before = Cached();
    mKeyboard.SetSlot(3, PresetWithTiltCc74());
    mKeyboard.SetReply(SimulatedKeyboard::Reply::kSilent);
    const RCPtr<LGetPresetFromMidiDeviceDlg> dialog =
        Open<LGetPresetFromMidiDeviceDlg>(u"dialogRetrievePresetFromHardware");
    SlotBox(*dialog)->SetSelectedIndex(3);
    Click(*dialog, u"getButton");
    ExpectOneBox(kGetFailed, kGetMidiError);
    Drain();
    EXPECT_EQ(Cached(), before);
    EXPECT_EQ(mKeyboard.GetRequestCount(), 1u);

    mKeyboard.SetReply(SimulatedKeyboard::Reply::kDump);
    Click(*dialog, u"getButton");
    ExpectOneBox("Retrieve Sucessful", "The preset has been sucessfully retreived.");
    EXPECT_EQ(Cached(), PresetWithTiltCc74());
}

// SEND writes exactly the engine's preset into the chosen slot.
TEST_F(KeyboardTransferTest, SendWritesTheCachedPresetIntoTheChosenSlot) {
    const DialogTestSupport::Bytes preset = PresetWithTiltCc74();
    SetCached(preset);
    const RCPtr<LSendPresetToMidiDeviceDlg> dialog = Open<LSendPresetToMidiDeviceDlg>(u"dialogSendPreset");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(DialogTestSupport::Narrow(dialog->GetText()), "Send Preset To Hardware");
    SlotBox(*dialog)->SetSelectedIndex(24);
    Click(*dialog, u"send");
    mSystem->WaitUntilIdle();
    ASSERT_EQ(mKeyboard.GetWriteCount(), 1u);
    EXPECT_EQ(mKeyboard.GetReceived().back(), SimulatedKeyboard::PresetWrite(24, preset));
    EXPECT_EQ(mKeyboard.GetSlot(24), preset);
    ExpectOneBox("Send Sucess", "The preset has been sucessfully sent to the device");
}

// Without the keyboard's ports both dialogs say so and the preset stays.
TEST_F(TransferDialogsTest, WithoutPortsBothDialogsShowTheirMidiError) {
    const DialogTestSupport::Bytes before = Cached();
    const RCPtr<QV::LDialog> get = Open<QV::LDialog>(u"dialogRetrievePresetFromHardware");
    Click(*get, u"getButton");
    ExpectOneBox(kGetFailed, kGetMidiError);
    const RCPtr<QV::LDialog> send = Open<QV::LDialog>(u"dialogSendPreset");
    Click(*send, u"send");
    ExpectOneBox(kSendFailed, kSendMidiError);
    Drain();
    EXPECT_EQ(Cached(), before);
}

// A MIDI manager whose results are scripted, or that throws.
class ScriptedMidiManager : public QV::LMidiManager {
public:
    int32_t GetPresetFromMidiDevice(int32_t slot) override { return Answer(slot); }
    int32_t SendPresetToMidiDevice(int32_t slot) override { return Answer(slot); }

    int32_t result = 0;
    bool fail = false;
    std::vector<int32_t> slots;

private:
    int32_t Answer(int32_t slot) {
        slots.push_back(slot);
        if (fail) {
            throw std::runtime_error("Failed Result : E_FAIL : QV::LMidiManager::GetPresetFromMidiDevice");
        }
        return result;
    }
};

// Success only for a result of 0 or more; -2 is the firmware notice; every other negative
// result, an exception from the MIDI layer and a slot outside 0..24 (never sent) are the MIDI
// error.
TEST_F(TransferDialogsTest, EveryResultGetsItsBox) {
    const RCPtr<ScriptedMidiManager> manager(new ScriptedMidiManager());
    QV::SetEditorMidiManager(manager);
    const char* getFirmware =
        "The firmware of your Skylet is not compatible with this version of the Skylet Preset Editor. Visit "
        "www.tarvel.com/support for firmware and editor updates.";
    const struct {
        const char* what;
        int32_t result;
        bool fail;
        int32_t slot;
        bool ok;
        bool firmware;
    } cases[] = {
        {"0", 0, false, 0, true, false},
        {"182 bytes sent", 182, false, 24, true, false},
        {"-1", -1, false, 5, false, false},
        {"-2", -2, false, 5, false, true},
        {"-3", -3, false, 5, false, false},
        {"-7", -7, false, 5, false, false},
        {"E_FAIL", QV::E_FAIL, false, 5, false, false},
        {"E_INVALIDARG", QV::E_INVALIDARG, false, 5, false, false},
        {"an exception", 0, true, 5, false, false},
        {"no slot chosen", 0, false, -1, false, false},
    };
    for (const bool retrieve : {true, false}) {
        const RCPtr<QV::LDialog> dialog =
            Open<QV::LDialog>(retrieve ? u"dialogRetrievePresetFromHardware" : u"dialogSendPreset");
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(retrieve ? "retrieve, " : "send, ") + c.what);
            manager->result = c.result;
            manager->fail = c.fail;
            manager->slots.clear();
            SlotBox(*dialog)->SetSelectedIndex(c.slot);
            Click(*dialog, retrieve ? u"getButton" : u"send");
            EXPECT_EQ(manager->slots, c.slot < 0 ? std::vector<int32_t>{} : std::vector<int32_t>{c.slot});
            if (c.ok) {
                ExpectOneBox(retrieve ? "Retrieve Sucessful" : "Send Sucess",
                             retrieve ? "The preset has been sucessfully retreived."
                                      : "The preset has been sucessfully sent to the device");
            } else {
                ExpectOneBox(retrieve ? kGetFailed : kSendFailed,
                             c.firmware ? getFirmware : (retrieve ? kGetMidiError : kSendMidiError));
            }
        }
    }
    QV::SetEditorMidiManager(mApp->GetMidiManager());
}

}  // namespace
