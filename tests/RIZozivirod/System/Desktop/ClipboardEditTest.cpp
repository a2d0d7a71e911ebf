#include <gtest/gtest.h>

#include <vector>

#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/System/Desktop/Clipboard.h"
#include "RIZozivirod/System/Desktop/GlobalHotKeyManager.h"
#include "RIZozivirod/Utilities/Storage/Result.h"
#include "UITestSupport/ControlTestFixture.h"

namespace QV {
namespace {

// Edits what it is asked to, except pasting; answers 7.
class ClipboardEditableControl : public LControl {
public:
    using LControl::LControl;
    bool IsEditTarget() override { return true; }
    bool CanPerformEdit(int32_t kind) override { return kind != LClipboard::kEditPaste; }
    int32_t PerformEdit(int32_t kind) override {
        performed.push_back(kind);
        return 7;
    }
    std::vector<int32_t> performed;
};

class ClipboardEditTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mEditor = RCPtr<ClipboardEditableControl>(new ClipboardEditableControl(nullptr, u"Editor"));
        mField = RCPtr<LControl>(new LControl(RCPtr<LControl>(mEditor), u"Field"));
        mLoose = RCPtr<LControl>(new LControl(nullptr, u"Loose"));
        mClipboard = LClipboard::Create(std::make_shared<Platform::InMemoryClipboard>());
        mClipboard->SetFocusControlSource([this] { return mFocus; });
    }
    void TearDown() override {
        mClipboard = nullptr;
        mFocus = nullptr;
        mField = nullptr;
        mEditor = nullptr;
        mLoose = nullptr;
        ControlTestFixture::TearDown();
    }

    RCPtr<ClipboardEditableControl> mEditor;
    RCPtr<LControl> mField;
    RCPtr<LControl> mLoose;
    RCPtr<LControl> mFocus;
    RCPtr<LClipboard> mClipboard;
};

TEST_F(ClipboardEditTest, EditsGoToTheFocusControlsEditTargetAndAnswerOneWhenNoneCan) {
    struct Case {
        const char* what;
        RCPtr<LControl> focus;
        int32_t kind;
        int32_t result;
    };
    const Case cases[] = {
        {"no focus control", nullptr, LClipboard::kEditCopy, S_FALSE},
        {"no edit target above the focus", mLoose, LClipboard::kEditCut, S_FALSE},
        {"an edit target that cannot paste", mField, LClipboard::kEditPaste, S_FALSE},
        {"copy in the field's editor", mField, LClipboard::kEditCopy, 7},
        {"delete on the editor itself", RCPtr<LControl>(mEditor), LClipboard::kEditDelete, 7},
    };
    std::vector<int32_t> expected;
    for (const Case& c : cases) {
        mFocus = c.focus;
        EXPECT_EQ(mClipboard->PerformEdit(c.kind), c.result) << c.what;
        EXPECT_EQ(mClipboard->CanEditFocusedControl(c.kind), c.result == 7) << c.what;
        if (c.result == 7) {
            expected.push_back(c.kind);
        }
    }
    EXPECT_EQ(mEditor->performed, expected);
}

TEST_F(ClipboardEditTest, AnApplicationShortcutReachesTheFocusedEditorAtTheNextDrain) {
    mClipboard->Initialize();
    const RCPtr<LNotificationCenter> centre = GetMainNotificationCenter();
    const RCPtr<LGlobalHotKeyManager> hotKeys = LGlobalHotKeyManager::Create(centre->GetPostingReceiver());
    hotKeys->GetTable().AddBinding(KeyCode::Parse(u"Ctrl+VKEY_C"), u"NID_EDIT_COPY_REQ");
    hotKeys->GetTable().AddBinding(KeyCode::Parse(u"Ctrl+VKEY_X"), u"NID_EDIT_CUT_REQ");
    mFocus = mField;

    EXPECT_EQ(hotKeys->HandleKey(KeyCode('C', true, 0, KeyCode::kCtrl | KeyCode::kRightCtrl)), S_OK);
    EXPECT_EQ(hotKeys->HandleKey(KeyCode('X', true, 0, KeyCode::kCtrl)), S_OK);
    EXPECT_TRUE(mEditor->performed.empty());
    centre->ProcessQueue(false);
    EXPECT_EQ(mEditor->performed, (std::vector<int32_t>{LClipboard::kEditCopy, LClipboard::kEditCut}));

    // A released clipboard leaves the centre.
    mClipboard = nullptr;
    hotKeys->HandleKey(KeyCode('C', true, 0, KeyCode::kCtrl));
    centre->ProcessQueue(false);
    EXPECT_EQ(mEditor->performed.size(), 2u);
}

}  // namespace
}  // namespace QV
