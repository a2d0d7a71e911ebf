#include "RIZozivirod/Application/Windows/ControlClassRegistry.h"

namespace QV {

const std::vector<ControlClassRegistration>& GetFrameworkControlClasses() {
    // Made on first use and never destroyed, like every process-wide object.
    static const auto* const table = new std::vector<ControlClassRegistration>{
        {u"Framework.Button", nullptr, 93},
        {u"Framework.OverlayButton", nullptr, 96},
        {u"Framework.ListBox", nullptr, 98},
        {u"Framework.listboxNoScroll", nullptr, 99},
        {u"Framework.ListBoxItem", nullptr, 100},
        {u"Framework.CheckedListBox", nullptr, 101},
        {u"Framework.CheckedListBoxItem", nullptr, 102},
        {u"Framework.ListBoxWithIcons", nullptr, 103},
        {u"Framework.listbox2ColumnSortable", nullptr, 104},
        {u"Framework.ScrollBar", nullptr, 105},
        {u"Framework.ScrollChannel", nullptr, 106},
        {u"Framework.ComboBox", nullptr, 107},
        {u"Framework.ComboTextBox", nullptr, 108},
        {u"Framework.CheckedComboBox", nullptr, 109},
        {u"Framework.ComboBoxWithIcons", nullptr, 110},
        {u"Framework.ComboSlider", nullptr, 111},
        {u"Framework.ComboSlider.DropDownPanel", nullptr, 112},
        {u"Framework.Slider", nullptr, 113},
        {u"Framework.Knob", nullptr, 114},
        {u"Framework.TabControl", nullptr, 115},
        {u"Framework.Label", nullptr, 116},
        {u"Framework.TextBox", nullptr, 117},
        {u"Framework.NumericUpDown", nullptr, 118},
        {u"Framework.Panel", nullptr, 119},
        {u"Framework.ToolTip", nullptr, 120},
        {u"Framework.PopupMenu", nullptr, 121},
        {u"Framework.MenuItem", nullptr, 122},
        {u"Framework.ComboMenu", nullptr, 123},
        {u"Framework.MainMenu", nullptr, 124},
        {u"Framework.FileDropper", nullptr, 125},
        {u"Framework.StatusBar", nullptr, 126},
        {u"Framework.SplitterH", nullptr, 127},
        {u"Framework.SplitterV", nullptr, 128},
        {u"Framework.LevelMeter", nullptr, 129},
        {u"Framework.ProgressBar", nullptr, 130},
        {u"Framework.TreeView", nullptr, 131},
        {u"Framework.TreeViewItem", nullptr, 132},
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
    // Controls are made by the factory once the control classes exist; until then nothing is.
    (void)descriptorName;
    (void)control;
    return E_FAIL;
}

}  // namespace QV
