#include "RIZozivirod/Application/Windows/ControlClassRegistry.h"

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/CheckedComboBox.h"
#include "RIZozivirod/Controls/CheckedListBox.h"
#include "RIZozivirod/Controls/CheckedListBoxItem.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/ComboMenu.h"
#include "RIZozivirod/Controls/ComboSlider.h"
#include "RIZozivirod/Controls/FileDropper.h"
#include "RIZozivirod/Controls/Knob.h"
#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/Controls/LevelMeter.h"
#include "RIZozivirod/Controls/ListBox.h"
#include "RIZozivirod/Controls/ListBoxItem.h"
#include "RIZozivirod/Controls/MainMenu.h"
#include "RIZozivirod/Controls/MenuListBoxItem.h"
#include "RIZozivirod/Controls/MultiColumnListBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Controls/PopupMenu.h"
#include "RIZozivirod/Controls/ProgressBar.h"
#include "RIZozivirod/Controls/Scrollbar.h"
#include "RIZozivirod/Controls/Slider.h"
#include "RIZozivirod/Controls/Splitter.h"
#include "RIZozivirod/Controls/StatusBar.h"
#include "RIZozivirod/Controls/TabControl.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "RIZozivirod/Controls/ToolTip.h"
#include "RIZozivirod/Controls/TreeView.h"

namespace QV {

const std::vector<ControlClassRegistration>& GetFrameworkControlClasses() {
    // Made on first use and never destroyed, like every process-wide object.
    static const auto* const table = new std::vector<ControlClassRegistration>{
        {u"Framework.Button", &CreateControl<LButton>, 93},
        {u"Framework.OverlayButton", &CreateControl<LListBoxItem>, 96},
        {u"Framework.ListBox", &CreateControl<LListBox>, 98},
        {u"Framework.listboxNoScroll", &CreateControl<LListBox>, 99},
        {u"Framework.ListBoxItem", &CreateControl<LListBoxItem>, 100},
        {u"Framework.CheckedListBox", &CreateControl<LCheckedListBox>, 101},
        {u"Framework.CheckedListBoxItem", &CreateControl<LCheckedListBoxItem>, 102},
        {u"Framework.ListBoxWithIcons", &CreateControl<LCheckedListBox>, 103},
        {u"Framework.listbox2ColumnSortable", &CreateControl<LMultiColumnListBox>, 104},
        {u"Framework.ScrollBar", &CreateControl<LScrollbar>, 105},
        {u"Framework.ScrollChannel", &CreateControl<LPanel>, 106},
        {u"Framework.ComboBox", &CreateControl<LComboBox>, 107},
        {u"Framework.ComboTextBox", &CreateControl<LComboBox>, 108},
        {u"Framework.CheckedComboBox", &CreateControl<LCheckedComboBox>, 109},
        {u"Framework.ComboBoxWithIcons", &CreateControl<LCheckedComboBox>, 110},
        {u"Framework.ComboSlider", &CreateControl<LComboSlider>, 111},
        {u"Framework.ComboSlider.DropDownPanel", &CreateControl<LPanel>, 112},
        {u"Framework.Slider", &CreateControl<LSlider>, 113},
        {u"Framework.Knob", &CreateControl<LKnob>, 114},
        {u"Framework.TabControl", &CreateControl<LTabControl>, 115},
        {u"Framework.Label", &CreateControl<LLabel>, 116},
        {u"Framework.TextBox", &CreateControl<LTextBox>, 117},
        {u"Framework.NumericUpDown", &CreateControl<LNumericUpDown>, 118},
        {u"Framework.Panel", &CreateControl<LPanel>, 119},
        {u"Framework.ToolTip", &CreateControl<LToolTip>, 120},
        {u"Framework.PopupMenu", &CreateControl<LPopupMenu>, 121},
        {u"Framework.MenuItem", &CreateControl<LMenuListBoxItem>, 122},
        {u"Framework.ComboMenu", &CreateControl<LComboMenu>, 123},
        {u"Framework.MainMenu", &CreateControl<LMainMenu>, 124},
        {u"Framework.FileDropper", &CreateControl<LFileDropper>, 125},
        {u"Framework.StatusBar", &CreateControl<LStatusBar>, 126},
        {u"Framework.SplitterH", &CreateControl<LSplitterH>, 127},
        {u"Framework.SplitterV", &CreateControl<LSplitterV>, 128},
        {u"Framework.LevelMeter", &CreateControl<LLevelMeter>, 129},
        {u"Framework.ProgressBar", &CreateControl<LProgressBar>, 130},
        {u"Framework.TreeView", &CreateControl<LTreeView>, 131},
        {u"Framework.TreeViewItem", &CreateControl<LTreeViewItem>, 132},
    };
    return *table;
}

int32_t RegisterFrameworkControlClasses(LControlFactory& factory) {
    for (const ControlClassRegistration& entry : GetFrameworkControlClasses()) {
        if (entry.creator == nullptr) {
            continue;
        }
        const int32_t result = factory.RegisterControlClass(entry.className, entry.creator);
        if (result < 0) {
            throw Exception<FailedResultException>(ComposeExceptionText(
                ExceptionKind<FailedResultException>(), "QV::LFrameworkApp::RunApplicationStartup",
                "FrameworkApp", entry.line, ResultToString(result)));
        }
    }
    return 0;
}

void RegisterControlClasses(LControlFactory& factory, const std::vector<ControlClassRegistration>& table) {
    for (const ControlClassRegistration& entry : table) {
        if (entry.creator != nullptr) {
            factory.RegisterControlClass(entry.className, entry.creator);
        }
    }
}

std::vector<WString> GetMissingControlClasses(const std::vector<ControlClassRegistration>& table) {
    std::vector<WString> missing;
    for (const ControlClassRegistration& entry : table) {
        if (entry.creator == nullptr) {
            missing.emplace_back(entry.className);
        }
    }
    return missing;
}

int32_t CreateControlByName(const RCPtr<LControlFactory>& factory, const WString& descriptorName,
                            RCPtr<LControl>& control) {
    if (!factory) {
        return E_NOTIMPL;
    }
    RCPtr<LControlDescriptor> descriptor = factory->FindControlDescriptor(descriptorName);
    if (!descriptor) {
        return E_FAIL;
    }
    RCPtr<LControl> made = factory->CreateControl(descriptor, nullptr);
    if (!made) {
        return E_FAIL;
    }
    control = made;
    return S_OK;
}

}  // namespace QV
