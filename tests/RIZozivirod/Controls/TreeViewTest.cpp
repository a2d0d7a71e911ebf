#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RIZozivirod/Controls/TreeView.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

std::string TreeRowLooks() {
    std::string looks = R"(<LookLists><LookList Name="Row" NumLooks="14">)";
    for (int i = 0; i < 14; ++i) {
        looks += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    return looks + "</LookList></LookLists>";
}

// Rows of 18 pixels at (10, 10); each row's expand box is 12 pixels square at its left.
class TreeViewTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Framework.TreeView", &CreateControlFunction<LTreeView>);
        mFactory->RegisterControlClass(u"Framework.TreeViewItem", &CreateControlFunction<LTreeViewItem>);
        LoadSkin(TestSupport::SolidLooks() + TreeRowLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
            <SubControl Class="Framework.TreeView" Name="Tree" XPositionAbs="10" YPositionAbs="10" XSizeAbs="150"
                        YSizeAbs="180"><Skin Name="t" LookList="Solid">
              <SubControl Class="Framework.TreeViewItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1"
                          XSizeAbs="0" YSizeAbs="18"><Skin Name="r" LookList="Row">
                <SubControl Class="Framework.Button" Name="checkBox" YPositionAbs="3" XSizeAbs="12" YSizeAbs="12">
                  <CreateParamList><CreateParam ID="AUTO_VALUE_SET">True</CreateParam></CreateParamList>
                  <Skin Name="b" LookList="Row"/></SubControl></Skin></SubControl>
            </Skin></SubControl></SubControl></Skin>)");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mTree = RCPtr<LTreeView>(dynamic_cast<LTreeView*>(Find(mMain, u"Tree").Get()));
        ASSERT_TRUE(mTree);
        // top { child a { grand }, child b }, other; everything collapsed.
        const std::vector<std::pair<const char16_t*, int32_t>> rows = {
            {u"top", -1}, {u"child a", 0}, {u"grand", 1}, {u"child b", 0}, {u"other", -1}};
        for (size_t i = 0; i < rows.size(); ++i) {
            mTree->InsertItem(static_cast<int32_t>(i), LListBox::CreateItemString(WString(rows[i].first)));
            mTree->GetNodeRecord(static_cast<int32_t>(i))->Parent = rows[i].second;
        }
        mTree->UpdateSubtreeVisibility(0);
        mTree->RebindFrom(0);
        mTree->UpdateClientExtent();
    }
    void TearDown() override {
        mTree = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    std::vector<bool> Shown() {
        std::vector<bool> shown;
        for (int32_t i = 0; i < mTree->GetItemCount(); ++i) {
            shown.push_back(mTree->GetItemRecord(i)->IsHidden == 0);
        }
        return shown;
    }
    RCPtr<LTreeViewItem> RowControl(int32_t row) {
        return mTree->GetItemControl(mTree->ControlSlotOfItem(row));
    }

    RCPtr<LControl> mMain;
    RCPtr<LTreeView> mTree;
};

TEST_F(TreeViewTest, ExpandBoxesShowAndHideSubtrees) {
    EXPECT_EQ(Shown(), (std::vector<bool>{true, false, false, false, true}));
    EXPECT_EQ(mTree->GetContentHeight(), 2 * 18);
    EXPECT_EQ(mTree->GetDescendantCount(0), 3);
    EXPECT_EQ(mTree->GetDepth(2), 2);
    // Expanding the middle item under a collapsed top item shows nothing yet.
    mTree->ExpandItem(1);
    EXPECT_EQ(Shown(), (std::vector<bool>{true, false, false, false, true}));

    RCPtr<NotificationRecorder> recorder = NotificationRecorder::Create(mTree, {u"NID_ITEM_CHECK_CHANGE"});
    InputDriver driver(mWindow);
    driver.Click(10 + 6, 10 + 9);  // the top item's expand box
    EXPECT_EQ(Shown(), (std::vector<bool>{true, true, true, true, true}));
    EXPECT_EQ(mTree->GetContentHeight(), 5 * 18);
    EXPECT_TRUE(mTree->IsItemSelected(0));
    ASSERT_EQ(recorder->GetNames().size(), 1u);
    EXPECT_EQ(dynamic_cast<LIndexedDataWithValueParam*>(recorder->GetParams()[0].Get())->index, 0);

    // Leaves have no expand box to use; rows are indented by their depth.
    EXPECT_TRUE(RowControl(0)->GetCheckBox()->IsEnabled());
    EXPECT_FALSE(RowControl(4)->GetCheckBox()->IsEnabled());
    EXPECT_FALSE(RowControl(2)->GetCheckBox()->IsEnabled());
    EXPECT_EQ(RowControl(2)->GetFrame().x, 2 * 12.0);
    EXPECT_EQ(RowControl(1)->GetFrame().x, 12.0);

    // Collapsing again hides the whole subtree.
    driver.Click(10 + 6, 10 + 9);
    EXPECT_EQ(Shown(), (std::vector<bool>{true, false, false, false, true}));
    recorder->UnregisterAll();
}

TEST_F(TreeViewTest, RemovingTakesTheSubtreeAndATreeIsNeverSorted) {
    EXPECT_FALSE(mTree->SortAll());
    EXPECT_EQ(mTree->GetItemText(0), u"top");
    EXPECT_EQ(mTree->RemoveItem(1), 3);  // child a and its grandchild: three rows remain
    ASSERT_EQ(mTree->GetItemCount(), 3);
    EXPECT_EQ(mTree->GetItemText(1), u"child b");
    EXPECT_EQ(mTree->GetParentIndex(1), 0);
    EXPECT_EQ(mTree->RemoveItem(0), 1);
    ASSERT_EQ(mTree->GetItemCount(), 1);
    EXPECT_EQ(mTree->GetItemText(0), u"other");
}

TEST_F(TreeViewTest, MovingUnderANegativeParentOrAParentLoopEnds) {
    // To the top level: no endless walk; the row keeps its place and has no parent.
    const int32_t row = mTree->MoveSubtree(2, -5);
    EXPECT_EQ(mTree->GetParentIndex(row), -1);
    EXPECT_EQ(mTree->GetDepth(row), 0);
    // Under another parent: the item goes below it.
    EXPECT_EQ(mTree->MoveSubtree(1, 4), 4);
    EXPECT_EQ(mTree->GetItemText(4), u"child a");
    EXPECT_EQ(mTree->GetParentIndex(4), 3);
    // Parents that point at each other end every walk.
    mTree->GetNodeRecord(1)->Parent = 2;
    mTree->GetNodeRecord(2)->Parent = 1;
    EXPECT_FALSE(mTree->IsAncestorOf(0, 1));
    EXPECT_LE(mTree->GetDepth(1), mTree->GetItemCount());
    mTree->UpdateSubtreeVisibility(1);
    EXPECT_EQ(mTree->MoveSubtree(1, -1), 1);
}

}  // namespace
}  // namespace QV
