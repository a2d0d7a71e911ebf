#include "UI/ProgramSerialNumberDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UI/DialogTestFixture.h"

namespace {

using MidiTestSupport::SimulatedKeyboard;
using QV::RCPtr;

constexpr char kConfirm[] = "Are you sure you want to pair Skylet to a new USB receiver?";

DialogTestSupport::Bytes Pairing(const std::string& digits) {
    DialogTestSupport::Bytes message{0xF0, 0x00, 0x20, 0x2B, 0x68, 0x3C, 0x00};
    // Room for the rest first: GCC 12 at -O3 reports a false -Warray-bounds in the growing insert.
    message.reserve(message.size() + digits.size() + 14);
    message.insert(message.end(), digits.begin(), digits.end());
    message.insert(message.end(), 13, 0x30);
    message.push_back(0xF7);
    return message;
}

class ProgramSerialNumberDialogTest : public DialogTestSupport::ProductDialogFixture {
protected:
    void SetUp() override {
        DialogTestSupport::ProductDialogFixture::SetUp();
        mDialog = Open<LProgramSerialNumberDialog>(u"dialogProgramSerialNumber");
        ASSERT_TRUE(mDialog);
        ASSERT_TRUE(mDialog->GetSerialNumberBox());
    }
    void TearDown() override {
        mDialog = nullptr;
        DialogTestSupport::ProductDialogFixture::TearDown();
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const auto& box : mShell.messageBoxes) {
            captions.push_back(box.caption);
        }
        return captions;
    }

    RCPtr<LProgramSerialNumberDialog> mDialog;
};

class PairingWithKeyboardTest : public ProgramSerialNumberDialogTest {
protected:
    SimulatedKeyboard mKeyboard{*mSystem};
};

// Six digits, confirmed, go out as the 27-byte message; anything else sends nothing: five digits
// silently, six characters with a pasted letter with a box that says why, and a cancelled
// confirmation.
TEST_F(PairingWithKeyboardTest, OnlySixConfirmedDigitsAreSent) {
    EXPECT_EQ(DialogTestSupport::Narrow(mDialog->GetText()), "Program Dongle");
    // Typing takes six digits at most; pasted text is checked when it is sent.
    EXPECT_EQ(mDialog->GetSerialNumberBox()->GetMaxLength(), 6);
    EXPECT_EQ(DialogTestSupport::Narrow(mDialog->GetSerialNumberBox()->GetCharacterFilter()), "0123456789");
    const struct {
        const char16_t* text;
        int32_t answer;                 // to the confirmation
        DialogTestSupport::Bytes sent;  // empty: nothing
        std::vector<std::string> captions;
    } cases[] = {
        {u"123456", 1, Pairing("123456"), {"Program USB Receiver", "Program Serial Success"}},
        {u"000000", 1, Pairing("000000"), {"Program USB Receiver", "Program Serial Success"}},
        {u"12345", 0, {}, {}},
        {u"12a456", 0, {}, {"Program USB Receiver"}},
        {u"12 456", 0, {}, {"Program USB Receiver"}},
        {u"123456", 2, {}, {"Program USB Receiver"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(DialogTestSupport::Narrow(c.text) + " answered " + std::to_string(c.answer));
        mShell.messageBoxes.clear();
        const size_t heard = mKeyboard.GetOtherMessages().size();
        if (c.answer != 0) {
            mShell.ScriptMessageBox(c.answer);
        }
        mDialog->GetSerialNumberBox()->SetText(c.text);
        Click(*mDialog, u"buttonProgramSerialNumber");
        mSystem->WaitUntilIdle();
        const std::vector<DialogTestSupport::Bytes> others = mKeyboard.GetOtherMessages();
        if (c.sent.empty()) {
            EXPECT_EQ(others.size(), heard);
        } else {
            ASSERT_EQ(others.size(), heard + 1);
            EXPECT_EQ(others.back(), c.sent);
        }
        EXPECT_EQ(Captions(), c.captions);
        if (!c.sent.empty()) {
            EXPECT_EQ(mShell.messageBoxes[0].text, kConfirm);
            EXPECT_EQ(mShell.messageBoxes[0].style, 1u);
        } else if (c.answer == 0 && !c.captions.empty()) {
            EXPECT_EQ(
                mShell.messageBoxes[0].text,
                "The serial number can only hold the digits 0 to 9. Enter the last 6 digits of the serial "
                "number on your USB receiver.");
        }
    }
    EXPECT_EQ(mKeyboard.GetRequestCount() + mKeyboard.GetWriteCount(), 0u);
}

// Without the keyboard the confirmed pairing reports the error.
TEST_F(ProgramSerialNumberDialogTest, WithoutPortsThePairingFails) {
    mDialog->GetSerialNumberBox()->SetText(u"123456");
    Click(*mDialog, u"buttonProgramSerialNumber");
    ASSERT_EQ(Captions(), (std::vector<std::string>{"Program USB Receiver", "Program Serial Error"}));
    EXPECT_EQ(mShell.messageBoxes[1].text,
              "We encountered a problem in the pairing process. Make sure your Skylet is connected to your "
              "computer and try again.");
}

}  // namespace
