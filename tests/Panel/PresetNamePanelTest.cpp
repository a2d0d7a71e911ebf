#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Panel/ProductTreeFixture.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "UI/PresetNamePanel.h"

namespace {

using EditorTestSupport::Blob;
using QV::RCPtr;

class PresetNamePanelTest : public EditorTestSupport::ProductTreeFixture {
protected:
    void SetUp() override {
        ProductTreeFixture::SetUp();
        mPanel =
            RCPtr<LPresetNameEditPanel>(dynamic_cast<LPresetNameEditPanel*>(At(u"presetNamePanel").Get()));
        ASSERT_TRUE(mPanel && mPanel->GetTextBox());
        mText = mPanel->GetTextBox();
    }
    // 16 bytes: the characters, then zero bytes.
    static Bytes Name(const std::string& characters) {
        Bytes record(characters.begin(), characters.end());
        record.resize(16, 0);
        return record;
    }

    RCPtr<LPresetNameEditPanel> mPanel;
    RCPtr<QV::LTextBox> mText;
};

// The panel is the view tree's parameter 0, labelled, taking 16 characters of the name set.
TEST_F(PresetNamePanelTest, IsParameterZeroAndTakesSixteenCharactersOfTheSet) {
    EXPECT_EQ(dynamic_cast<QV::LControl*>(mMain->GetModule(0).Get()), At(u"presetNamePanel").Get());
    EXPECT_EQ(Shown(At(u"presetNamePanel/controlNameLabel")), "PRESET NAME");
    EXPECT_EQ(Narrow(mText->GetHintText()), "PRESET NAME");
    EXPECT_EQ(mText->GetMaxLength(), 16);
    EXPECT_EQ(mText->GetCharacterFilter().GetLength(), 71);
}

// Whatever the text holds (typed, pasted or set), the record carries only the name set's
// characters, upper-cased, at most 16, padded with zero bytes: nothing of 0x80 and above.
TEST_F(PresetNamePanelTest, TheRecordHoldsOnlyUpperCasedCharactersOfTheSet) {
    const struct {
        std::u16string text;
        Bytes sent;
    } cases[] = {
        {u"", Name("")},
        {u"Synth Lead", Name("SYNTH LEAD")},
        {u"abcdefghijklmnop", Name("ABCDEFGHIJKLMNOP")},
        {u"a-b.c/d=e[f\\g]h'", Name("A-B.C/D=E[F\\G]H'")},
        {u"0123456789", Name("0123456789")},
        // Outside the set: other punctuation, control characters, Latin-1, beyond.
        {u"x!y\"z#_~\t@", Name("XYZ")},
        {u"\u00e9t\u00e9 \u00ff\u0080\u20ac\u0141", Name("T ")},
        // A dropped character takes no place: 16 characters of the set still fit.
        {u"\u00e4abcdefghijklmno\u00fcp", Name("ABCDEFGHIJKLMNOP")},
        {u"ABCDEFGHIJKLMNOPQRS", Name("ABCDEFGHIJKLMNOP")},
    };
    for (const auto& c : cases) {
        mText->SetTextInternal(u"?", true);
        mEngine.writes.clear();
        mText->SetTextInternal(QV::WString(c.text.c_str()), true);
        ASSERT_EQ(mEngine.writes.size(), 1u) << Narrow(QV::WString(c.text.c_str()));
        EXPECT_EQ(mEngine.writes[0].descriptor.paramID, 0);
        EXPECT_EQ(BytesOf(mEngine.writes[0].value), c.sent) << Narrow(QV::WString(c.text.c_str()));
        // The box keeps what was given until the engine's value comes back.
        EXPECT_EQ(mText->GetText(), QV::WString(c.text.c_str()));
    }
}

// The engine's record shows in the box without going back; zero bytes anywhere are skipped, a
// record longer than 16 bytes shows whole, and another parameter's value is refused.
TEST_F(PresetNamePanelTest, ARecordShowsWithoutGoingBack) {
    const struct {
        Bytes record;
        std::string shown;
    } cases[] = {
        {{0x41, 0x42, 0x00, 0x43, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "ABC"},
        {Name("PRESET"), "PRESET"},
        {Bytes(20, 0x5A), std::string(20, 'Z')},
        {Bytes(16, 0), ""},
    };
    for (const auto& c : cases) {
        Apply(0, c.record);
        EXPECT_EQ(Narrow(mText->GetText()), c.shown);
    }
    // With the caret at the start the name shows from its first letter, none of it scrolled away.
    Apply(0, Name("PRESET"));
    EXPECT_EQ(mText->GetCaretPosition(), 0);
    EXPECT_EQ(mText->GetScrollOffset().x, 0.0);
    EXPECT_TRUE(mEngine.writes.empty());
    // The typed letters come back in capitals, the caret where it was.
    mText->SetTextInternal(u"lead", false);
    ASSERT_EQ(mEngine.writes.size(), 1u);
    mText->SetCaretPosition(2, true);
    Apply(0, BytesOf(mEngine.writes[0].value));
    EXPECT_EQ(Narrow(mText->GetText()), "LEAD");
    EXPECT_EQ(mText->GetCaretPosition(), 2);
    EXPECT_EQ(mEngine.writes.size(), 1u);
    EXPECT_EQ(mPanel->SetParamValueLocal(QV::ParamDescriptor(1), Blob(Name("OTHER")), true), QV::E_FAIL);
    EXPECT_EQ(Narrow(mText->GetText()), "LEAD");
    // Still bound: the next edit goes out.
    mText->SetTextInternal(u"LEAD 2", false);
    EXPECT_EQ(mEngine.writes.size(), 2u);
}

// The engine's values come back queued: while the user types on, each value that arrives is of an
// edit older than the box's text. Typing stays as typed, the caret follows the typing, and the
// name ends in capitals once the last edit's value is back; at no time does anything go back.
TEST_F(PresetNamePanelTest, LateValuesDoNotScrambleTyping) {
    for (const size_t lag : {size_t{1}, size_t{2}, size_t{5}}) {
        Apply(0, Name("OLD NAME"));
        mText->SelectRange(0, -1);
        mEngine.writes.clear();
        const std::u16string typed = u"lead 2/b";
        size_t delivered = 0;
        for (const char16_t c : typed) {
            mText->InsertCharacter(c);
            while (mEngine.writes.size() > delivered + lag) {
                Apply(0, BytesOf(mEngine.writes[delivered++].value));
            }
        }
        EXPECT_EQ(Narrow(mText->GetText()), "lead 2/b") << lag;
        while (delivered < mEngine.writes.size()) {
            Apply(0, BytesOf(mEngine.writes[delivered++].value));
        }
        EXPECT_EQ(Narrow(mText->GetText()), "LEAD 2/B") << lag;
        EXPECT_EQ(mText->GetCaretPosition(), 8) << lag;
        EXPECT_EQ(mEngine.writes.size(), typed.size()) << lag;
        EXPECT_EQ(BytesOf(mEngine.writes.back().value), Name("LEAD 2/B")) << lag;
    }
}

// The value the box already shows, in its capitals or as typed, leaves caret and selection alone;
// a value of the engine's own (a preset loaded) replaces the text even with edits on their way.
TEST_F(PresetNamePanelTest, TheShownValueKeepsTheSelectionAndTheEnginesOwnReplaces) {
    mText->SetTextInternal(u"pad", false);
    mText->SelectRange(0, 1);
    mText->SetCaretPosition(2, false);
    for (int i = 0; i < 2; ++i) {
        Apply(0, Name("PAD"));
        EXPECT_EQ(Narrow(mText->GetText()), "PAD");
        EXPECT_EQ(mText->GetSelectionStart(), 0);
        EXPECT_EQ(mText->GetSelectionLength(), 2);
        EXPECT_EQ(mText->GetCaretPosition(), 2);
    }
    mText->InsertCharacter(u'x');
    mText->InsertCharacter(u'y');
    ASSERT_EQ(Narrow(mText->GetText()), "xyD");
    Apply(0, Name("PIANO"));
    EXPECT_EQ(Narrow(mText->GetText()), "PIANO");
    // The engine's later values show again.
    Apply(0, Name("BASS"));
    EXPECT_EQ(Narrow(mText->GetText()), "BASS");
}

}  // namespace
