#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/ListBox.h"
#include "RIZozivirod/Controls/MultiColumnListBox.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

std::string TableRowLooks() {
    std::string looks = R"(<LookLists><LookList Name="Row" NumLooks="14">)";
    for (int i = 0; i < 14; ++i) {
        looks += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    return looks + "</LookList></LookLists>";
}

std::string Column(int number) {
    const std::string n = std::to_string(number);
    const std::string x = std::to_string((number - 1) * 60);
    return R"(<SubControl Class="Framework.Button" Name="buttonColumnHeader)" + n + R"(" XPositionAbs=")" +
           x +
           R"(" XSizeAbs="60" YSizeAbs="20"><Skin Name="h" LookList="Solid"/></SubControl>
      <SubControl Class="Framework.listboxNoScroll" Name="listboxNoScroll)" +
           n + R"(" XPositionAbs=")" + x + R"(" YPositionAbs="20" XSizeAbs="60" YSizeAbs="90">
        <Skin Name="c" LookList="Solid">
          <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1"
                      XSizeAbs="0" YSizeAbs="18"><Skin Name="r" LookList="Row"/></SubControl>
        </Skin></SubControl>)";
}

// A table of three 60-pixel columns of five 18-pixel rows under 20-pixel headers, with the
// table's own vertical bar, at (10, 10) in the window.
class MultiColumnListBoxTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Framework.listboxNoScroll", &CreateControlFunction<LListBox>);
        mFactory->RegisterControlClass(u"Framework.listbox2ColumnSortable",
                                       &CreateControlFunction<LMultiColumnListBox>);
        const std::string docked = R"(XIsDocked="True" YIsDocked="True")";
        LoadSkin(TestSupport::SolidLooks() + TableRowLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
          <SubControl Class="Framework.listbox2ColumnSortable" Name="Table" XPositionAbs="10" YPositionAbs="10"
                      XSizeAbs="194" YSizeAbs="110"><Skin Name="t" LookList="Solid">)" +
                 TestSupport::VerticalBar("vBar",
                                          docked + R"( XPositionRel="1" XPlacementAnchor="1" XSizeAbs="14"
                     YPositionAbs="20" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0")",
                                          14) +
                 Column(1) + Column(2) + Column(3) + R"(</Skin></SubControl></SubControl>
          <SubControl Class="Framework.listbox2ColumnSortable" Name="Headless" XSizeAbs="100" YSizeAbs="100">
            <Skin Name="t" LookList="Solid"/></SubControl></Skin>)");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mTable = RCPtr<LMultiColumnListBox>(dynamic_cast<LMultiColumnListBox*>(Find(mMain, u"Table").Get()));
        ASSERT_TRUE(mTable);
        ASSERT_EQ(mTable->GetColumnCount(), 3);
    }
    void TearDown() override {
        mTable = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    // Rows of column 1 (the second) from the texts; the others get "a<row>" and "c<row>".
    void Fill(const std::vector<std::u16string>& middle) {
        for (int32_t c = 0; c < 3; ++c) {
            RCPtr<LListBox> column = mTable->GetColumn(c);
            column->RemoveAllItems();
            for (size_t r = 0; r < middle.size(); ++r) {
                const std::u16string text =
                    c == 1 ? middle[r] : std::u16string(c == 0 ? u"a" : u"c") + std::u16string(1, u'0' + r);
                column->InsertItem(static_cast<int32_t>(r),
                                   LListBox::CreateItemString(WString(text.c_str())));
            }
        }
    }
    std::vector<std::u16string> ColumnTexts(int32_t column) {
        std::vector<std::u16string> texts;
        for (int32_t r = 0; r < mTable->GetColumn(0)->GetItemCount(); ++r) {
            texts.emplace_back(mTable->GetCellText(column, r).GetString());
        }
        return texts;
    }
    std::vector<int32_t> SelectedRows(int32_t column) {
        std::vector<int32_t> rows;
        const Array<unsigned int>& indices = mTable->GetColumn(column)->GetSelectedIndices();
        for (uint32_t i = 0; i < indices.GetCount(); ++i) {
            rows.push_back(static_cast<int32_t>(indices.GetAt(i)));
        }
        return rows;
    }
    // The window point of a cell shown in the first five rows.
    static PointT<int32_t> Cell(int32_t column, int32_t row) {
        return {10 + column * 60 + 30, 30 + row * 18 + 9};
    }

    RCPtr<LControl> mMain;
    RCPtr<LMultiColumnListBox> mTable;
};

TEST_F(MultiColumnListBoxTest, HeaderClicksSortEveryColumnAndKeepTheSelectedRow) {
    Fill({u"Beta", u"alpha", u"Gamma"});
    mTable->GetColumn(2)->SelectRange(0, -1, true);  // the Beta row
    RCPtr<NotificationRecorder> recorder = NotificationRecorder::Create(mTable, {u"NID_SELECTION_CHANGE"});
    recorder->Clear();
    InputDriver driver(mWindow);
    const struct {
        int32_t header;
        std::vector<std::u16string> middle;
        std::vector<std::u16string> first;
        int32_t betaRow;
    } steps[] = {
        {1, {u"alpha", u"Beta", u"Gamma"}, {u"a1", u"a0", u"a2"}, 1},
        {1, {u"Gamma", u"Beta", u"alpha"}, {u"a2", u"a0", u"a1"}, 1},  // the same header sorts the other way
        {0, {u"Beta", u"alpha", u"Gamma"}, {u"a0", u"a1", u"a2"}, 0},  // column 0 starts ascending
        {2, {u"Beta", u"alpha", u"Gamma"}, {u"a0", u"a1", u"a2"}, 0},
        {2, {u"Gamma", u"alpha", u"Beta"}, {u"a2", u"a1", u"a0"}, 2},
    };
    for (const auto& step : steps) {
        driver.Click(10 + step.header * 60 + 30, 20);
        EXPECT_EQ(ColumnTexts(1), step.middle) << step.header;
        EXPECT_EQ(ColumnTexts(0), step.first) << step.header;
        // The third column moved with the others: its texts still name their original rows.
        for (int32_t r = 0; r < 3; ++r) {
            EXPECT_EQ(mTable->GetCellText(2, r).GetString()[1], mTable->GetCellText(0, r).GetString()[1]);
        }
        for (int32_t c = 0; c < 3; ++c) {
            EXPECT_EQ(SelectedRows(c), std::vector<int32_t>{step.betaRow}) << step.header << " column " << c;
        }
    }
    EXPECT_TRUE(recorder->GetNames().empty());  // a sort reports no selection change
    EXPECT_TRUE(mTable->IsNextSortAscending(0) == false && mTable->IsNextSortAscending(1) == true);
    EXPECT_EQ(mTable->PerformSort(3), E_INVALIDARG);
    EXPECT_EQ(mTable->GetCellText(1, 3).GetLength(), 0);
    recorder->UnregisterAll();
}

TEST_F(MultiColumnListBoxTest, RowsStayInStepForSelectionHoverAndScrolling) {
    std::vector<std::u16string> texts;
    for (int i = 0; i < 20; ++i) {
        texts.push_back(u"row" + std::u16string(1, u'A' + i));
    }
    Fill(texts);
    RCPtr<NotificationRecorder> recorder =
        NotificationRecorder::Create(mTable, {u"NID_SELECTION_CHANGE", u"NID_ITEM_ACTIVATED"});
    InputDriver driver(mWindow);

    // A click in the last column selects the row in every column, reported once by the table.
    driver.Click(Cell(2, 3).x, Cell(2, 3).y);
    for (int32_t c = 0; c < 3; ++c) {
        EXPECT_EQ(SelectedRows(c), std::vector<int32_t>{3}) << c;
    }
    EXPECT_EQ(std::count(recorder->GetNames().begin(), recorder->GetNames().end(), u"NID_SELECTION_CHANGE"),
              1);

    // Hover over a cell lights its whole row; leaving it clears the row.
    driver.MoveTo(Cell(1, 2).x, Cell(1, 2).y);
    const auto lit = [&](int32_t column, int32_t row) {
        RCPtr<LListBox> list = mTable->GetColumn(column);
        return (list->GetItemControl(list->ControlSlotOfItem(row))->GetConditions() &
                LControl::kHoverOrHighlighted) != 0;
    };
    EXPECT_TRUE(lit(0, 2));
    EXPECT_TRUE(lit(2, 2));
    driver.MoveTo(300, 250);
    EXPECT_FALSE(lit(0, 2));
    EXPECT_FALSE(lit(2, 2));

    // The table's bar moves every column by whole rows.
    mTable->SetScrollOffset({0, 18 * 7});
    for (int32_t c = 0; c < 3; ++c) {
        EXPECT_EQ(mTable->GetColumn(c)->GetFirstShownRow(), 7) << c;
    }
    // The columns themselves stay put under the headers.
    EXPECT_EQ(mTable->GetColumn(1)->GetFrame().y - mTable->GetScrollOffset().y, 20.0);
    // Keys in the first column that scroll it scroll the others with it.
    mTable->SetScrollOffset({0, 0});
    mTable->GetColumn(0)->SetFocus(true);
    for (int i = 0; i < 6; ++i) {
        driver.Key(0x28);
    }
    const int32_t first = mTable->GetColumn(0)->GetFirstShownRow();
    EXPECT_GT(first, 0);
    EXPECT_EQ(mTable->GetColumn(2)->GetFirstShownRow(), first);
    EXPECT_EQ(mTable->GetScrollOffset().y, mTable->GetColumn(0)->GetScrollOffset().y);
    recorder->UnregisterAll();
}

TEST_F(MultiColumnListBoxTest, OnlyTheFirstColumnTakesTheFocusAndTheFirstColumnIsRequired) {
    EXPECT_FALSE(mTable->GetColumn(0)->IsNotFocusable());
    EXPECT_TRUE(mTable->GetColumn(1)->IsNotFocusable());
    EXPECT_TRUE(mTable->GetColumn(2)->IsNotFocusable());
    // Every column is at least one row high.
    LLayoutDescriptor::Limit minimum;
    LLayoutDescriptor::Limit maximum;
    mTable->GetColumn(2)->GetSizeLimits(1, minimum, maximum);
    EXPECT_EQ(minimum.offset, 18.0);
    try {
        Create(u"Headless");
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("Null Pointer : "), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace QV
