#include "RIZozivirod/Controls/PopupMenu.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "RIZozivirod/Application/Windows/RootWindow.h"
#include "RIZozivirod/ControlBase/HotKeyTable.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

// The application's shortcuts as the popup and the context-menu commands see them: a table, and
// the commands its keys sent.
class RecordingApplicationHotKeys : public IRootWindowList {
public:
    int32_t GetRootWindowCount() override { return 0; }
    LRootWindow* GetRootWindowAt(int32_t) override { return nullptr; }
    int32_t IndexOfRootWindow(const LRootWindow*) override { return -1; }
    int32_t HandleApplicationHotKey(const KeyCode& key) override {
        const WString command = table.FindCommand(key);
        if (command.IsEmpty()) {
            return 1;
        }
        sent.emplace_back(command.GetString());
        return 0;
    }
    const LHotKeyTable* GetApplicationHotKeyTable() override { return &table; }

    LHotKeyTable table;
    std::vector<std::u16string> sent;
};

// A control whose menu commands have states: "NID_CUT" is disabled while cutDisabled is set.
class MenuOwner : public LControl {
public:
    using LControl::LControl;
    int32_t GetCommandState(const WString& command, uint8_t& enabled) override {
        if (command == u"NID_CUT") {
            enabled = cutDisabled ? 0 : 1;
            return S_OK;
        }
        return 1;
    }
    bool cutDisabled = false;
};

std::string RowLookList(const char* name) {
    std::string looks = std::string(R"(<LookLists><LookList Name=")") + name + R"(" NumLooks="14">)";
    for (int i = 0; i < 14; ++i) {
        looks += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    return looks + "</LookList></LookLists>";
}

// An owner at (20, 20) and a second focusable control in a 400 x 300 window; the skin's context
// menu has rows 22 pixels high.
class PopupMenuTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mPreviousList = SetRootWindowList(&mApplication);
        mApplication.table.AddBinding(KeyCode(u'V' - u'A' + 0x41, true, 0, 0x1), WString(u"NID_PASTE"));
        mApplication.table.LoadFromEntries(Entries(), WString(u"GHK"));
        mFactory->RegisterControlClass(u"Test.Owner", &CreateControlFunction<MenuOwner>);
        LoadSkin(TestSupport::SolidLooks() + RowLookList("Row") + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid">
            <SubControl Class="Test.Owner" Name="Owner" TabStop="1" XPositionAbs="20" YPositionAbs="20" XSizeAbs="375" YSizeAbs="150">
              <Skin Name="o" LookList="Solid"/></SubControl>
            <SubControl Class="Test.Control" Name="Other" TabStop="2" XPositionAbs="20" YPositionAbs="200" XSizeAbs="100" YSizeAbs="30">
              <Skin Name="o" LookList="Solid"/></SubControl>
          </Skin></SubControl>
          <SubControl Class="Framework.PopupMenu" Name="contextMenu" XSizeAbs="160" YSizeAbs="24"><Skin Name="m" LookList="Solid">
            <SubControl Class="Framework.MenuItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
                        YSizeAbs="22"><CreateParamList><CreateParam ID="NOT_FOCUSABLE">True</CreateParam></CreateParamList>
              <Skin Name="r" LookList="Row">
                <SubControl Class="Framework.Button" Name="checkBox" XPositionAbs="3" YPositionAbs="3" XSizeAbs="16" YSizeAbs="16">
                  <Skin Name="b" LookList="Row"/></SubControl>
                <SubControl Class="Framework.Label" Name="hotKeyLabel" XPositionRel="1" XPositionAbs="-15" XPlacementAnchor="1"
                            XSizeAbs="60" YSizeAbs="16" YPositionAbs="3"><Skin Name="l" LookList="Row"/></SubControl>
              </Skin></SubControl>
          </Skin></SubControl></Skin>)");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mOwner = RCPtr<MenuOwner>(dynamic_cast<MenuOwner*>(Find(mMain, u"Owner").Get()));
        ASSERT_TRUE(mOwner);
        RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
        menu->InsertItem(0, WString(u"Cut"), WString(u"NID_CUT"), true, false);
        menu->InsertSeparator(1);
        menu->InsertItem(2, WString(u"Paste"), WString(u"NID_PASTE"), true, false);
        menu->InsertItem(3, WString(u"Save As"), WString(u"NID_SAVE_AS"), true, false);
        mOwner->SetContextMenu(RCPtr<LRefCountedObject>(menu.Get()));
        mOwner->SetFocus(true);
    }
    void TearDown() override {
        mOwner = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
        SetRootWindowList(mPreviousList);
    }
    static Array<LStringTable::Entry> Entries() {
        Array<LStringTable::Entry> entries;
        entries.Add({WString(u"GHK.NID_SAVE_AS"), WString(u"Shift+Ctrl+VKEY_S")});
        return entries;
    }
    RCPtr<LPopupMenu> OpenAt(int32_t x, int32_t y) {
        InputDriver driver(mWindow);
        driver.Click(x, y, 4);
        return RCPtr<LPopupMenu>(dynamic_cast<LPopupMenu*>(mOwner->FindChild(WString(u"contextMenu")).Get()));
    }
    void Key(uint32_t virtualKey) { InputDriver(mWindow).Key(virtualKey); }

    RecordingApplicationHotKeys mApplication;
    IRootWindowList* mPreviousList = nullptr;
    RCPtr<LControl> mMain;
    RCPtr<MenuOwner> mOwner;
};

TEST_F(PopupMenuTest, ARightClickOpensTheMenuAtThePointerWithItsRowsAndKeyTexts) {
    RCPtr<LPopupMenu> popup = OpenAt(60, 40);
    ASSERT_TRUE(popup);
    EXPECT_TRUE(popup->IsVisible(true));
    EXPECT_TRUE(popup->HasFocus());
    EXPECT_EQ(popup->GetRectInWindow(), (PointT<double>{60, 40}));
    ASSERT_EQ(popup->GetItemCount(), 4);
    const struct {
        int32_t slot;
        const char16_t* text;
        const char16_t* keys;
        double height;
    } rows[] = {
        {0, u"Cut", u"", 22},
        {1, u"", u"", LPopupMenu::kSeparatorRowHeight},
        {2, u"Paste", u"Ctrl+V", 22},
        {3, u"Save As", u"Ctrl+Shift+S", 22},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << row.slot);
        RCPtr<LMenuListBoxItem> item = popup->GetItemControl(row.slot);
        ASSERT_TRUE(item);
        EXPECT_EQ(std::u16string(item->GetText().GetString()), row.text);
        EXPECT_EQ(std::u16string(item->GetHotKeyLabel()->GetText().GetString()), row.keys);
        EXPECT_EQ(item->GetFrame().height, row.height);
    }
    EXPECT_EQ(popup->GetFrame().height, 3 * 22 + LPopupMenu::kSeparatorRowHeight);
    // Near the bottom right the menu moves to stay inside the window; the first one went.
    mWindow->SetRect({0, 0, 400, 200});
    RCPtr<LPopupMenu> low = OpenAt(390, 160);
    ASSERT_TRUE(low);
    EXPECT_FALSE(popup->GetParent());
    EXPECT_EQ(low->GetRectInWindow().x + low->GetFrame().width, 400);
    EXPECT_EQ(low->GetRectInWindow().y + low->GetFrame().height, 200);
}

TEST_F(PopupMenuTest, AClosedMenuKeepsOneRowAndMakesTheOthersWhenItOpens) {
    RCPtr<LPopupMenu> popup(dynamic_cast<LPopupMenu*>(
        mFactory
            ->CreateControl(mFactory->FindControlDescriptor(u"contextMenu"), RCPtr<LControl>(mOwner.Get()))
            .Get()));
    ASSERT_TRUE(popup);
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    menu->InsertItem(0, WString(u"Cut"), WString(u"NID_CUT"), true, false);
    menu->InsertSeparator(1);
    menu->InsertItem(2, WString(u"Paste"), WString(u"NID_PASTE"), true, true);
    menu->InsertItem(3, WString(u"Save As"), WString(u"NID_SAVE_AS"), true, false);
    ASSERT_EQ(popup->SetMenuDescriptor(menu), S_OK);
    EXPECT_FALSE(popup->IsVisible(false));
    EXPECT_EQ(popup->GetItemControlCount(), 1);
    // Sized for all its items while closed.
    const RectT<double> closed = popup->GetFrame();
    EXPECT_EQ(closed.height, 3 * 22 + LPopupMenu::kSeparatorRowHeight);
    popup->ShowAtCursor();
    ASSERT_TRUE(popup->IsVisible(true));
    ASSERT_EQ(popup->GetItemControlCount(), 4);
    EXPECT_EQ(popup->GetFrame().width, closed.width);
    EXPECT_EQ(popup->GetFrame().height, closed.height);
    const bool checked[] = {false, false, true, false};
    for (int32_t slot = 0; slot < 4; ++slot) {
        RCPtr<LMenuListBoxItem> item = popup->GetItemControl(slot);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->GetText(), popup->GetItemText(slot)) << slot;
        if (RCPtr<LButton> box = item->GetCheckBox(); box && slot != 1) {
            EXPECT_EQ(box->IsChecked(), checked[slot]) << slot;
        }
    }
    EXPECT_EQ(std::u16string(popup->GetItemControl(3)->GetHotKeyLabel()->GetText().GetString()),
              u"Ctrl+Shift+S");
}

// The key chord takes its row's look, so that a skin can keep it readable on the highlighted row.
TEST_F(PopupMenuTest, TheKeyChordTakesTheLookOfItsRowAsTheHighlightMoves) {
    RCPtr<LPopupMenu> popup = OpenAt(60, 40);
    ASSERT_TRUE(popup);
    RCPtr<LMenuListBoxItem> paste = popup->GetItemControl(2);
    ASSERT_TRUE(paste);
    const int32_t plain = paste->GetCurrentLookIndex();
    EXPECT_EQ(paste->GetHotKeyLabel()->GetCurrentLookIndex(), plain);
    Key(0x28);  // Down: "Cut"
    Key(0x28);  // Down: over the separator to "Paste"
    EXPECT_NE(paste->GetCurrentLookIndex(), plain);
    EXPECT_EQ(paste->GetHotKeyLabel()->GetCurrentLookIndex(), paste->GetCurrentLookIndex());
    Key(0x28);  // Down: "Save As"
    EXPECT_EQ(paste->GetCurrentLookIndex(), plain);
    EXPECT_EQ(paste->GetHotKeyLabel()->GetCurrentLookIndex(), plain);
}

TEST_F(PopupMenuTest, InAWindowOfItsOwnTheMenuReachesPastTheWindowAndStaysOnTheDesktop) {
    // The window is 400 x 300; the menu, 160 x 75, opens at 390,160 near its right edge.
    const struct {
        const char* name;
        RectT<int32_t> desktop;
        double x;
    } cases[] = {
        {"room on the desktop: past the window's edge", {-100, -50, 1920, 1080}, 390},
        {"the desktop ends first: moved in to its edge", {-100, -50, 520, 400}, 260},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mWindow->SetPopupAreaForTest(c.desktop);
        RCPtr<LPopupMenu> popup = OpenAt(390, 160);
        ASSERT_TRUE(popup);
        EXPECT_EQ(popup->GetRectInWindow(), (PointT<double>{c.x, 160}));
        const auto shown = mWindow->GetPopupWindows().find(popup.Get());
        ASSERT_NE(shown, mWindow->GetPopupWindows().end());
        EXPECT_EQ(shown->second, (RectT<int32_t>{static_cast<int32_t>(c.x), 160, 160, 75}));
        Key(0x1B);
        EXPECT_TRUE(mWindow->GetPopupWindows().empty());
        mWindow->SendIdle();
    }
    // The part past the window takes the pointer: a release on "Paste" there (left of its key
    // text) chooses it.
    mWindow->SetPopupAreaForTest({-100, -50, 1920, 1080});
    RCPtr<LPopupMenu> popup = OpenAt(390, 160);
    ASSERT_TRUE(popup);
    InputDriver driver(mWindow);
    driver.MoveTo(440, 160 + 22 + 9 + 5);
    driver.Press();
    driver.Release();
    EXPECT_EQ(mApplication.sent, std::vector<std::u16string>{u"NID_PASTE"});
    EXPECT_TRUE(mWindow->GetPopupWindows().empty());
}

TEST_F(PopupMenuTest, AChosenCommandGoesOnceWhereItsShortcutWouldAndTheFocusReturns) {
    RCPtr<LPopupMenu> popup = OpenAt(60, 40);
    ASSERT_TRUE(popup);
    Key(0x28);  // Down: "Cut"
    Key(0x28);  // Down: over the separator to "Paste"
    EXPECT_EQ(popup->GetCurrentIndex(), 2);
    Key(0x0D);
    EXPECT_EQ(mApplication.sent, std::vector<std::u16string>{u"NID_PASTE"});
    EXPECT_TRUE(mOwner->HasFocus());
    EXPECT_FALSE(popup->IsVisible(false));
    mWindow->SendIdle();
    EXPECT_FALSE(mOwner->FindChild(WString(u"contextMenu")));
    // By the pointer: a release on a row chooses it; one on the separator chooses nothing.
    popup = OpenAt(60, 40);
    InputDriver driver(mWindow);
    driver.MoveTo(80, 40 + 22 + 4);
    driver.Press();
    driver.Release();
    EXPECT_TRUE(popup->IsVisible(false));
    driver.MoveTo(80, 40 + 22 + 9 + 22 + 5);
    driver.Press();
    driver.Release();
    EXPECT_EQ(mApplication.sent, (std::vector<std::u16string>{u"NID_PASTE", u"NID_SAVE_AS"}));
    EXPECT_FALSE(popup->IsVisible(false));
}

TEST_F(PopupMenuTest, EscapeAFocusChangeOrAPressElsewhereDismissWithoutACommand) {
    const struct {
        const char* name;
        std::function<void()> act;
    } ways[] = {
        {"Escape", [this] { Key(0x1B); }},
        {"focus moved", [this] { Find(mMain, u"Other")->SetFocus(true); }},
        {"press on a focusable control", [this] { InputDriver(mWindow).Click(30, 210); }},
        {"press where nothing takes the focus", [this] { InputDriver(mWindow).Click(300, 250); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        mOwner->SetFocus(true);
        RCPtr<LPopupMenu> popup = OpenAt(60, 40);
        ASSERT_TRUE(popup);
        way.act();
        EXPECT_TRUE(popup->IsDismissed());
        EXPECT_FALSE(popup->IsVisible(false));
        mWindow->SendIdle();
        EXPECT_FALSE(mOwner->FindChild(WString(u"contextMenu")));
        EXPECT_TRUE(mApplication.sent.empty());
    }
}

TEST_F(PopupMenuTest, CommandStatesAreAskedEachTimeTheMenuShows) {
    mOwner->cutDisabled = true;
    RCPtr<LPopupMenu> popup = OpenAt(60, 40);
    ASSERT_TRUE(popup);
    EXPECT_FALSE(popup->GetItemControl(0)->IsEnabled(false));
    EXPECT_FALSE(popup->IsItemSelectable(0));
    Key(0x28);  // Down skips the disabled row and the separator
    EXPECT_EQ(popup->GetCurrentIndex(), 2);
    Key(0x1B);
    mWindow->SendIdle();
    mOwner->cutDisabled = false;
    popup = OpenAt(60, 40);
    EXPECT_TRUE(popup->GetItemControl(0)->IsEnabled(false));
    // A state equal to the item's changes nothing.
    LMenuItemState state;
    popup->GetMenuDescriptor()->GetItemState(0, state);
    EXPECT_EQ(popup->SetItemState(0, state), 1);
    EXPECT_EQ(popup->SetItemState(4, state), E_INVALIDARG);
}

TEST_F(PopupMenuTest, ASubmenuOpensAfterThePointerRestsOnItsItemAndClosesOnALeaf) {
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    menu->InsertItem(0, WString(u"Cut"), WString(u"NID_CUT"), true, false);
    RCPtr<LMenuItemDescriptor> more = LMenuItemDescriptor::Create(WString(u"More"), WString(), true, false);
    more->InsertItem(0, WString(u"Inner"), WString(u"NID_PASTE"), true, false);
    menu->InsertItem(1, more);
    mOwner->SetContextMenu(RCPtr<LRefCountedObject>(menu.Get()));
    RCPtr<LPopupMenu> popup = OpenAt(60, 40);
    ASSERT_TRUE(popup);
    InputDriver driver(mWindow);
    driver.MoveTo(80, 40 + 22 + 5);
    EXPECT_EQ(popup->GetCurrentIndex(), 1);
    EXPECT_TRUE(popup->IsTimerArmed());
    mServices->AdvanceMs(LPopupMenu::kSubmenuDelayMs);
    mWindow->SendIdle();
    EXPECT_FALSE(popup->GetSubmenu());
    mServices->AdvanceMs(1);
    mWindow->SendIdle();
    RCPtr<LPopupMenu> submenu = popup->GetSubmenu();
    ASSERT_TRUE(submenu);
    EXPECT_TRUE(submenu->IsVisible(true));
    EXPECT_EQ(submenu->GetRectInWindow().x, 60 + popup->GetFrame().width);
    EXPECT_EQ(submenu->GetRectInWindow().y, 40 + 22);
    // Through the submenu: its item goes where its shortcut would.
    driver.MoveTo(static_cast<int32_t>(submenu->GetRectInWindow().x) + 20, 40 + 22 + 5);
    EXPECT_EQ(submenu->GetCurrentIndex(), 0);
    EXPECT_EQ(popup->GetCurrentIndex(), 1);  // the item that owns it stays selected
    driver.MoveTo(80, 40 + 5);               // back on a leaf of the first level
    mServices->AdvanceMs(LPopupMenu::kSubmenuDelayMs + 1);
    mWindow->SendIdle();
    EXPECT_FALSE(popup->GetSubmenu());
    EXPECT_FALSE(popup->IsTimerArmed());
    Key(0x1B);
    mWindow->SendIdle();
}

}  // namespace
}  // namespace QV
