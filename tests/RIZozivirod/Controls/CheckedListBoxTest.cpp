#include "RIZozivirod/Controls/CheckedListBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/Look.h"
#include "RIZozivirod/ControlBase/VisualPart.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/PngFixtures.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

// A list built on the checked list that is not one by name, as the popup menu and the tree view
// are: it keeps its fourth look for itself.
class CheckedListSubclass : public LCheckedListBox {
public:
    using LCheckedListBox::LCheckedListBox;
};

std::string CheckedRowLooks() {
    std::string looks = R"(<LookLists><LookList Name="Row" NumLooks="14">)";
    for (int i = 0; i < 14; ++i) {
        looks += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    looks += "</LookList>";
    // The icon list's looks: normal, disabled, focused, then the strip of three icons.
    looks +=
        R"(<LookList Name="Icons" NumLooks="4"><Look Name="Solid" Index="0"/><Look Name="Solid" Index="1"/>
        <Look Name="Solid" Index="2"/><Look Name="Strip" Index="3"/></LookList>)";
    return looks + "</LookLists>";
}

// Icon parts: three 12-pixel squares side by side in one picture.
std::string IconParts() {
    std::string parts = "<Parts>";
    std::string strip = R"(<Looks><Look Name="Strip"><NonClientParts>)";
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i);
        parts += R"(<Part Name="Icon)" + n +
                 R"(" Width="12" Height="12" ResizeType="Stretch" ImageFile="icons.png"
                 ImageLocX=")" +
                 std::to_string(12 * i) + R"(" ImageLocY="0"/>)";
        strip += R"(<NonClientPart Name="Icon)" + n + R"(" OffsetLeft="0" OffsetTop="0"/>)";
    }
    return parts + "</Parts>" + strip + "</NonClientParts></Look></Looks>";
}

std::string ListSkin(const std::string& name, const std::string& cls, const std::string& lookList, int y) {
    const std::string docked = R"(XIsDocked="True" YIsDocked="True")";
    return R"(<SubControl Class=")" + cls + R"(" Name=")" + name + R"(" XPositionAbs="10" YPositionAbs=")" +
           std::to_string(y) + R"(" XSizeAbs="120" YSizeAbs="90"><Skin Name="s" LookList=")" + lookList +
           "\">" +
           TestSupport::VerticalBar("vBar", docked + R"( XPositionRel="1" XPlacementAnchor="1" XSizeAbs="14"
                                                  YSizeToControl="Client" YSizeRel="1" YSizeAbs="0")",
                                    14) +
           R"(<SubControl Class="Framework.CheckedListBoxItem" Name="templateItem" XSizeToControl="Client"
                   XSizeRel="1" XSizeAbs="-14" YSizeAbs="18"><Skin Name="r" LookList="Row">
               <SubControl Class="Framework.Button" Name="checkBox" XPositionAbs="2" YPositionAbs="3" XSizeAbs="12"
                   YSizeAbs="12"><CreateParamList><CreateParam ID="AUTO_VALUE_SET">True</CreateParam></CreateParamList>
                 <Skin Name="b" LookList="Row"/></SubControl></Skin></SubControl>
           </Skin></SubControl>)";
}

// Five rows of 18 pixels at (10, 10); each row's check box is 12 pixels square at (2, 3) in it.
class CheckedListBoxTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Framework.ListBoxWithIcons",
                                       &CreateControlFunction<LCheckedListBox>);
        mFactory->RegisterControlClass(u"Test.CheckedListSubclass",
                                       &CreateControlFunction<CheckedListSubclass>);
        std::vector<uint8_t> rgba;
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 36; ++x) {
                const uint8_t icon = static_cast<uint8_t>(x / 12);
                rgba.insert(rgba.end(), {static_cast<uint8_t>(icon == 0 ? 255 : 0),
                                         static_cast<uint8_t>(icon == 1 ? 255 : 0),
                                         static_cast<uint8_t>(icon == 2 ? 255 : 0), 255});
            }
        }
        mImages.Put("icons.png", QVTest::EncodePng(QVTest::PngPicture(36, 12, 6, 8, rgba)));
        mFactory->SetResourceBasePath(WString((mImages.GetPath() + "/").c_str()));
        LoadSkin(TestSupport::SolidLooks() + IconParts() + CheckedRowLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid">)" +
                 ListSkin("List", "Framework.CheckedListBox", "Solid", 10) +
                 ListSkin("Icons", "Framework.ListBoxWithIcons", "Icons", 110) +
                 ListSkin("Sub", "Test.CheckedListSubclass", "Icons", 210) + "</Skin></SubControl></Skin>");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mList = ListNamed(u"List");
        ASSERT_TRUE(mList);
    }
    void TearDown() override {
        mList = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    RCPtr<LCheckedListBox> ListNamed(const char16_t* name) {
        return RCPtr<LCheckedListBox>(dynamic_cast<LCheckedListBox*>(Find(mMain, name).Get()));
    }
    static void Fill(const RCPtr<LCheckedListBox>& list, int32_t count) {
        list->RemoveAllItems();
        for (int32_t i = 0; i < count; ++i) {
            list->InsertItem(i, LListBox::CreateItemString(WString::Format(u"item %d", i)));
        }
    }
    // The check box of the row in a slot of the first list, in window coordinates.
    void ClickCheckBox(int32_t slot) { InputDriver(mWindow).Click(10 + 8, 10 + 18 * slot + 9); }
    std::vector<bool> ShownChecks(const RCPtr<LCheckedListBox>& list) {
        std::vector<bool> shown;
        for (int32_t k = 0; k < list->GetItemControlCount(); ++k) {
            shown.push_back(list->GetItemControl(k)->GetCheckBox()->IsChecked());
        }
        return shown;
    }
    static const LIndexedDataWithValueParam& ParamAt(const RCPtr<NotificationRecorder>& recorder, size_t i) {
        return dynamic_cast<const LIndexedDataWithValueParam&>(*recorder->GetParams().at(i));
    }

    QVTest::ScratchFolder mImages;
    RCPtr<LControl> mMain;
    RCPtr<LCheckedListBox> mList;
};

TEST_F(CheckedListBoxTest, ClickingACheckBoxSelectsItsRowThenReportsTheCheck) {
    Fill(mList, 4);
    mList->SelectRange(0, -1, true);
    RCPtr<NotificationRecorder> events = NotificationRecorder::Create(
        RCPtr<LControl>(mList),
        {u"NID_SELECTION_CHANGE", u"NID_ITEM_CHECK_CHANGE", u"NID_ITEM_CHECKBOX_CLICKED"});
    ClickCheckBox(2);
    EXPECT_EQ(events->GetNames(),
              (std::vector<std::u16string>{u"NID_SELECTION_CHANGE", u"NID_ITEM_CHECK_CHANGE"}));
    EXPECT_EQ(ParamAt(events, 1).index, 2);
    EXPECT_EQ(ParamAt(events, 1).value, 1.0);
    EXPECT_FALSE(ParamAt(events, 1).data);
    EXPECT_TRUE(mList->IsItemChecked(2));
    EXPECT_TRUE(mList->IsItemSelected(2));
    EXPECT_FALSE(mList->IsItemSelected(0));
    EXPECT_EQ(mList->GetCheckedCount(), 1);
    // Again: unchecked, and the row already selected sends no selection report.
    events->Clear();
    ClickCheckBox(2);
    EXPECT_EQ(events->GetNames(), (std::vector<std::u16string>{u"NID_ITEM_CHECK_CHANGE"}));
    EXPECT_EQ(ParamAt(events, 0).value, 0.0);
    EXPECT_EQ(mList->GetCheckedCount(), 0);
    // A check box below the last item shows nothing and reports nothing.
    EXPECT_FALSE(mList->GetItemControl(4)->GetCheckBox()->IsVisible());
    events->Clear();
    InputDriver(mWindow).Click(10 + 8, 10 + 18 * 4 + 9);
    EXPECT_TRUE(events->GetNames().empty());
    EXPECT_EQ(mList->GetCheckedCount(), 0);
}

TEST_F(CheckedListBoxTest, ACheckBoxThatDoesNotToggleLeavesTheDecisionToTheListener) {
    Fill(mList, 4);
    mList->SetCheckBoxAutoValueSet(false);
    RCPtr<NotificationRecorder> events = NotificationRecorder::Create(
        RCPtr<LControl>(mList), {u"NID_ITEM_CHECK_CHANGE", u"NID_ITEM_CHECKBOX_CLICKED"});
    ClickCheckBox(1);
    ASSERT_EQ(events->GetNames(), (std::vector<std::u16string>{u"NID_ITEM_CHECKBOX_CLICKED"}));
    EXPECT_EQ(ParamAt(events, 0).index, 1);
    EXPECT_EQ(ParamAt(events, 0).value, 0.0);
    EXPECT_FALSE(mList->IsItemChecked(1));
    EXPECT_TRUE(mList->IsItemSelected(1));
    // The listener checks it: shown at once, nothing more sent.
    mList->SetItemChecked(1, true);
    EXPECT_TRUE(mList->GetItemControl(1)->GetCheckBox()->IsChecked());
    EXPECT_EQ(mList->GetCheckedCount(), 1);
    EXPECT_EQ(events->GetNames().size(), 1u);
    ClickCheckBox(1);
    EXPECT_EQ(ParamAt(events, 1).value, 1.0);
    EXPECT_TRUE(mList->IsItemChecked(1));
    // Back to toggling boxes: the rows made earlier follow.
    events->Clear();
    mList->SetCheckBoxAutoValueSet(true);
    ClickCheckBox(1);
    EXPECT_EQ(events->GetNames(), (std::vector<std::u16string>{u"NID_ITEM_CHECK_CHANGE"}));
    EXPECT_FALSE(mList->IsItemChecked(1));
    EXPECT_EQ(mList->GetCheckedCount(), 0);
}

TEST_F(CheckedListBoxTest, ChecksTravelWithTheirItemsThroughScrollingSortingAndRemoval) {
    Fill(mList, 20);
    RCPtr<NotificationRecorder> events =
        NotificationRecorder::Create(RCPtr<LControl>(mList), {u"NID_ITEM_CHECK_CHANGE"});
    for (int32_t i : {0, 3, 7, 12}) {
        mList->SetItemChecked(i, true);
    }
    mList->SetItemChecked(3, true);  // already checked: no change
    mList->SetItemChecked(40, true);
    EXPECT_EQ(mList->GetCheckedCount(), 4);
    EXPECT_EQ(ShownChecks(mList), (std::vector<bool>{true, false, false, true, false}));
    mList->SetScrollOffset({0, 18 * 3});
    EXPECT_EQ(ShownChecks(mList), (std::vector<bool>{true, false, false, false, true}));
    // Sorting by text puts "item 12" before "item 2": its check goes with it.
    mList->SetScrollOffset({0, 0});
    mList->SortAll();
    EXPECT_EQ(mList->GetItemText(4), u"item 12");
    EXPECT_TRUE(mList->IsItemChecked(4));
    EXPECT_FALSE(mList->IsItemChecked(5));
    // Removing a checked item lowers the count; emptying the list leaves none.
    mList->RemoveItem(4);
    EXPECT_EQ(mList->GetCheckedCount(), 3);
    mList->InsertItem(0, LListBox::CreateItemString(WString(u"new")));
    EXPECT_FALSE(mList->IsItemChecked(0));
    EXPECT_TRUE(mList->IsItemChecked(1));  // "item 0" moved down with its check
    EXPECT_EQ(mList->SetItemCount(2), 2);
    EXPECT_EQ(mList->GetCheckedCount(), 1);
    EXPECT_FALSE(mList->GetItemControl(2)->GetCheckBox()->IsVisible());
    EXPECT_FALSE(mList->GetItemControl(2)->GetCheckBox()->IsChecked());
    mList->SetItemCount(0);
    EXPECT_EQ(mList->GetCheckedCount(), 0);
    EXPECT_FALSE(mList->IsItemChecked(0));
    EXPECT_TRUE(events->GetNames().empty());
}

TEST_F(CheckedListBoxTest, AnIconListShowsTheStripByPositionWithDisplayOnlyCheckBoxes) {
    RCPtr<LCheckedListBox> icons = ListNamed(u"Icons");
    ASSERT_TRUE(icons);
    ASSERT_EQ(icons->GetIcons().size(), 3u);
    EXPECT_TRUE(icons->GetCheckBoxesPassive());
    Fill(icons, 7);
    const std::vector<int> expected = {0, 1, 2, 0, 1, 2, 0};
    for (int32_t i = 0; i < 7; ++i) {
        EXPECT_EQ(icons->GetItemIcon(i).Get(), icons->GetIcons()[static_cast<size_t>(expected[i])].Get())
            << i;
    }
    EXPECT_FALSE(icons->GetItemIcon(7));
    // Every look of a row's check box shows its icon.
    RCPtr<LButton> box = icons->GetItemControl(1)->GetCheckBox();
    for (uint32_t look = 0; look < box->GetLookCount(); ++look) {
        ASSERT_TRUE(box->GetLook(static_cast<int32_t>(look))->GetImagePart());
        EXPECT_EQ(box->GetLook(static_cast<int32_t>(look))->GetImagePart()->GetBitmap().Get(),
                  icons->GetIcons()[1].Get());
    }
    // A click on an icon lands on its row: selected, no check.
    RCPtr<NotificationRecorder> events = NotificationRecorder::Create(
        RCPtr<LControl>(icons), {u"NID_SELECTION_CHANGE", u"NID_ITEM_CHECK_CHANGE"});
    InputDriver(mWindow).Click(10 + 8, 110 + 18 * 2 + 9);
    EXPECT_EQ(events->GetNames(), (std::vector<std::u16string>{u"NID_SELECTION_CHANGE"}));
    EXPECT_TRUE(icons->IsItemSelected(2));
    EXPECT_EQ(icons->GetCheckedCount(), 0);
    // A list that only derives from the checked list keeps its fourth look for itself.
    RCPtr<LCheckedListBox> sub = ListNamed(u"Sub");
    ASSERT_TRUE(sub);
    EXPECT_TRUE(sub->GetIcons().empty());
    EXPECT_FALSE(sub->GetCheckBoxesPassive());
}

TEST_F(CheckedListBoxTest, TheRowKeepsItsHoverLookWhileThePointerIsOnItsCheckBox) {
    Fill(mList, 3);
    InputDriver driver(mWindow);
    RCPtr<LCheckedListBoxItem> row = mList->GetItemControl(1);
    driver.MoveTo(60, 10 + 18 + 9);
    EXPECT_EQ(row->GetCurrentLookIndex(), 1);
    driver.MoveTo(10 + 8, 10 + 18 + 9);  // onto the check box
    EXPECT_NE(row->GetConditions() & LControl::kHoverOrHighlighted, 0u);
    EXPECT_EQ(row->GetCurrentLookIndex(), 1);
    driver.MoveTo(300, 250);
    EXPECT_EQ(row->GetConditions() & LControl::kHoverOrHighlighted, 0u);
    EXPECT_EQ(row->GetCurrentLookIndex(), 0);
}

}  // namespace
}  // namespace QV
