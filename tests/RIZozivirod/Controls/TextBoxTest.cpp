#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Platform/Desktop/ClipboardBackend.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/MenuDescriptor.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "RIZozivirod/System/Desktop/Clipboard.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/FixedWidthMeasurer.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

// A key-table code (0x20000000 key event, Ctrl 0x01000000, Shift 0x02000000, virtual key << 16)
// as the key road delivers it.
KeyCode KeyFromCode(uint32_t code) {
    uint32_t modifiers = 0;
    if ((code & 0x01000000) != 0) {
        modifiers |= KeyCode::kCtrl;
    }
    if ((code & 0x02000000) != 0) {
        modifiers |= KeyCode::kShift;
    }
    if ((code & 0x04000000) != 0) {
        modifiers |= KeyCode::kAlt;
    }
    return KeyCode((code >> 16) & 0xFF, true, 0, modifiers);
}

std::u16string Str(const WString& text) {
    return std::u16string(text.GetString(), static_cast<size_t>(text.GetLength()));
}

// A text box of 104 x 20 at (10, 10) in a window: its text starts 2 pixels in, every character
// is 10 pixels wide (cell i covers x 12 + 10 i to 12 + 10 i + 8 in the window), lines are 20
// high. The application's clipboard is one in memory.
class TextBoxTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mMeasurer = RCPtr<::TestSupport::FixedWidthMeasurer>(new ::TestSupport::FixedWidthMeasurer());
        mServices->measuringRenderer = RCPtr<LMeasurementRenderer>(mMeasurer.Get());
        mBackend = std::make_shared<Platform::InMemoryClipboard>();
        mClipboard = LClipboard::Create(mBackend);
        mClipboard->SetFocusControlSource([this]() { return mWindow->GetFocusControl(); });
        LClipboard::SetCurrent(mClipboard.Get());
        LoadSkin(TestSupport::TextBoxLooks() + TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid">
            <SubControl Class="Framework.TextBox" Name="box" TabStop="1" XPositionAbs="10" YPositionAbs="10"
                XSizeAbs="104" YSizeAbs="20"><Skin Name="t" LookList="TextBox"/></SubControl>
            <SubControl Class="Framework.TextBox" Name="other" TabStop="2" XPositionAbs="10" YPositionAbs="50"
                XSizeAbs="104" YSizeAbs="20"><Skin Name="t" LookList="TextBox"/></SubControl>
          </Skin></SubControl></Skin>)");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mBox = RCPtr<LTextBox>(dynamic_cast<LTextBox*>(Find(mMain, u"box").Get()));
        ASSERT_TRUE(mBox);
        mDriver = std::make_unique<InputDriver>(mWindow);
    }
    void TearDown() override {
        LClipboard::SetCurrent(nullptr);
        mBox = nullptr;
        mMain = nullptr;
        mClipboard = nullptr;
        ControlTestFixture::TearDown();
    }
    int32_t Key(uint32_t code) { return mBox->HandleKeyDown(LKeyParam::Create(KeyFromCode(code), true)); }
    int32_t Type(char16_t c, uint32_t modifiers = 0) {
        return mBox->HandleKeyDown(LKeyParam::Create(KeyCode(c, modifiers), true));
    }
    void Focus() {
        ASSERT_EQ(mBox->SetFocus(true), S_OK);
        ASSERT_TRUE(mBox->HasFocus());
    }
    void Pass(uint32_t ms, uint32_t step = 10) {
        for (uint32_t t = 0; t < ms; t += step) {
            mServices->AdvanceMs(step);
            mWindow->SendIdle();
        }
    }

    RCPtr<::TestSupport::FixedWidthMeasurer> mMeasurer;
    std::shared_ptr<Platform::InMemoryClipboard> mBackend;
    RCPtr<LClipboard> mClipboard;
    RCPtr<LControl> mMain;
    RCPtr<LTextBox> mBox;
    std::unique_ptr<InputDriver> mDriver;
};

TEST_F(TextBoxTest, KeyTable) {
    const struct {
        const char16_t* text;
        int32_t caret;
        int32_t selStart, selLength, anchor;  // selLength 0: no selection
        uint32_t code;
        const char16_t* expectText;
        int32_t expectCaret, expectStart, expectLength;
        int32_t result;
    } cases[] = {
        {u"abcdef", 3, 0, 0, 0, 0x20250000, u"abcdef", 2, 0, 0, 0},        // Left
        {u"abcdef", 0, 0, 0, 0, 0x20250000, u"abcdef", 0, 0, 0, 0},        // Left at the start
        {u"abcdef", 3, 1, 2, 1, 0x20270000, u"abcdef", 4, 0, 0, 0},        // Right clears the selection
        {u"abcdef", 6, 0, 0, 0, 0x20270000, u"abcdef", 6, 0, 0, 0},        // Right at the end
        {u"abcdef", 3, 0, 0, 0, 0x20260000, u"abcdef", 3, 0, 0, 1},        // Up goes on
        {u"abcdef", 3, 0, 0, 0, 0x22280000, u"abcdef", 3, 0, 0, 1},        // Shift+Down goes on
        {u"abcdef", 3, 0, 0, 0, 0x21260000, u"abcdef", 3, 0, 0, 1},        // Ctrl+Up goes on
        {u"abcdef", 3, 0, 0, 0, 0x23280000, u"abcdef", 3, 0, 0, 1},        // Ctrl+Shift+Down goes on
        {u"abcdef", 3, 0, 0, 0, 0x22250000, u"abcdef", 2, 2, 1, 0},        // Shift+Left selects c
        {u"abcdef", 2, 2, 1, 3, 0x22250000, u"abcdef", 1, 1, 2, 0},        // ... and grows to bc
        {u"abcdef", 1, 1, 2, 3, 0x22270000, u"abcdef", 2, 2, 1, 0},        // Shift+Right shrinks to c
        {u"abcdef", 3, 0, 0, 0, 0x22270000, u"abcdef", 4, 3, 1, 0},        // Shift+Right selects d
        {u"abcdef", 4, 3, 1, 3, 0x22270000, u"abcdef", 5, 3, 2, 0},        // ... and grows to de
        {u"abcdef", 0, 0, 0, 0, 0x22250000, u"abcdef", 0, 0, 0, 0},        // Shift+Left at the start
        {u"ab cd  ef", 8, 0, 0, 0, 0x21250000, u"ab cd  ef", 7, 0, 0, 0},  // Ctrl+Left to the word start
        {u"ab cd  ef", 7, 0, 0, 0, 0x21250000, u"ab cd  ef", 3, 0, 0, 0},  // ... over blanks
        {u"ab cd  ef", 1, 0, 0, 0, 0x21270000, u"ab cd  ef", 3, 0, 0, 0},  // Ctrl+Right to the next word
        {u"ab cd  ef", 3, 0, 0, 0, 0x21270000, u"ab cd  ef", 7, 0, 0, 0},  // ... past the blanks after it
        {u"ab cd  ef", 7, 0, 0, 0, 0x21270000, u"ab cd  ef", 9, 0, 0, 0},  // ... the end
        {u"ab cd  ef", 9, 0, 0, 9, 0x23250000, u"ab cd  ef", 7, 7, 2, 0},  // Ctrl+Shift+Left selects ef
        {u"ab cd  ef", 0, 0, 0, 0, 0x23270000, u"ab cd  ef", 3, 0, 3, 0},  // Ctrl+Shift+Right selects "ab "
        {u"abcdef", 3, 1, 2, 1, 0x20240000, u"abcdef", 0, 0, 0, 0},        // Home
        {u"abcdef", 3, 0, 0, 0, 0x20230000, u"abcdef", 6, 0, 0, 0},        // End
        {u"abcdef", 3, 0, 0, 3, 0x22240000, u"abcdef", 0, 0, 3, 0},        // Shift+Home selects abc
        {u"abcdef", 3, 0, 0, 3, 0x22230000, u"abcdef", 6, 3, 3, 0},        // Shift+End selects def
        {u"abcdef", 3, 0, 0, 0, 0x20080000, u"abdef", 2, 0, 0, 0},         // Backspace
        {u"abcdef", 0, 0, 0, 0, 0x20080000, u"abcdef", 0, 0, 0, 0},        // Backspace at the start
        {u"abcdef", 5, 1, 3, 1, 0x20080000, u"aef", 1, 0, 0, 0},           // Backspace on a selection
        {u"abcdef", 3, 0, 0, 0, 0x202E0000, u"abcef", 3, 0, 0, 0},         // Delete
        {u"abcdef", 6, 0, 0, 0, 0x202E0000, u"abcdef", 6, 0, 0, 0},        // Delete at the end
        {u"abcdef", 3, 0, 0, 0, 0x222E0000, u"abdef", 2, 0, 0, 0},         // Shift+Delete is Backspace
        {u"abcdef", 2, 0, 0, 0, 0x212E0000, u"ab", 2, 0, 0, 0},            // Ctrl+Delete to the end
        {u"abcdef", 2, 3, 2, 3, 0x212E0000, u"abcf", 3, 0, 0, 0},          // ... or the selection
        {u"abcdef", 3, 0, 0, 0, 0x200D0000, u"abcdef", 3, 0, 0, 1},        // Enter, accepted: goes on
        {u"abcdef", 3, 0, 0, 0, 0x20410000, u"abcdef", 3, 0, 0, 0},        // A: its character follows
        {u"abcdef", 3, 0, 0, 0, 0x21410000, u"abcdef", 3, 0, 0, 1},        // Ctrl+A: a shortcut
        {u"abcdef", 3, 0, 0, 0, 0x24200000, u"abcdef", 3, 0, 0, 1},        // Alt+Space: a shortcut
        {u"abcdef", 3, 0, 0, 0, 0x20700000, u"abcdef", 3, 0, 0, 1},        // F1 goes on
    };
    for (const auto& c : cases) {
        mBox->SetText(c.text);
        mBox->SetCaretPosition(c.caret, true);
        if (c.selLength > 0) {
            mBox->SetSelection(c.selStart, c.selLength, c.anchor);
        } else {
            mBox->SetSelection(c.selStart, 0, c.anchor);
        }
        const int32_t result = Key(c.code);
        SCOPED_TRACE(testing::Message() << std::hex << c.code << " at " << std::dec << c.caret);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(Str(mBox->GetText()), std::u16string(c.expectText));
        EXPECT_EQ(mBox->GetCaretPosition(), c.expectCaret);
        EXPECT_EQ(mBox->GetSelectionLength(), c.expectLength);
        if (c.expectLength > 0) {
            EXPECT_EQ(mBox->GetSelectionStart(), c.expectStart);
        }
    }
}

TEST_F(TextBoxTest, TypingFollowsTheFilterAndTheMaximumLength) {
    RCPtr<NotificationRecorder> changes = NotificationRecorder::Create(
        RCPtr<LNotificationDistributor>(mBox.Get()), {u"NID_TEXTBOX_TEXT_CHANGE"});
    EXPECT_EQ(Type(u'x'), S_OK);
    EXPECT_EQ(Type(u'\u00e9'), S_OK);  // beyond ASCII, whatever the process's locale
    EXPECT_EQ(Str(mBox->GetText()), u"x\u00e9");
    EXPECT_EQ(mBox->GetCaretPosition(), 2);
    EXPECT_EQ(changes->GetNames().size(), 2u);
    // Tab and control characters (Ctrl+letters arrive as them) are left to navigation and shortcuts.
    EXPECT_EQ(Type(u'\t'), 1);
    EXPECT_EQ(Type(0x01), 1);
    EXPECT_EQ(Type(0x7F), 1);
    mBox->SetText(u"");
    mBox->SetCharacterFilter(u"0123456789");
    EXPECT_EQ(Type(u'a'), S_OK);  // swallowed
    EXPECT_EQ(Type(u'7'), S_OK);
    EXPECT_EQ(Str(mBox->GetText()), u"7");
    mBox->SetCharacterFilter(u"");
    mBox->SetText(u"abc");
    mBox->SetMaxLength(3);
    changes->Clear();
    mBox->SetCaretPosition(3, false);
    EXPECT_EQ(Type(u'd'), S_OK);
    EXPECT_EQ(Str(mBox->GetText()), u"abc");
    EXPECT_TRUE(changes->GetNames().empty());
    mBox->SelectRange(1, 1);
    EXPECT_EQ(Type(u'X'), S_OK);  // a selection is replaced even when full
    EXPECT_EQ(Str(mBox->GetText()), u"aXc");
    EXPECT_EQ(mBox->GetCaretPosition(), 2);
}

TEST_F(TextBoxTest, TextChangesKeepCaretAndAnchorInsideTheText) {
    RCPtr<NotificationRecorder> changes = NotificationRecorder::Create(
        RCPtr<LNotificationDistributor>(mBox.Get()), {u"NID_TEXTBOX_TEXT_CHANGE"});
    EXPECT_EQ(mBox->SetText(u"abcdefgh"), S_OK);
    EXPECT_EQ(mBox->GetCaretPosition(), 0);
    mBox->SetCaretPosition(6, false);
    mBox->SelectRange(2, 3);
    EXPECT_EQ(mBox->SetText(u"abcdefgh"), 1);  // the same text: nothing happens
    EXPECT_EQ(mBox->GetCaretPosition(), 6);
    EXPECT_EQ(mBox->GetSelectionLength(), 2);
    EXPECT_EQ(changes->GetNames().size(), 1u);
    ASSERT_EQ(changes->GetParams().size(), 1u);
    EXPECT_EQ(changes->GetParams()[0].Get(), static_cast<LRefCountedObject*>(mBox.Get()));
    // Keeping the caret: a shorter text brings caret and anchor back to its end.
    mBox->SetCaretPosition(7, false);
    EXPECT_EQ(mBox->SetTextInternal(u"xyzw", false), S_OK);
    EXPECT_EQ(mBox->GetCaretPosition(), 4);
    EXPECT_LE(mBox->GetAnchor(), 4);
    EXPECT_EQ(mBox->HandleKeyDown(LKeyParam::Create(KeyFromCode(0x22250000), true)), S_OK);
    EXPECT_EQ(mBox->GetSelectionStart(), 3);
    EXPECT_EQ(mBox->GetSelectionLength(), 1);
    mBox->SetTextInternal(u"xyzwv", false);
    EXPECT_EQ(mBox->GetCaretPosition(), 3);
    EXPECT_EQ(mBox->SetCaretPosition(6, false), E_INVALIDARG);
    EXPECT_EQ(mBox->SetCaretPosition(-1, false), E_INVALIDARG);
    // The maximum length cuts a longer text and puts the caret at its end; 0 is unlimited.
    mBox->SetText(u"abcdefgh");
    mBox->SetMaxLength(5);
    EXPECT_EQ(Str(mBox->GetText()), u"abcde");
    EXPECT_EQ(mBox->GetCaretPosition(), 5);
    mBox->SetMaxLength(0);
    EXPECT_EQ(Str(mBox->GetText()), u"abcde");
    // Select all of an empty text: an empty selection at 0.
    mBox->SetText(u"");
    mBox->SelectRange(0, -1);
    EXPECT_EQ(mBox->GetSelectionStart(), 0);
    EXPECT_EQ(mBox->GetSelectionLength(), 0);
}

TEST_F(TextBoxTest, HitTestFindsTheNearestBoundary) {
    mBox->SetText(u"abcd");
    const struct {
        double x;
        int32_t index;
    } cases[] = {
        {-5, 0},                                            // left of the text area
        {2, 0},   {6.4, 0},  {6.5, 1},                      // left and right half of a (cell 2 to 11)
        {11, 1},  {11.5, 1},                                // in the seam between a and b: the boundary
        {12, 1},  {36, 3},   {38, 4},  {41.5, 4}, {60, 4},  // right of the last character
        {500, 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mBox->HitTestCharacter({c.x, 5}), c.index) << c.x;
    }
    EXPECT_EQ(mBox->GetCharacterRect(1).x, 12.0f);
    EXPECT_EQ(mBox->GetCharacterRect(1).width, 9.0f);
    EXPECT_EQ(mBox->GetRangeRect(1, 2).width, 19.0f);
    EXPECT_EQ(mBox->GetCharacterRect(5).width, 0.0f);
}

TEST_F(TextBoxTest, EditCommandsGoThroughTheClipboard) {
    Focus();
    mBox->SetText(u"abcdefg");
    EXPECT_FALSE(mBox->CanPerformEdit(LClipboard::kEditCut));
    EXPECT_EQ(mBox->PerformEdit(LClipboard::kEditCopy), E_FAIL);
    EXPECT_EQ(mBox->PerformEdit(LClipboard::kEditDelete), E_FAIL);
    mBox->SelectRange(2, 4);
    EXPECT_TRUE(mBox->CanPerformEdit(LClipboard::kEditCut));
    EXPECT_EQ(mBox->PerformEdit(LClipboard::kEditCut), S_OK);
    EXPECT_EQ(Str(mBox->GetText()), u"abfg");
    EXPECT_EQ(mBox->GetCaretPosition(), 2);
    EXPECT_EQ(mBackend->text, "cde");
    // The clipboard's own commands reach the focused box.
    EXPECT_EQ(mClipboard->PerformEdit(LClipboard::kEditPaste), S_OK);
    EXPECT_EQ(Str(mBox->GetText()), u"abcdefg");
    EXPECT_EQ(mBox->GetCaretPosition(), 5);
    mBox->SelectRange(0, 1);
    EXPECT_EQ(mBox->PerformEdit(LClipboard::kEditCopy), S_OK);
    EXPECT_EQ(mBackend->text, "ab");
    mBox->SelectRange(5, 6);
    EXPECT_EQ(mBox->PerformEdit(LClipboard::kEditPaste), S_OK);  // replaces the selection
    EXPECT_EQ(Str(mBox->GetText()), u"abcdeab");
    EXPECT_EQ(mBox->GetCaretPosition(), 7);
    EXPECT_FALSE(mBox->HasSelection());
    mBox->SelectRange(6, 6);
    EXPECT_EQ(mBox->PerformEdit(LClipboard::kEditDelete), S_OK);
    EXPECT_EQ(Str(mBox->GetText()), u"abcdea");
    EXPECT_EQ(mBox->PerformEdit(7), E_FAIL);
    // The maximum length holds for pasting as for typing.
    mBox->SetText(u"");
    mBox->SetMaxLength(3);
    mBackend->SetText("12345");
    EXPECT_FALSE(mBox->CanPerformEdit(LClipboard::kEditPaste));
    EXPECT_EQ(mBox->PerformEdit(LClipboard::kEditPaste), E_FAIL);
    EXPECT_EQ(Str(mBox->GetText()), u"");
    mBackend->SetText("12");
    EXPECT_TRUE(mBox->CanPerformEdit(LClipboard::kEditPaste));
    EXPECT_EQ(mBox->PerformEdit(LClipboard::kEditPaste), S_OK);
    EXPECT_EQ(mBox->GetCaretPosition(), 2);
    // The edit menu's states.
    uint8_t enabled = 9;
    EXPECT_EQ(mBox->GetCommandState(u"NID_EDIT_COPY_REQ", enabled), S_OK);
    EXPECT_EQ(enabled, 0);
    EXPECT_EQ(mBox->GetCommandState(u"NID_EDIT_PASTE_REQ", enabled), S_OK);
    EXPECT_EQ(enabled, 0);  // "12" more would pass the maximum
    mBox->SelectRange(0, 0);
    EXPECT_EQ(mBox->GetCommandState(u"NID_EDIT_CUT_REQ", enabled), S_OK);
    EXPECT_EQ(enabled, 1);
    enabled = 9;
    EXPECT_EQ(mBox->GetCommandState(u"NID_MENU_FILE_NEW_PRESET", enabled), 1);
    EXPECT_EQ(enabled, 9);
}

TEST_F(TextBoxTest, ValidationMayRefuseOrReplaceTheText) {
    mBox->SetText(u"abc");
    RCPtr<NotificationRecorder> recorder = NotificationRecorder::Create(
        RCPtr<LNotificationDistributor>(mBox.Get()),
        {u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_VALIDATED", u"NID_TEXTBOX_TEXT_CHANGE"});
    recorder->onReceive = [](const std::u16string& name, LRefCountedObject* param) {
        if (name == u"NID_TEXTBOX_VALIDATING") {
            auto* params = dynamic_cast<LTextValidationParams*>(param);
            ASSERT_NE(params, nullptr);
            EXPECT_EQ(Str(params->initialText), u"abc");
            params->text = u"ABC";
        }
    };
    EXPECT_EQ(Key(0x200D0000), 1);
    EXPECT_EQ(Str(mBox->GetText()), u"ABC");
    EXPECT_EQ(recorder->GetNames(),
              (std::vector<std::u16string>{u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_TEXT_CHANGE",
                                           u"NID_TEXTBOX_VALIDATED"}));
    EXPECT_EQ(recorder->GetParams()[0].Get(), recorder->GetParams()[2].Get());
    recorder->Clear();
    recorder->onReceive = [](const std::u16string& name, LRefCountedObject* param) {
        if (name == u"NID_TEXTBOX_VALIDATING") {
            dynamic_cast<LTextValidationParams*>(param)->accepted = false;
        }
    };
    EXPECT_EQ(Key(0x200D0000), S_OK);  // refused: Enter is consumed
    EXPECT_FALSE(mBox->AcceptsInput());
    EXPECT_EQ(recorder->GetNames(),
              (std::vector<std::u16string>{u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_VALIDATING"}));
    // A refused text keeps the focus where it is.
    Focus();
    RCPtr<LControl> other = Find(mMain, u"other");
    EXPECT_NE(other->SetFocus(true), S_OK);
    EXPECT_TRUE(mBox->HasFocus());
    recorder->onReceive = nullptr;
    EXPECT_EQ(other->SetFocus(true), S_OK);
    EXPECT_FALSE(mBox->HasFocus());
}

TEST_F(TextBoxTest, PointerSelectsCharactersAndWords) {
    mBox->SetText(u"alpha beta");
    mDriver->MoveTo(10 + 2 + 10 * 7 + 2, 15);  // inside b of beta... left half of e
    mDriver->Press(1);
    mDriver->Release(1);
    EXPECT_EQ(mBox->GetCaretPosition(), 7);
    EXPECT_TRUE(mBox->HasFocus());
    // Ctrl+click selects the word without the blank after it.
    mBox->SetCaretPosition(8, false);
    RCPtr<LMouseButtonParam> click(new LMouseButtonParam(0, 0, KeyCode::kCtrl, 0, 1, false, 0));
    mBox->HandleLeftClick(click);
    EXPECT_EQ(mBox->GetSelectionStart(), 6);
    EXPECT_EQ(mBox->GetSelectionLength(), 4);
    EXPECT_EQ(mBox->GetCaretPosition(), 10);
    mBox->SetCaretPosition(2, false);
    mBox->ClearSelection();
    mBox->SetCaretPosition(2, true);
    RCPtr<LMouseButtonParam> doubleClick(new LMouseButtonParam(0, 0, 0, 0, 1, true, 0));
    mBox->HandleLeftClick(doubleClick);
    EXPECT_EQ(Str(mBox->GetSelectedText()), u"alpha");
    // Dragging from d to the right selects up to the pointer; Shift+press extends from the anchor.
    mDriver->MoveTo(10 + 2 + 10 * 1 + 1, 15);
    mDriver->Press(1);
    mDriver->MoveTo(10 + 2 + 10 * 3 + 1, 15);
    mDriver->MoveTo(10 + 2 + 10 * 4 + 1, 15);
    mDriver->Release(1);
    EXPECT_EQ(mBox->GetSelectionStart(), 1);
    EXPECT_EQ(mBox->GetSelectionLength(), 3);
    EXPECT_EQ(mBox->GetCaretPosition(), 4);
    mDriver->MoveTo(10 + 2 + 10 * 8 + 1, 15);
    mDriver->Press(1, KeyCode::kShift);
    mDriver->Release(1, KeyCode::kShift);
    EXPECT_EQ(mBox->GetSelectionStart(), 1);
    EXPECT_EQ(mBox->GetSelectionLength(), 7);
}

TEST_F(TextBoxTest, OnlyAnAutoScrollingBoxScrollsToTheCaret) {
    Focus();
    mBox->SetText(u"0123456789abcdef");  // 160 wide in a 100 wide area
    mBox->SetCaretPosition(16, false);
    EXPECT_EQ(mBox->GetScrollOffset().x, 0.0);
    mBox->SetAutoScroll(0, true);
    mBox->SetCaretPosition(15, false);
    mBox->SetCaretPosition(16, false);
    // Caret at 2 + 160 - 1 = 161: 161 + 1 + 3 - 102.
    EXPECT_EQ(mBox->GetScrollOffset().x, 63.0);
    EXPECT_EQ(mBox->HitTestCharacter({2, 5}), 6);  // what shows at the left edge
    // Back to a boundary out of view on the left: it shows 3 pixels into the text area.
    mBox->SetCaretPosition(5, false);
    EXPECT_EQ(mBox->GetScrollOffset().x, 2 + 50 - 2 - 3.0);
    mBox->SetCaretPosition(0, false);
    EXPECT_EQ(mBox->GetScrollOffset().x, 0.0);
    mBox->SetCaretPosition(16, false);
    // Losing the focus scrolls back.
    ASSERT_EQ(Find(mMain, u"other")->SetFocus(true), S_OK);
    EXPECT_EQ(mBox->GetScrollOffset().x, 0.0);
}

TEST_F(TextBoxTest, CaretBlinksWhileFocusedInTheColourThatShows) {
    mBox->SetText(u"ab");
    Focus();
    EXPECT_EQ(mBox->GetIdleWorkCount(), 1);
    EXPECT_TRUE(mBox->IsCaretShown());
    EXPECT_EQ(mBox->GetCaretRect().x, 2 + 0 - 1.0f);
    Pass(490);
    EXPECT_TRUE(mBox->IsCaretShown());
    Pass(20);
    EXPECT_FALSE(mBox->IsCaretShown());
    Pass(280);
    EXPECT_FALSE(mBox->IsCaretShown());
    Pass(20);
    EXPECT_TRUE(mBox->IsCaretShown());
    // A move shows the caret at once.
    Pass(500);
    ASSERT_FALSE(mBox->IsCaretShown());
    Key(0x20230000);
    EXPECT_TRUE(mBox->IsCaretShown());
    EXPECT_EQ(mBox->GetCaretRect().x, 2 + 20 - 1.0f);
    ASSERT_EQ(Find(mMain, u"other")->SetFocus(true), S_OK);
    EXPECT_EQ(mBox->GetIdleWorkCount(), 0);
    EXPECT_EQ(LTextBox::CaretColorFor(0xFFFFFFFF), 0xFF000000u);
    EXPECT_EQ(LTextBox::CaretColorFor(0xFF0054A5), 0xFFFFFFFFu);
    EXPECT_EQ(LTextBox::CaretColorFor(0xFF818181), 0xFF000000u);
    EXPECT_EQ(LTextBox::CaretColorFor(0xFF808080), 0xFFFFFFFFu);
}

TEST_F(TextBoxTest, LooksShowFocusSelectionAndDisabling) {
    mBox->SetText(u"abcdef");
    EXPECT_EQ(mBox->GetCurrentLookIndex(), 0);
    Focus();
    EXPECT_EQ(mBox->GetCurrentLookIndex(), 3);
    mBox->SelectRange(1, 2);
    EXPECT_EQ(mBox->GetLookWeight(3), 1.0f);
    EXPECT_EQ(mBox->GetLookWeight(10), 1.0f);
    // The overlay covers b and c: x 12 to 31 in the box.
    EXPECT_EQ(mBox->GetLookColorAt({20, 5}, 10), TestSupport::TextBoxLookColor(10));
    mBox->ClearSelection();
    EXPECT_EQ(mBox->GetLookWeight(10), 0.0f);
    mBox->SetEnabled(false);
    EXPECT_EQ(mBox->GetCurrentLookIndex(), 6);
}

}  // namespace
}  // namespace QV
