#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/ControlBase/Look.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/CheckedComboBox.h"
#include "RIZozivirod/Controls/CheckedListBox.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

std::string CheckedComboLooks(const std::string& name) {
    std::string list = R"(<LookList Name=")" + name + R"(" NumLooks="14">)";
    for (int i = 0; i < 14; ++i) {
        list += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    return list + "</LookList>";
}

std::string CheckedBox(const std::string& name, int x, bool withCheckBox) {
    return R"(<SubControl Class="Framework.CheckedComboBox" Name=")" + name + R"(" XPositionAbs=")" +
           std::to_string(x) +
           R"(" YPositionAbs="10" XSizeAbs="100" YSizeAbs="21"><Skin Name="c" LookList="Box14">)" +
           (withCheckBox
                ? R"(<SubControl Class="Framework.Button" Name="checkBox" XSizeAbs="12" YSizeAbs="12">
                 <Skin Name="b" LookList="Box14"/></SubControl>)"
                : "") +
           R"(<SubControl Class="Framework.CheckedListBox" Name="listBox" YPositionRel="1" XSizeToControl="Parent"
                XSizeRel="1" XSizeAbs="0" YSizeAbs="80" ClipToParent="False" IsVisible="False"><Skin Name="l" LookList="Solid">
              <SubControl Class="Framework.CheckedListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1"
                          XSizeAbs="0" YSizeAbs="18"><Skin Name="r" LookList="Box14">
                <SubControl Class="Framework.Button" Name="checkBox" XSizeAbs="12" YSizeAbs="12"><CreateParamList>
                  <CreateParam ID="AUTO_VALUE_SET">True</CreateParam></CreateParamList><Skin Name="b" LookList="Box14"/></SubControl>
              </Skin></SubControl></Skin></SubControl></Skin></SubControl>)";
}

class CheckedComboBoxTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Framework.CheckedComboBox",
                                       &CreateControlFunction<LCheckedComboBox>);
        mFactory->RegisterControlClass(u"Framework.CheckedListBox", &CreateControlFunction<LCheckedListBox>);
        mFactory->RegisterControlClass(u"Framework.CheckedListBoxItem",
                                       &CreateControlFunction<LCheckedListBoxItem>);
        std::string looks = TestSupport::SolidLooks();
        looks.insert(looks.find("</LookLists>"), CheckedComboLooks("Box14"));
        LoadSkin(looks + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>)" +
                 CheckedBox("Box", 10, true) + CheckedBox("Bare", 200, false) + "</SubControl></Skin>");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
    }
    void TearDown() override {
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    RCPtr<LCheckedComboBox> Get(const std::u16string& name) {
        RCPtr<LCheckedComboBox> box(dynamic_cast<LCheckedComboBox*>(Find(mMain, name).Get()));
        for (int32_t i = 0; i < 3; ++i) {
            box->GetCheckedList()->InsertItem(i, LListBox::CreateItemString(WString::Format(u"item %d", i)));
        }
        return box;
    }
    // The user's click on an item's check box in the open list.
    static void ToggleInList(const RCPtr<LCheckedComboBox>& box, int32_t item) {
        box->ShowDropDown(true);
        RCPtr<LCheckedListBox> list = box->GetCheckedList();
        RCPtr<LButton> checkBox = list->GetItemControl(list->ControlSlotOfItem(item))->GetCheckBox();
        checkBox->SetNormalizedValue(checkBox->GetNormalizedValue() >= 0.5 ? 0.0 : 1.0);
    }

    RCPtr<LControl> mMain;
};

TEST_F(CheckedComboBoxTest, CheckedItemsSwitchTheLooksAndTheBoxMirrorsTheChosenItem) {
    for (const char16_t* name : {u"Box", u"Bare"}) {
        RCPtr<LCheckedComboBox> box = Get(name);
        RCPtr<LControl> mirror = box->FindChild(u"checkBox");
        RCPtr<NotificationRecorder> fromBox = NotificationRecorder::Create(box, {u"NID_ITEM_CHECK_CHANGE"});
        RCPtr<NotificationRecorder> fromList =
            NotificationRecorder::Create(box->GetCheckedList(), {u"NID_ITEM_CHECK_CHANGE"});
        box->SetSelectedIndex(1);
        box->ShowDropDown(false);
        EXPECT_EQ(box->GetCurrentLookIndex(), 0);
        ToggleInList(box, 0);
        box->ShowDropDown(false);
        // The second set while anything is checked (the box has the focus back from its list).
        EXPECT_EQ(box->GetCurrentLookIndex(), 7 + 1);
        ToggleInList(box, 1);
        ASSERT_EQ(fromBox->GetParams().size(), 2u);
        EXPECT_EQ(fromBox->GetParams()[1].Get(), fromList->GetParams()[1].Get());  // the list's own parameter
        if (mirror) {
            EXPECT_EQ(mirror->GetNormalizedValue(), 1.0);  // the chosen item was just checked
            box->SetSelectedIndex(2);
            EXPECT_EQ(mirror->GetNormalizedValue(), 0.0);
            box->SetSelectedIndex(0);
            EXPECT_EQ(mirror->GetNormalizedValue(), 1.0);
        }
        ToggleInList(box, 0);
        ToggleInList(box, 1);
        box->ShowDropDown(false);
        EXPECT_EQ(box->GetCurrentLookIndex(), 1);
        fromBox->UnregisterAll();
        fromList->UnregisterAll();
    }
}

TEST_F(CheckedComboBoxTest, NoSelectionClearsTheMirrorsPictureAndKeepsItsValue) {
    RCPtr<LCheckedComboBox> box = Get(u"Box");
    RCPtr<LControl> mirror = box->FindChild(u"checkBox");
    const RCPtr<LBitmap> picture = LBitmap::CreateFilledBitmap({12, 12}, Color{1.0f, 0.0f, 0.0f, 1.0f});
    for (int32_t look = 0; look < 14; ++look) {
        mirror->SetLookImage(picture, 0, look, 0);
    }
    mirror->SetNormalizedValue(1.0);
    box->SetSelectedIndex(-1);
    EXPECT_EQ(mirror->GetNormalizedValue(), 1.0);
    for (int32_t look = 0; look < 14; ++look) {
        EXPECT_FALSE(mirror->GetLook(look)->GetImagePart()) << look;
    }
}

}  // namespace
}  // namespace QV
