#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/StringTable.h"
#include "RIZozivirod/Controls/ListBox.h"
#include "RIZozivirod/Controls/Scrollbar.h"
#include "RIZozivirod/ObjectBase/Holder.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

// Rows of 18 pixels that report odd items as not selectable (like the separators of a menu).
class OddRowsUnselectableList : public LListBox {
public:
    using LListBox::LListBox;
    bool IsItemSelectable(int32_t index) override { return index % 2 == 0 || !skipOdd; }
    bool skipOdd = false;
};

std::string RowLooks() {
    std::string looks = R"(<LookLists><LookList Name="Row" NumLooks="14">)";
    for (int i = 0; i < 14; ++i) {
        looks += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    return looks + "</LookList></LookLists>";
}

// A 120 x 90 list at (10, 10) in the window: five rows of 18 pixels, a 14-pixel vertical bar.
class ListBoxTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Test.OddList", &CreateControlFunction<OddRowsUnselectableList>);
        const std::string docked = R"(XIsDocked="True" YIsDocked="True")";
        LoadSkin(
            TestSupport::SolidLooks() + RowLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
          <SubControl Class="Test.OddList" Name="List" XPositionAbs="10" YPositionAbs="10" XSizeAbs="120" YSizeAbs="90">
            <Skin Name="s" LookList="Solid">)" +
            TestSupport::VerticalBar("vBar", docked + R"( XPositionRel="1" XPlacementAnchor="1" XSizeAbs="14"
                                                  YSizeToControl="Client" YSizeRel="1" YSizeAbs="0")",
                                     14) +
            R"(<SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1"
                          XSizeAbs="-14" YSizeAbs="18"><Skin Name="r" LookList="Row"/></SubControl>
            </Skin></SubControl></SubControl></Skin>)");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mList = RCPtr<OddRowsUnselectableList>(
            dynamic_cast<OddRowsUnselectableList*>(Find(mMain, u"List").Get()));
        ASSERT_TRUE(mList);
    }
    void TearDown() override {
        mList = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    void Fill(int32_t count) {
        mList->SetBatchUpdate(true);
        mList->SetItemCount(count);
        for (int32_t i = 0; i < count; ++i) {
            mList->SetItemData(i, LListBox::CreateItemString(WString::Format(u"item %d", i)));
        }
        mList->SetBatchUpdate(false);
        mList->UpdateClientExtent();
    }
    void FillTexts(std::initializer_list<const char16_t*> texts) {
        mList->RemoveAllItems();
        int32_t i = 0;
        for (const char16_t* text : texts) {
            mList->InsertItem(i++, LListBox::CreateItemString(WString(text)));
        }
    }
    std::u16string ShownText(int32_t slot) {
        RCPtr<LListBoxItem> item = mList->GetItemControl(slot);
        return item ? std::u16string(item->GetText().GetString()) : u"<none>";
    }
    void Scroll(double y) { mList->SetScrollOffset({0, y}); }

    RCPtr<LControl> mMain;
    RCPtr<OddRowsUnselectableList> mList;
};

TEST_F(ListBoxTest, RowControlsFollowTheVisibleHeightNotTheItemCount) {
    EXPECT_EQ(mList->GetItemHeight(), 18);
    EXPECT_FALSE(mList->FindChild(WString(u"templateItem")));  // measured, then closed
    Fill(100000);
    EXPECT_EQ(mList->GetItemControlCount(), 5);
    EXPECT_EQ(mList->GetClientExtent().y, 100000.0 * 18);
    EXPECT_EQ(ShownText(0), u"item 0");
    EXPECT_EQ(ShownText(4), u"item 4");
    // A taller list gets more rows, each below the last; a shorter one keeps them.
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    mList->GetPlacement(1, placement, size);
    size.offset = 180;
    mList->SetPlacement(1, placement, size);
    EXPECT_EQ(mList->GetItemControlCount(), 10);
    RCPtr<LListBoxItem> last = mList->GetItemControl(9);
    ASSERT_TRUE(last);
    EXPECT_EQ(std::u16string(last->GetName().GetString()), u"ItemControl10");
    EXPECT_EQ(last->GetFrame().y, 9 * 18.0);
    EXPECT_EQ(ShownText(9), u"item 9");
    size.offset = 40;
    mList->SetPlacement(1, placement, size);
    EXPECT_EQ(mList->GetItemControlCount(), 10);
}

TEST_F(ListBoxTest, ScrollingMovesByWholeRowsAndRebindsOnlyTheShownRows) {
    Fill(1000);
    Scroll(18 * 50 + 7);  // not a whole row: the row under the truncated offset comes first
    EXPECT_EQ(mList->GetFirstShownRow(), 50);
    EXPECT_EQ(ShownText(0), u"item 50");
    EXPECT_EQ(ShownText(4), u"item 54");
    // The bar counts rows: one line step is one row, its range the rows below the last page.
    const RCPtr<LScrollbar>& bar = mList->GetVerticalBar();
    ASSERT_TRUE(bar);
    Scroll(0);
    bar->SetNormalizedValue(bar->lineStep);
    EXPECT_EQ(mList->GetScrollOffset().y, 18.0);
    bar->SetNormalizedValue(1.0);
    EXPECT_EQ(mList->GetScrollOffset().y, (1000 - 5) * 18.0);
    EXPECT_EQ(ShownText(4), u"item 999");
    // Hidden items take no row.
    Scroll(0);
    mList->SetItemHidden(1, true);
    mList->SetItemHidden(2, true);
    mList->RebindFrom(0);
    EXPECT_EQ(ShownText(1), u"item 3");
    Scroll(18);
    EXPECT_EQ(mList->GetFirstShownRow(), 3);
    EXPECT_EQ(ShownText(0), u"item 3");
    EXPECT_EQ(mList->GetContentHeight(), 998 * 18);
}

TEST_F(ListBoxTest, EnsureItemVisibleScrollsOnlyAsFarAsNeeded) {
    Fill(20);
    const struct {
        double from;    // scroll offset before
        int32_t index;  // item to show
        int32_t first;  // first shown row after
    } cases[] = {
        {0, 3, 0},                           // already shown
        {0, 4, 0},                           // the last full row
        {0, 7, 3},                           // below: becomes the last full row
        {18 * 10, 2, 2},                     // above: becomes the first row
        {0, 17, 15},                         // inside the last page: the last page
        {0, 19, 15},     {18 * 15, 16, 15},  // shown in the last page
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " item " << c.index);
        Scroll(c.from);
        EXPECT_EQ(mList->EnsureItemVisible(c.index), S_OK);
        EXPECT_EQ(mList->GetFirstShownRow(), c.first);
        EXPECT_EQ(mList->GetScrollOffset().y, c.first * 18.0);
    }
    EXPECT_EQ(mList->EnsureItemVisible(20), E_INVALIDARG);
    EXPECT_EQ(mList->EnsureItemVisible(-1), E_INVALIDARG);
}

TEST_F(ListBoxTest, RemoveItemKeepsAnchorAndCurrentOnTheirItems) {
    Fill(10);
    RCPtr<NotificationRecorder> changes =
        NotificationRecorder::Create(RCPtr<LControl>(mList), {u"NID_SELECTION_CHANGE"});
    // Removing above the selection moves it up with its item.
    mList->SelectRange(5, -1, true);
    changes->Clear();
    EXPECT_EQ(mList->RemoveItem(2), 9);
    EXPECT_EQ(mList->GetAnchorIndex(), 4);
    EXPECT_EQ(mList->GetCurrentIndex(), 4);
    EXPECT_TRUE(mList->IsItemSelected(4));
    EXPECT_EQ(mList->GetItemText(4), u"item 5");
    EXPECT_TRUE(changes->GetNames().empty());
    // Removing below it changes nothing.
    mList->RemoveItem(8);
    EXPECT_EQ(mList->GetCurrentIndex(), 4);
    // Removing the selected item reports the change and leaves nothing current.
    mList->RemoveItem(4);
    EXPECT_EQ(changes->GetNames().size(), 1u);
    EXPECT_EQ(mList->GetAnchorIndex(), -1);
    EXPECT_EQ(mList->GetCurrentIndex(), -1);
    EXPECT_EQ(mList->GetSelectedCount(), 0);
    EXPECT_EQ(mList->RemoveItem(7), E_INVALIDARG);
    // Fewer items: removed from the end; the same count returns at once.
    EXPECT_EQ(mList->SetItemCount(3), 3);
    EXPECT_EQ(mList->GetItemText(2), u"item 3");
    EXPECT_EQ(mList->SetItemCount(3), 3);
    // The rows past the end show nothing and take no input.
    EXPECT_EQ(ShownText(3), u"");
    EXPECT_FALSE(mList->GetItemControl(3)->IsEnabled(false));
}

TEST_F(ListBoxTest, KeysMoveTheSelectionOverSelectableRowsAndReturnActivates) {
    Fill(6);
    mList->skipOdd = true;
    mWindow->SetFocusControl(RCPtr<LControl>(mList));
    RCPtr<NotificationRecorder> events = NotificationRecorder::Create(
        RCPtr<LControl>(mList), {u"NID_SELECTION_CHANGE", u"NID_ITEM_ACTIVATED"});
    const auto key = [this](uint32_t code) {
        return mList->HandleKeyDown(LKeyParam::Create(KeyCode(code, true, 0, 0), true));
    };
    EXPECT_EQ(key(0x26), S_OK);  // Up with nothing current: nothing
    EXPECT_EQ(mList->GetCurrentIndex(), -1);
    EXPECT_EQ(key(0x0D), S_OK);  // Return with nothing current: nothing
    EXPECT_TRUE(events->GetNames().empty());
    key(0x28);  // Down: the first selectable row
    EXPECT_EQ(mList->GetCurrentIndex(), 0);
    key(0x28);  // skips row 1
    EXPECT_EQ(mList->GetCurrentIndex(), 2);
    key(0x28);
    key(0x28);  // past the last selectable row: stays
    EXPECT_EQ(mList->GetCurrentIndex(), 4);
    key(0x26);
    EXPECT_EQ(mList->GetCurrentIndex(), 2);
    EXPECT_EQ(mList->GetSelectedCount(), 1);
    EXPECT_EQ(key(0x0D), S_OK);
    EXPECT_EQ(events->GetNames(),
              (std::vector<std::u16string>{u"NID_SELECTION_CHANGE", u"NID_SELECTION_CHANGE",
                                           u"NID_SELECTION_CHANGE", u"NID_SELECTION_CHANGE",
                                           u"NID_ITEM_ACTIVATED"}));
    EXPECT_EQ(key(0x41), 1);  // a letter is not the list's
    // Page Down goes to the bar: a page of rows (row 4 took the list to its last page, row 1).
    Fill(30);
    EXPECT_EQ(mList->GetFirstShownRow(), 1);
    key(0x22);
    EXPECT_EQ(mList->GetFirstShownRow(), 6);
}

TEST_F(ListBoxTest, ClicksSelectDoubleClicksReportAndRightClicksCarryTheRow) {
    Fill(10);
    Scroll(18 * 3);
    RCPtr<NotificationRecorder> events = NotificationRecorder::Create(
        RCPtr<LControl>(mList),
        {u"NID_SELECTION_CHANGE", u"NID_ITEM_DOUBLE_CLICKED", u"NID_ITEM_RIGHT_CLICK"});
    InputDriver driver(mWindow);
    driver.Click(30, 10 + 18 + 5);  // the second row shows item 4
    EXPECT_TRUE(mList->IsItemSelected(4));
    EXPECT_TRUE(mList->HasFocus());  // the row passes the focus to its list
    RCPtr<LListBoxItem> row = mList->GetItemControl(1);
    row->OnMouseDown(RCPtr<LMouseButtonParam>(new LMouseButtonParam(5, 5, 0, 0, 1, true, 1)));
    row->OnMouseUp(RCPtr<LMouseButtonParam>(new LMouseButtonParam(5, 5, 0, 0, 1, true, 0)));
    driver.Click(30, 10 + 3 * 18 + 5, 4);  // right: item 6, no selection change
    row->OnMouseDown(RCPtr<LMouseButtonParam>(new LMouseButtonParam(5, 5, 0, 0, 4, true, 4)));
    row->OnMouseUp(RCPtr<LMouseButtonParam>(new LMouseButtonParam(5, 5, 0, 0, 4, true, 0)));
    EXPECT_EQ(events->GetNames(),
              (std::vector<std::u16string>{u"NID_SELECTION_CHANGE", u"NID_ITEM_DOUBLE_CLICKED",
                                           u"NID_ITEM_RIGHT_CLICK"}));
    auto* rowIndex = dynamic_cast<LHolder<int>*>(events->GetParams()[2].Get());
    ASSERT_NE(rowIndex, nullptr);
    EXPECT_EQ(rowIndex->GetValue(), 6);
    EXPECT_TRUE(mList->IsItemSelected(4));
}

TEST_F(ListBoxTest, SortingByTextKeepsTheSelectionOnItsItem) {
    FillTexts({u"c", u"A", u"b", u"a"});
    mList->SelectRange(0, -1, true);
    RCPtr<NotificationRecorder> changes =
        NotificationRecorder::Create(RCPtr<LControl>(mList), {u"NID_SELECTION_CHANGE"});
    EXPECT_TRUE(mList->SortAll());
    std::vector<std::u16string> texts;
    for (int32_t i = 0; i < mList->GetItemCount(); ++i) {
        texts.emplace_back(mList->GetItemText(i).GetString());
    }
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"A", u"a", u"b", u"c"}));  // equal texts keep their order
    EXPECT_EQ(mList->GetCurrentIndex(), 3);
    EXPECT_EQ(mList->GetAnchorIndex(), 3);
    EXPECT_TRUE(mList->IsItemSelected(3));
    EXPECT_EQ(mList->GetSelectedCount(), 1);
    EXPECT_EQ(ShownText(3), u"c");
    EXPECT_TRUE(changes->GetNames().empty());
    EXPECT_EQ(mList->SortItems(2, 3), E_INVALIDARG);
    EXPECT_EQ(mList->SortItems(1, 0), 1);
}

TEST_F(ListBoxTest, TextSearchesFindTheLastMatchOrWrapRoundFromTheStart) {
    FillTexts({u"x", u"y", u"X", u"x"});
    mList->InsertItem(4, nullptr);  // no data: never matches, not even the empty text
    EXPECT_EQ(mList->FindItemByText(WString(u"x"), true), 3);
    EXPECT_EQ(mList->FindItemByText(WString(u"X"), true), 2);
    EXPECT_EQ(mList->FindItemByText(WString(u"Y"), false), 1);
    EXPECT_EQ(mList->FindItemByText(WString(), false), -1);
    EXPECT_EQ(mList->SelectItemByText(WString(u"x"), 2, false), 3);
    EXPECT_EQ(mList->SelectItemByText(WString(u"x"), 3, false), 0);
    EXPECT_EQ(mList->SelectItemByText(WString(u"x"), 99, true), 0);
    EXPECT_EQ(mList->SelectItemByText(WString(u"z"), 0, false), -1);
    EXPECT_EQ(mList->GetCurrentIndex(), 0);
}

TEST_F(ListBoxTest, StringTableItemsKeepTheirNumbersAndSkipBadOnes) {
    Fill(2);
    EXPECT_EQ(mList->LoadItemsFromStringTable(nullptr), E_INVALIDARG);
    EXPECT_EQ(mList->GetItemCount(), 2);
    const struct {
        LStringTable::EntryMap entries;
        std::vector<std::u16string> texts;
    } cases[] = {
        {{{u"ITEM.00", u"zero"}, {u"ITEM.01", u"one"}, {u"ITEM.03", u"three"}, {u"LABEL", u"x"}},
         {u"zero", u"one", u"", u"three"}},
        // A negative number would write before the list; a huge one would make millions of rows.
        {{{u"ITEM.-1", u"minus"},
          {u"ITEM.2147483647", u"huge"},
          {u"ITEM.1024", u"over"},
          {u"ITEM.1", u"one"}},
         {u"", u"one"}},
        {{{u"item.0", u"lower case"}}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mList->LoadItemsFromStringTable(LStringTable::Create(c.entries)), S_OK);
        std::vector<std::u16string> texts;
        for (int32_t i = 0; i < mList->GetItemCount(); ++i) {
            texts.emplace_back(mList->GetItemText(i).GetString());
        }
        EXPECT_EQ(texts, c.texts);
    }
    LStringTable::EntryMap last{{u"ITEM.1023", u"last"}};
    mList->LoadItemsFromStringTable(LStringTable::Create(last));
    EXPECT_EQ(mList->GetItemCount(), 1024);
    EXPECT_EQ(mList->GetItemText(1023), u"last");
}

TEST_F(ListBoxTest, RowLooksFollowSelectionPointerAlternateAndSeparator) {
    Fill(3);
    RCPtr<LListBoxItem> row = mList->GetItemControl(0);
    const struct {
        bool selected;
        bool alternate;
        bool hover;
        int32_t look;
    } cases[] = {
        {false, false, false, 0}, {false, false, true, 1}, {true, false, false, 7},
        {true, false, true, 8},   {true, true, true, 11},  {false, true, false, 3},
    };
    for (const auto& c : cases) {
        mList->SetItemValue(0, c.selected ? 1.0 : 0.0);
        mList->SetItemAlternateLook(0, c.alternate);
        row->SetHighlighted(c.hover);
        EXPECT_EQ(row->GetCurrentLookIndex(), c.look) << c.selected << c.alternate << c.hover;
    }
    row->SetHighlighted(false);
    mList->SetItemSeparator(0, true);
    EXPECT_EQ(row->GetCurrentLookIndex(), 13);
    EXPECT_EQ(row->GetText(), u"");
    mList->SetEnabled(false);
    EXPECT_EQ(row->GetCurrentLookIndex(), 13);  // a disabled separator stays a separator
    EXPECT_EQ(mList->GetItemControl(1)->GetCurrentLookIndex(), 6);
    mList->SetEnabled(true);
    // Pressed, then dragged off: pressed look, then hover look.
    InputDriver driver(mWindow);
    RCPtr<LListBoxItem> second = mList->GetItemControl(1);
    driver.MoveTo(30, 10 + 18 + 5);
    driver.Press();
    driver.MoveTo(31, 10 + 18 + 6);
    EXPECT_EQ(second->GetCurrentLookIndex(), 9);  // selected by the press, pressed
    driver.MoveTo(300, 250);
    EXPECT_EQ(second->GetCurrentLookIndex(), 8);
    driver.Release();
}

TEST_F(ListBoxTest, DropDownModeFollowsThePointerAndReleaseChoosesOnce) {
    Fill(8);
    mList->SetDropDownMode(true);
    RCPtr<NotificationRecorder> events = NotificationRecorder::Create(
        RCPtr<LControl>(mList), {u"NID_SELECTION_CHANGE", u"NID_ITEM_ACTIVATED"});
    InputDriver driver(mWindow);
    driver.MoveTo(30, 10 + 5);
    EXPECT_TRUE(mList->IsItemSelected(0));  // hover selects
    EXPECT_EQ(driver.Press(), RCPtr<LControl>(mList->GetItemControl(0)));
    EXPECT_TRUE(mList->HasCapture());  // the list, not the row, holds the press
    EXPECT_FALSE(mList->GetItemControl(0)->HasCapture());
    driver.MoveTo(30, 10 + 2 * 18 + 5);
    EXPECT_EQ(mList->GetCurrentIndex(), 2);
    driver.MoveTo(300, 250);  // outside every row: nothing selected
    EXPECT_EQ(mList->GetSelectedCount(), 0);
    driver.MoveTo(30, 10 + 3 * 18 + 5);
    EXPECT_EQ(mList->GetCurrentIndex(), 3);
    driver.Release();
    EXPECT_EQ(events->GetNames(), (std::vector<std::u16string>{u"NID_ITEM_ACTIVATED"}));
    EXPECT_FALSE(mList->IsVisible(false));
    EXPECT_FALSE(mList->HasCapture());
}

TEST_F(ListBoxTest, DropDownHeightFitsTheRowsAndSnapsToWholeRows) {
    mList->SetDropDownMode(true);
    Fill(5);
    mList->FitHeightToContent(mList->GetContentHeight());
    EXPECT_EQ(mList->GetFrame().height, 90.0);
    const struct {
        double size;
        double snapped;
    } cases[] = {{99, 90}, {10, 18}, {36, 36}, {53, 36}};
    for (const auto& c : cases) {
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        mList->GetPlacement(1, placement, size);
        size.offset = c.size;
        mList->SetPlacement(1, placement, size);
        mList->SnapHeightToRows();
        mList->GetPlacement(1, placement, size);
        EXPECT_EQ(size.offset, c.snapped) << c.size;
    }
}

}  // namespace
}  // namespace QV
