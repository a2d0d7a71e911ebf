#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/DocumentFiles.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

std::string ComboLooks() {
    std::string looks = R"(<LookLists><LookList Name="ComboRow" NumLooks="14">)";
    for (int i = 0; i < 14; ++i) {
        looks += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    looks += R"(</LookList><LookList Name="Combo" NumLooks="7">)";
    for (int i = 0; i < 7; ++i) {
        looks += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    return looks + "</LookList></LookLists>";
}

// A 100 x 21 combo box in a 400 x 500 window whose list has rows of 18 pixels; "Capped" has a
// list with a skin maximum of 80 pixels.
class ComboBoxTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mWindow->Detach();
        mWindow = TestRootWindow::Create({0, 0, 400, 500});
    }
    void TearDown() override {
        mCombo = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    // Items from the string table: ITEM.00 to ITEM.(count - 1), texts "item N", for both boxes.
    void Make(int32_t count, const std::string& createParams = "", const std::string& extraItems = "") {
        std::string items;
        for (int32_t i = 0; i < count; ++i) {
            char id[24];
            std::snprintf(id, sizeof id, "ITEM.%02d", i);
            items += std::string(R"(<String ID=")") + id + R"("><Locale LCID="0x0009">item )" +
                     std::to_string(i) + "</Locale></String>";
        }
        items += extraItems;
        const std::string strings =
            R"(<Doc><Application Name="PresetEditor"><StringTable ID="Framework.Panel|Combo">)" + items +
            R"(</StringTable><StringTable ID="Framework.Panel|Capped">)" + items +
            R"(</StringTable><StringTable ID="Framework.Panel|Editable">)" + items +
            "</StringTable></Application></Doc>";
        ASSERT_EQ(mFactory->LoadStringTables(mFiles.Write("app.xml", strings), WString(u"::NONE"), 0x0009),
                  S_OK);
        LoadSkin(TestSupport::SolidLooks() + ComboLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="500"><Skin Name="s" LookList="Solid"/>
          <SubControl Class="Framework.Panel" Name="Other" XPositionAbs="300" YPositionAbs="200" XSizeAbs="40" YSizeAbs="20">
            <Skin Name="s" LookList="Solid"/></SubControl>)" +
                 Box("Combo", 20, createParams, "") + Box("Capped", 150, "", R"( YMaxSizeAbs="80")") +
                 Box("Editable", 260, "", "",
                     R"(<SubControl Class="Framework.TextBox" Name="textBox" XSizeAbs="80" YSizeAbs="21">
                          <Skin Name="t" LookList="ComboRow"/></SubControl>)") +
                 "</SubControl></Skin>");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mCombo = RCPtr<LComboBox>(dynamic_cast<LComboBox*>(Find(mMain, u"Combo").Get()));
        ASSERT_TRUE(mCombo);
        ASSERT_TRUE(mCombo->GetList());
    }
    static std::string Box(const std::string& name, int32_t x, const std::string& createParams,
                           const std::string& listLimits, const std::string& textBox = "") {
        return R"(<SubControl Class="Framework.ComboBox" Name=")" + name + R"(" XPositionAbs=")" +
               std::to_string(x) + R"(" YPositionAbs="10" XSizeAbs="100" YSizeAbs="21">)" + createParams + R"(
            <Skin Name="c" LookList="Combo">)" +
               textBox + R"(
            <SubControl Class="Framework.ListBox" Name="listBox" YPositionRel="1" XSizeToControl="Parent" XSizeRel="1"
                        XSizeAbs="0" YSizeAbs="80" ClipToParent="False" IsVisible="False")" +
               listLimits + R"(><Skin Name="l" LookList="Solid">
              <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1"
                          XSizeAbs="0" YSizeAbs="18"><Skin Name="r" LookList="ComboRow"/></SubControl>
            </Skin></SubControl></Skin></SubControl>)";
    }
    RCPtr<LListBox> List() { return mCombo->GetList(); }

    Testing::DocumentFiles mFiles;
    RCPtr<LControl> mMain;
    RCPtr<LComboBox> mCombo;
};

TEST_F(ComboBoxTest, TheListOpensOnTheSideWithRoomAndAsHighAsItsRowsOrTheRoom) {
    Make(5);
    const struct {
        const char16_t* box;
        int32_t top;
        int32_t items;
        bool below;
        double height;
        double maximum;
    } cases[] = {
        // below = 500 - 421 - 5 = 74 < 90 rows, above = 395: above, all five rows, no limit.
        {u"Combo", 400, 5, false, 90, 0},
        {u"Combo", 10, 5, true, 90, 0},
        // A skin maximum of 80 wins where it fits: at most 80, snapped to four whole rows.
        {u"Capped", 10, 5, true, 72, 72},
        {u"Capped", 400, 5, false, 72, 72},
        // More rows than room on either side: the larger side (374 below, 395 above), as many
        // whole rows as fit.
        {u"Combo", 100, 40, true, 360, 360},
        {u"Combo", 400, 40, false, 378, 378},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "top " << c.top << " items " << c.items);
        RCPtr<LComboBox> box(dynamic_cast<LComboBox*>(Find(mMain, c.box).Get()));
        ASSERT_TRUE(box);
        box->SetItemCount(c.items);
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        box->GetPlacement(1, placement, size);
        placement.offset = c.top;
        box->SetPlacement(1, placement, size);
        ASSERT_EQ(box->ShowDropDown(true), S_OK);
        EXPECT_TRUE(box->IsDroppedDown());
        const RectT<double>& frame = box->GetList()->GetFrame();
        EXPECT_EQ(frame.height, c.height);
        EXPECT_EQ(frame.y, c.below ? 21.0 : -c.height);
        LLayoutDescriptor::Limit minimum;
        LLayoutDescriptor::Limit maximum;
        box->GetList()->GetSizeLimits(1, minimum, maximum);
        EXPECT_EQ(maximum.offset, c.maximum);
        box->ShowDropDown(false);
    }
}

// A closed list keeps one row (it measures the items); opened, it scrolls and shows exactly what a
// list that had every row from the start shows: the same rows, texts and chosen row.
TEST_F(ComboBoxTest, AClosedListKeepsOneRowAndOpensAsIfItHadThemAll) {
    Make(40);
    RCPtr<LComboBox> eager(dynamic_cast<LComboBox*>(Find(mMain, u"Editable").Get()));
    ASSERT_TRUE(eager);
    eager->GetList()->SetRowsMadeWhenShown(false);
    EXPECT_EQ(List()->GetItemControlCount(), 1);
    EXPECT_GT(eager->GetList()->GetItemControlCount(), 1);
    for (const int32_t chosen : {25, 39, 3, 0, 20}) {
        SCOPED_TRACE(testing::Message() << "chosen " << chosen);
        for (const RCPtr<LComboBox>& box : {mCombo, eager}) {
            box->SetSelectedIndex(chosen);
            ASSERT_EQ(box->ShowDropDown(true), S_OK);
        }
        const RCPtr<LListBox> made = eager->GetList();
        EXPECT_EQ(List()->GetFrame().height, made->GetFrame().height);
        EXPECT_EQ(List()->GetFirstShownRow(), made->GetFirstShownRow());
        EXPECT_EQ(List()->GetCurrentIndex(), chosen);
        const int32_t rows = static_cast<int32_t>(List()->GetFrame().height / 18);
        ASSERT_GE(List()->GetItemControlCount(), rows);
        for (int32_t slot = 0; slot < rows; ++slot) {
            RCPtr<LListBoxItem> row = List()->GetItemControl(slot);
            RCPtr<LListBoxItem> reference = made->GetItemControl(slot);
            ASSERT_TRUE(row && reference);
            EXPECT_EQ(row->GetText(), reference->GetText()) << "row " << slot;
            EXPECT_EQ(row->GetNormalizedValue(), reference->GetNormalizedValue()) << "row " << slot;
            EXPECT_EQ(row->GetFrame().y, reference->GetFrame().y) << "row " << slot;
        }
        mCombo->ShowDropDown(false);
        eager->ShowDropDown(false);
    }
}

TEST_F(ComboBoxTest, SelectionChangesAreReportedOnceAndOnlyWhenTheIndexChanges) {
    Make(5);
    EXPECT_EQ(mCombo->GetSelectedIndex(), 0);  // INITIAL_SELECTED_INDEX defaults to the first
    EXPECT_EQ(mCombo->GetText(), u"item 0");
    RCPtr<NotificationRecorder> changes =
        NotificationRecorder::Create(RCPtr<LControl>(mCombo), {u"NID_SELECTION_CHANGE"});
    EXPECT_EQ(mCombo->SetSelectedIndex(2), 2);
    EXPECT_EQ(mCombo->SetSelectedIndex(2), 2);
    EXPECT_EQ(changes->GetNames().size(), 1u);
    EXPECT_EQ(mCombo->GetText(), u"item 2");
    EXPECT_EQ(mCombo->SetSelectedIndex(-1), -1);
    EXPECT_EQ(changes->GetNames().size(), 1u);
    EXPECT_EQ(mCombo->GetText(), u"item 2");     // the text stays
    EXPECT_EQ(mCombo->SetSelectedIndex(9), -1);  // refused by the list
    // Text selects the last item of that text, ignoring case.
    EXPECT_EQ(mCombo->SetText(WString(u"ITEM 3")), S_OK);
    EXPECT_EQ(mCombo->GetSelectedIndex(), 3);
    // Fewer items than the selected index: no selection (as every clearing, unreported).
    mCombo->SetItemCount(2);
    EXPECT_EQ(mCombo->GetSelectedIndex(), -1);
    EXPECT_EQ(List()->GetSelectedCount(), 0);
    EXPECT_EQ(changes->GetNames().size(), 2u);
}

TEST_F(ComboBoxTest, StringTableItemsWithGapsAndTheInitialIndex) {
    Make(2, R"(<CreateParamList><CreateParam ID="INITIAL_SELECTED_INDEX">3</CreateParam></CreateParamList>)",
         R"(<String ID="ITEM.03"><Locale LCID="0x0009">three</Locale></String>)"
         R"(<String ID="ITEM.-2"><Locale LCID="0x0009">minus</Locale></String>)"
         R"(<String ID="ITEM.99999999"><Locale LCID="0x0009">huge</Locale></String>)");
    ASSERT_EQ(List()->GetItemCount(), 4);
    EXPECT_EQ(List()->GetItemText(2), u"");
    EXPECT_EQ(mCombo->GetSelectedIndex(), 3);
    EXPECT_EQ(mCombo->GetText(), u"three");
}

TEST_F(ComboBoxTest, PressOpensASecondPressClosesAndOpeningSelectsTheShownItem) {
    Make(5);
    mCombo->SetSelectedIndex(3);
    InputDriver driver(mWindow);
    driver.Click(50, 20);
    ASSERT_TRUE(mCombo->IsDroppedDown());
    EXPECT_TRUE(List()->HasFocus());
    EXPECT_EQ(List()->GetCurrentIndex(), 3);
    EXPECT_EQ(mCombo->GetCurrentLookIndex(), 5);  // open and hovered
    driver.Click(50, 20);
    EXPECT_FALSE(mCombo->IsDroppedDown());
    EXPECT_TRUE(mCombo->HasFocus());
    EXPECT_EQ(mCombo->GetCurrentLookIndex(), 3);  // hovered and focused
    driver.Click(50, 20);
    EXPECT_TRUE(mCombo->IsDroppedDown());
    // A click on a row chooses it and closes the list.
    RCPtr<NotificationRecorder> changes =
        NotificationRecorder::Create(RCPtr<LControl>(mCombo), {u"NID_SELECTION_CHANGE"});
    driver.MoveTo(50, 31 + 18 + 5);
    driver.Click(50, 31 + 18 + 5);
    EXPECT_FALSE(mCombo->IsDroppedDown());
    EXPECT_EQ(mCombo->GetSelectedIndex(), 1);
    EXPECT_EQ(changes->GetNames().size(), 1u);
    // Opening a box whose text is no item selects the first row, not the box's index.
    mCombo->SetSelectedIndex(-1);
    mCombo->LControl::SetText(WString(u"none"));
    mCombo->ShowDropDown(true);
    EXPECT_EQ(List()->GetCurrentIndex(), 0);
    EXPECT_EQ(mCombo->GetSelectedIndex(), -1);
    // The focus going elsewhere closes it.
    Find(mMain, u"Other")->SetNotFocusable(false);
    Find(mMain, u"Other")->SetFocus(true);
    EXPECT_FALSE(mCombo->IsDroppedDown());
}

TEST_F(ComboBoxTest, PressDragReleaseChoosesOnceWithoutSelectionStorms) {
    Make(5);
    RCPtr<NotificationRecorder> box =
        NotificationRecorder::Create(RCPtr<LControl>(mCombo), {u"NID_SELECTION_CHANGE"});
    RCPtr<NotificationRecorder> list = NotificationRecorder::Create(
        RCPtr<LControl>(List()), {u"NID_SELECTION_CHANGE", u"NID_ITEM_ACTIVATED"});
    InputDriver driver(mWindow);
    driver.MoveTo(50, 20);
    driver.Press();
    ASSERT_TRUE(mCombo->IsDroppedDown());
    EXPECT_TRUE(List()->HasCapture());
    EXPECT_FALSE(mCombo->HasCapture());
    for (int32_t y = 25; y <= 31 + 3 * 18 + 5; y += 3) {
        driver.MoveTo(50, y);
    }
    EXPECT_EQ(List()->GetCurrentIndex(), 3);
    driver.Release();
    EXPECT_FALSE(mCombo->IsDroppedDown());
    EXPECT_EQ(mCombo->GetSelectedIndex(), 3);
    EXPECT_EQ(box->GetNames().size(), 1u);
    EXPECT_EQ(list->GetNames(), (std::vector<std::u16string>{u"NID_ITEM_ACTIVATED"}));
    // A release over the box leaves the list open; one elsewhere closes it without a choice.
    driver.MoveTo(50, 20);
    driver.Press();
    driver.MoveTo(52, 22);
    driver.Release();
    EXPECT_TRUE(mCombo->IsDroppedDown());
    driver.MoveTo(50, 18);
    driver.Press();  // the second press closes it again
    driver.Release();
    EXPECT_FALSE(mCombo->IsDroppedDown());
    driver.Press();
    driver.MoveTo(300, 300);
    driver.Release();
    EXPECT_FALSE(mCombo->IsDroppedDown());
    EXPECT_EQ(mCombo->GetSelectedIndex(), 3);
    EXPECT_EQ(box->GetNames().size(), 1u);
}

TEST_F(ComboBoxTest, DownEnterAndEscape) {
    Make(5);
    mCombo->SetFocus(true);
    InputDriver driver(mWindow);
    driver.Key(0x1B);  // Escape on the closed box: stays closed
    EXPECT_FALSE(mCombo->IsDroppedDown());
    driver.Key(0x28);  // Down opens
    ASSERT_TRUE(mCombo->IsDroppedDown());
    driver.Key(0x28);  // then moves in the list
    driver.Key(0x28);
    EXPECT_EQ(mCombo->GetSelectedIndex(), 0);
    driver.Key(0x0D);  // Return chooses
    EXPECT_FALSE(mCombo->IsDroppedDown());
    EXPECT_EQ(mCombo->GetSelectedIndex(), 2);
    EXPECT_TRUE(mCombo->HasFocus());
    driver.Key(0x0D);  // Enter opens
    ASSERT_TRUE(mCombo->IsDroppedDown());
    driver.Key(0x28);
    driver.Key(0x1B);  // Escape closes without a choice
    EXPECT_FALSE(mCombo->IsDroppedDown());
    EXPECT_EQ(mCombo->GetSelectedIndex(), 2);
    EXPECT_TRUE(mCombo->HasFocus());
}

TEST_F(ComboBoxTest, AnEditableBoxChoosesTheItemOfTheTypedTextAndPassesItsTextBoxOn) {
    Make(5);
    RCPtr<LComboBox> box(dynamic_cast<LComboBox*>(Find(mMain, u"Editable").Get()));
    ASSERT_TRUE(box);
    auto* text = dynamic_cast<LTextBox*>(box->GetTextBox().Get());
    ASSERT_NE(text, nullptr);
    RCPtr<NotificationRecorder> events = NotificationRecorder::Create(
        RCPtr<LControl>(box),
        {u"NID_SELECTION_CHANGE", u"NID_TEXTBOX_TEXT_CHANGE", u"NID_TEXTBOX_VALIDATED"});
    box->SetSelectedIndex(2);  // the text box shows the choice
    EXPECT_EQ(text->GetText(), u"item 2");
    events->Clear();
    text->SetText(WString(u"ITEM 4"));
    text->Validate();
    EXPECT_EQ(box->GetSelectedIndex(), 4);
    EXPECT_EQ(events->GetNames(),
              (std::vector<std::u16string>{u"NID_TEXTBOX_TEXT_CHANGE", u"NID_TEXTBOX_TEXT_CHANGE",
                                           u"NID_SELECTION_CHANGE", u"NID_TEXTBOX_VALIDATED"}));
    // Text that names no item chooses none.
    text->SetText(WString(u"other"));
    text->Validate();
    EXPECT_EQ(box->GetSelectedIndex(), -1);
    // The text box taking the focus closes the list.
    box->ShowDropDown(true);
    ASSERT_TRUE(box->IsDroppedDown());
    text->SetFocus(true);
    EXPECT_FALSE(box->IsDroppedDown());
}

}  // namespace
}  // namespace QV
