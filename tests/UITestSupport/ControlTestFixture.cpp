#include "UITestSupport/ControlTestFixture.h"

#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/CheckedListBox.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/Controls/ListBox.h"
#include "RIZozivirod/Controls/MainMenu.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Controls/PopupMenu.h"
#include "RIZozivirod/Controls/Scrollbar.h"
#include "RIZozivirod/Controls/Slider.h"
#include "RIZozivirod/Controls/TabControl.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "RIZozivirod/Controls/ToolTip.h"

namespace QV {

void ControlTestFixture::SetUp() {
    mLiveControls = LControl::GetLiveCount();
    mFactory = LControlFactory::Create(u"PresetEditor");
    mFactory->RegisterControlClass(u"Framework.Panel", &CreateControlFunction<LPanel>);
    mFactory->RegisterControlClass(u"Framework.Label", &CreateControlFunction<LLabel>);
    mFactory->RegisterControlClass(u"Test.Control", &CreateControlFunction<LControl>);
    mFactory->RegisterControlClass(u"Framework.Button", &CreateControlFunction<LButton>);
    mFactory->RegisterControlClass(u"Framework.ToolTip", &CreateControlFunction<LToolTip>);
    mFactory->RegisterControlClass(u"Framework.ScrollBar", &CreateControlFunction<LScrollbar>);
    mFactory->RegisterControlClass(u"Framework.ScrollChannel", &CreateControlFunction<LPanel>);
    mFactory->RegisterControlClass(u"Framework.TabControl", &CreateControlFunction<LTabControl>);
    mFactory->RegisterControlClass(u"Framework.ListBox", &CreateControlFunction<LListBox>);
    mFactory->RegisterControlClass(u"Framework.ListBoxItem", &CreateControlFunction<LListBoxItem>);
    mFactory->RegisterControlClass(u"Framework.CheckedListBox", &CreateControlFunction<LCheckedListBox>);
    mFactory->RegisterControlClass(u"Framework.CheckedListBoxItem",
                                   &CreateControlFunction<LCheckedListBoxItem>);
    mFactory->RegisterControlClass(u"Framework.PopupMenu", &CreateControlFunction<LPopupMenu>);
    mFactory->RegisterControlClass(u"Framework.MenuItem", &CreateControlFunction<LMenuListBoxItem>);
    mFactory->RegisterControlClass(u"Framework.ComboMenu", &CreateControlFunction<LComboMenu>);
    mFactory->RegisterControlClass(u"Framework.MainMenu", &CreateControlFunction<LMainMenu>);
    mFactory->RegisterControlClass(u"Framework.ComboBox", &CreateControlFunction<LComboBox>);
    mFactory->RegisterControlClass(u"Framework.TextBox", &CreateControlFunction<LTextBox>);
    mFactory->RegisterControlClass(u"Framework.NumericUpDown", &CreateControlFunction<LNumericUpDown>);
    mFactory->RegisterControlClass(u"Framework.Slider", &CreateControlFunction<LSlider>);
    mPreviousFactory = LControlFactory::SetCurrent(mFactory);
    mWindow = TestRootWindow::Create({0, 0, 400, 300});
}

void ControlTestFixture::TearDown() {
    mWindow->Detach();
    mWindow = nullptr;
    LControlFactory::SetCurrent(mPreviousFactory);
    mFactory = nullptr;
    EXPECT_EQ(LControl::GetLiveCount(), mLiveControls) << "controls left alive";
}

void ControlTestFixture::LoadSkin(const std::string& skins) {
    const std::string xml = "<Velkor_Skin_Definitions>" + skins + "</Velkor_Skin_Definitions>";
    ASSERT_EQ(mFactory->ParseXml(xml.c_str(), static_cast<int32_t>(xml.size())), S_OK);
}

RCPtr<LControl> ControlTestFixture::Create(const WString& name) {
    return mFactory->CreateControl(mFactory->FindControlDescriptor(name), nullptr);
}

RCPtr<LControl> ControlTestFixture::CreateInWindow(const WString& name) {
    RCPtr<LControl> control = Create(name);
    if (control) {
        mWindow->SetRootControl(control);
    }
    return control;
}

RCPtr<LControl> ControlTestFixture::Find(const RCPtr<LControl>& root, const std::u16string& path) {
    RCPtr<LControl> control = root;
    size_t start = 0;
    while (control && start <= path.size()) {
        const size_t end = std::min(path.find(u'/', start), path.size());
        control = control->FindChild(WString(path.substr(start, end - start).c_str()));
        start = end + 1;
    }
    return control;
}

}  // namespace QV
