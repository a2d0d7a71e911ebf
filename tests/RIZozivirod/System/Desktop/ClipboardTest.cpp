#include "RIZozivirod/System/Desktop/Clipboard.h"

#include <gtest/gtest.h>

#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {
namespace {

RCPtr<LRefCountedObject> ClipboardText(const WString& text) {
    return RCPtr<LRefCountedObject>(LClipboardText::Create(text));
}

class ValueObject : public LRefCountedObject {};

class ClipboardTest : public ::testing::Test {
protected:
    std::shared_ptr<Platform::InMemoryClipboard> mDesktop = std::make_shared<Platform::InMemoryClipboard>();
    RCPtr<LClipboard> mClipboard = LClipboard::Create(mDesktop);
};

TEST_F(ClipboardTest, TextCopiedHereIsPastedFromTheKeptValueAndReachesTheDesktopAsUtf8) {
    const RCPtr<LRefCountedObject> value = ClipboardText(u"Grand piano \u00E9\u20AC");
    EXPECT_EQ(mClipboard->SetText(value), S_OK);
    EXPECT_EQ(mDesktop->text, "Grand piano \xC3\xA9\xE2\x82\xAC");
    EXPECT_FALSE(mDesktop->hasMarker);

    EXPECT_EQ(mClipboard->GetText().Get(), value.Get());
    EXPECT_EQ(mDesktop->reads, 0);
}

TEST_F(ClipboardTest, AnotherProgramsCopyIsReadOnceAndALaterCopyHereStillReachesTheDesktop) {
    mClipboard->SetText(ClipboardText(u"mine"));
    mDesktop->CopyFromOtherProgram("theirs \xE2\x82\xAC");

    const RCPtr<LRefCountedObject> pasted = mClipboard->GetText();
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->ToString(), WString(u"theirs \u20AC"));
    EXPECT_EQ(mClipboard->GetText().Get(), pasted.Get());
    EXPECT_EQ(mDesktop->reads, 1);

    EXPECT_EQ(mClipboard->SetText(ClipboardText(u"again")), S_OK);
    EXPECT_EQ(mDesktop->text, "again");
}

TEST_F(ClipboardTest, AValueThatIsNotTextLeavesOnlyTheMarkerAndIsPastedFromTheKeptValue) {
    const RCPtr<LRefCountedObject> value(new ValueObject());
    EXPECT_EQ(mClipboard->SetText(value), S_OK);
    EXPECT_TRUE(mDesktop->hasMarker);
    EXPECT_FALSE(mDesktop->hasText);
    EXPECT_EQ(mClipboard->GetText().Get(), value.Get());
}

TEST_F(ClipboardTest, FailuresKeepTheValueAndTheNextReadTriesAgain) {
    // The desktop refuses the write: reported, and the value is kept for pasting here.
    mDesktop->writable = false;
    const RCPtr<LRefCountedObject> value = ClipboardText(u"kept");
    EXPECT_EQ(mClipboard->SetText(value), E_FAIL);
    EXPECT_EQ(mClipboard->GetText().Get(), value.Get());

    // A read that fails keeps what was there, and a later read gets the new text.
    mDesktop->CopyFromOtherProgram("new");
    mDesktop->readable = false;
    EXPECT_EQ(mClipboard->GetText().Get(), value.Get());
    mDesktop->readable = true;
    EXPECT_EQ(mClipboard->GetText()->ToString(), WString(u"new"));

    // Null empties the kept value alone; an emptied desktop clipboard reads as nothing.
    EXPECT_EQ(mClipboard->SetText(nullptr), S_OK);
    EXPECT_EQ(mDesktop->text, "new");
    EXPECT_FALSE(mClipboard->GetText());
    mDesktop->hasText = false;
    ++mDesktop->changeCount;
    EXPECT_FALSE(mClipboard->GetText());
}

// A desktop that tells its owner, during the write, that the old content is gone.
class ReentrantDesktop : public Platform::InMemoryClipboard {
public:
    bool SetText(const std::string& value) override {
        reentrantResult = owner->SetText(nullptr);
        return InMemoryClipboard::SetText(value);
    }
    LClipboard* owner = nullptr;
    int32_t reentrantResult = -1;
};

TEST(ClipboardWriteTest, AWriteDuringAWriteIsRefusedAndLeavesTheValue) {
    auto desktop = std::make_shared<ReentrantDesktop>();
    const RCPtr<LClipboard> clipboard = LClipboard::Create(desktop);
    desktop->owner = clipboard.Get();
    const RCPtr<LRefCountedObject> value = ClipboardText(u"copied");
    EXPECT_EQ(clipboard->SetText(value), S_OK);
    EXPECT_EQ(desktop->reentrantResult, S_FALSE);
    EXPECT_EQ(clipboard->GetText().Get(), value.Get());
}

}  // namespace
}  // namespace QV
