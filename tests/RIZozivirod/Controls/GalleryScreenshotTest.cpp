#include <SDL.h>
#include <cairo.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Sdl/SdlPresenter.h"
#include "RIZozivirod/Application/Windows/ControlClassRegistry.h"
#include "RIZozivirod/Application/Windows/OSWindow.h"
#include "RIZozivirod/Application/Windows/RootWindow.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/CheckedComboBox.h"
#include "RIZozivirod/Controls/CheckedListBox.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/ComboSlider.h"
#include "RIZozivirod/Controls/LevelMeter.h"
#include "RIZozivirod/Controls/ListBox.h"
#include "RIZozivirod/Controls/MultiColumnListBox.h"
#include "RIZozivirod/Controls/ProgressBar.h"
#include "RIZozivirod/Controls/StatusBar.h"
#include "RIZozivirod/Controls/TabControl.h"
#include "RIZozivirod/Controls/TreeView.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "UITestSupport/NullWindowOwner.h"
#include "UITestSupport/SdlOffscreen.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/XwdImage.h"

namespace QV {
namespace {

constexpr int32_t kGalleryWidth = 980;
constexpr int32_t kGalleryHeight = 600;

std::string GalleryAt(int x, int y, int w, int h) {
    return "XPositionAbs=\"" + std::to_string(x) + "\" YPositionAbs=\"" + std::to_string(y) +
           "\" XSizeAbs=\"" + std::to_string(w) + "\" YSizeAbs=\"" + std::to_string(h) + "\"";
}

// A caption over each exhibit, in the product's label looks.
std::string GalleryCaption(const std::string& name, int x, int y) {
    return R"(<SubControl Class="Framework.Label" Name=")" + name + "\" " + GalleryAt(x, y, 290, 16) +
           R"(><Skin Name="l" LookList="Label"/></SubControl>)";
}

std::string GalleryControl(const std::string& cls, const std::string& name, const std::string& layout,
                           const std::string& looks, const std::string& children = "",
                           const std::string& extra = "") {
    return R"(<SubControl Class=")" + cls + R"(" Name=")" + name + "\" " + layout + extra +
           R"(><Skin Name="s")" + (looks.empty() ? "" : R"( LookList=")" + looks + "\"") + ">" + children +
           "</Skin></SubControl>";
}

std::string GalleryTab(const std::string& name, int x) {
    return R"(<SubControl Class="Framework.Button" Name=")" + name + "\" " + GalleryAt(x, 0, 90, 28) +
           R"(><CreateParamList><CreateParam ID="AUTO_VALUE_SET">true</CreateParam><CreateParam ID="IS_RADIO">true</CreateParam>
           </CreateParamList><Skin Name="t" LookList="Tab"/></SubControl>)";
}

std::string GalleryScrollBar() {
    return R"(<SubControl Class="Framework.ScrollBar" Name="vBar" XIsDocked="True" YIsDocked="True" XPositionRel="1"
        XPlacementAnchor="1" XSizeAbs="14" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="ScrollBar">
        <SubControl Class="Framework.Button" Name="dec" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="14">
          <Skin Name="u" LookList="ScrollBar.Up"/></SubControl>
        <SubControl Class="Framework.Button" Name="inc" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YPositionRel="1"
          YPlacementAnchor="1" YSizeAbs="14"><Skin Name="d" LookList="ScrollBar.Down"/></SubControl>
        <SubControl Class="Framework.ScrollChannel" Name="channel" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
          YPositionToControl="dec" YPositionRel="1" YSizeToControl="inc" YSizeRel="0" YSizeAbs="0">
          <Skin Name="c" LookList="ScrollBar.Channel">
            <SubControl Class="Framework.Button" Name="thumb" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="20">
              <Skin Name="t" LookList="ScrollBar.Thumb"/></SubControl></Skin></SubControl></Skin></SubControl>)";
}

// A list row; rows with a check box take the menu rows' looks, whose text clears the box.
std::string GalleryRow(const std::string& cls = "Framework.ListBoxItem", const std::string& box = "",
                       int width = 0) {
    return R"(<SubControl Class=")" + cls +
           R"(" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs=")" +
           std::to_string(-width) + R"(" YSizeAbs="22"><Skin Name="r" LookList=")" +
           (box.empty() ? "PresetEditor.ListBoxItem" : "MenuItem") + "\">" + box + "</Skin></SubControl>";
}

std::string GalleryCheckBox() {
    return R"(<SubControl Class="Framework.Button" Name="checkBox" XPositionAbs="8" YPositionAbs="5" XSizeAbs="12"
           YSizeAbs="12"><CreateParamList><CreateParam ID="AUTO_VALUE_SET">True</CreateParam></CreateParamList>
           <Skin Name="b" LookList="MenuCheck"/></SubControl>)";
}

std::string GalleryDropList(const std::string& cls, const std::string& row) {
    return R"(<SubControl Class=")" + cls +
           R"(" Name="listBox" YPositionRel="1" XSizeToControl="Parent" XSizeRel="1"
        XSizeAbs="0" YSizeAbs="80" ClipToParent="False" IsVisible="False"><Skin Name="l" LookList="PresetEditor.ListBox">)" +
           row + "</Skin></SubControl>";
}

// Knob frames: a raised face whose accent bar along the bottom grows with the value.
std::string GalleryKnobLooks() {
    std::string looks = "<Looks>";
    std::string list = R"(<LookLists><LookList Name="Gallery.Knob" NumLooks="9">)";
    for (int i = 0; i < 9; ++i) {
        const std::string n = std::to_string(i);
        looks += R"(<Look Name="Gallery.Knob)" + n +
                 R"("><ClientPart Name="Fill.Raised" OffsetLeft="0" OffsetTop="0"
            OffsetRight="0" OffsetBottom="0"/><NonClientParts><NonClientPart Name="Fill.Accent" OffsetLeft="4"
            OffsetBottom="-4" Height="4" Width=")" +
                 std::to_string(1 + i * 5) + R"("/></NonClientParts></Look>)";
        list += R"(<Look Name="Gallery.Knob)" + n + R"(" Index=")" + n + R"("/>)";
    }
    return looks + "</Looks>" + list + "</LookList></LookLists>";
}

std::string GallerySkin() {
    std::string c;
    // Column 1: buttons, label, text box, number box, slider, combo box.
    c += GalleryCaption("capButtons", 16, 12) +
         GalleryControl("Framework.Button", "button", GalleryAt(16, 32, 64, 24), "Button") +
         GalleryControl("Framework.Button", "buttonPressed", GalleryAt(88, 32, 64, 24), "Button") +
         GalleryControl("Framework.Button", "buttonDisabled", GalleryAt(160, 32, 64, 24), "Button") +
         GalleryControl("Framework.Button", "buttonOn", GalleryAt(232, 32, 64, 24), "Button");
    c += GalleryCaption("capText", 16, 68) +
         GalleryControl("Framework.TextBox", "textBox", GalleryAt(16, 88, 136, 24), "TextBox") +
         GalleryControl("Framework.TextBox", "textBoxFocused", GalleryAt(160, 88, 136, 24), "TextBox");
    c += GalleryCaption("capNumber", 16, 124) +
         GalleryControl(
             "Framework.NumericUpDown", "number", GalleryAt(16, 144, 96, 24), "",
             GalleryControl("Framework.TextBox", "textBox", GalleryAt(0, 0, 76, 24), "TextBox") +
                 GalleryControl("Framework.Button", "buttonUp", GalleryAt(76, 0, 20, 12), "NumberBox.Up") +
                 GalleryControl("Framework.Button", "buttonDown", GalleryAt(76, 12, 20, 12),
                                "NumberBox.Down")) +
         GalleryControl(
             "Framework.Slider", "slider", GalleryAt(128, 144, 168, 24), "Slider.Horizontal",
             GalleryControl("Framework.Button", "thumbStart", GalleryAt(0, 4, 10, 16), "Slider.Thumb") +
                 GalleryControl("Framework.Panel", "thumbEnd", GalleryAt(158, 4, 10, 16), ""));
    c += GalleryCaption("capCombo", 16, 180) +
         GalleryControl("Framework.ComboBox", "combo", GalleryAt(16, 200, 136, 24), "PresetEditor.ComboBox",
                        GalleryDropList("Framework.ListBox", GalleryRow())) +
         GalleryControl("Framework.CheckedComboBox", "checkedCombo", GalleryAt(160, 200, 136, 24),
                        "PresetEditor.ComboBox",
                        GalleryDropList("Framework.CheckedListBox",
                                        GalleryRow("Framework.CheckedListBoxItem", GalleryCheckBox()))) +
         GalleryControl(
             "Framework.ComboSlider", "comboSlider", GalleryAt(16, 236, 136, 24), "PresetEditor.ComboBox",
             GalleryControl(
                 "Framework.ComboSlider.DropDownPanel", "dropDownPanel", GalleryAt(0, 24, 168, 28), "Section",
                 GalleryControl(
                     "Framework.Slider", "slider", GalleryAt(4, 2, 160, 24), "Slider.Horizontal",
                     GalleryControl("Framework.Button", "thumbStart", GalleryAt(0, 4, 10, 16),
                                    "Slider.Thumb") +
                         GalleryControl("Framework.Panel", "thumbEnd", GalleryAt(150, 4, 10, 16), "")),
                 R"( ClipToParent="False" IsVisible="False")"));
    c += GalleryCaption("capTabs", 16, 272) +
         GalleryControl(
             "Framework.TabControl", "tabs", GalleryAt(16, 292, 280, 120), "",
             GalleryControl("Framework.Panel", "buttonHolder", GalleryAt(0, 0, 280, 28), "",
                            GalleryTab("tabA", 0) + GalleryTab("tabB", 92)) +
                 GalleryControl(
                     "Framework.Panel", "pageHolder", GalleryAt(0, 28, 280, 92), "Page",
                     GalleryControl("Framework.Panel", "pageA", GalleryAt(0, 0, 280, 92), "Page") +
                         GalleryControl("Framework.Panel", "pageB", GalleryAt(0, 0, 280, 92), "Page")));
    c += GalleryCaption("capStatus", 16, 424) +
         GalleryControl("Framework.StatusBar", "status", GalleryAt(16, 444, 280, 22), "Section",
                        GalleryControl("Framework.Label", "label1", GalleryAt(8, 0, 264, 22), "Label"));
    c += GalleryCaption("capDropper", 16, 478) +
         GalleryControl("Framework.FileDropper", "dropper", GalleryAt(16, 498, 54, 38), "Section");
    // Column 2: lists.
    c += GalleryCaption("capList", 320, 12) +
         GalleryControl("Framework.ListBox", "list", GalleryAt(320, 32, 200, 112), "PresetEditor.ListBox",
                        GalleryScrollBar() + GalleryRow("Framework.ListBoxItem", "", 14));
    c += GalleryCaption("capChecked", 320, 156) +
         GalleryControl(
             "Framework.CheckedListBox", "checkedList", GalleryAt(320, 176, 200, 112), "PresetEditor.ListBox",
             GalleryScrollBar() + GalleryRow("Framework.CheckedListBoxItem", GalleryCheckBox(), 14));
    c += GalleryCaption("capTree", 320, 300) +
         GalleryControl("Framework.TreeView", "tree", GalleryAt(320, 320, 200, 112), "PresetEditor.ListBox",
                        GalleryScrollBar() + GalleryRow("Framework.TreeViewItem", GalleryCheckBox(), 14));
    c += GalleryCaption("capTable", 320, 444) +
         GalleryControl("Framework.listbox2ColumnSortable", "table", GalleryAt(320, 464, 200, 112),
                        "PresetEditor.ListBox",
                        GalleryScrollBar() +
                            GalleryControl("Framework.Button", "buttonColumnHeader1", GalleryAt(0, 0, 93, 22),
                                           "Button") +
                            GalleryControl("Framework.Button", "buttonColumnHeader2",
                                           GalleryAt(93, 0, 93, 22), "Button") +
                            GalleryControl("Framework.listboxNoScroll", "listboxNoScroll1",
                                           GalleryAt(0, 22, 93, 88), "", GalleryRow()) +
                            GalleryControl("Framework.listboxNoScroll", "listboxNoScroll2",
                                           GalleryAt(93, 22, 93, 88), "", GalleryRow()));
    // Column 3: meters, knobs, splitters.
    c += GalleryCaption("capMeter", 544, 12) +
         GalleryControl(
             "Framework.LevelMeter", "meter", GalleryAt(544, 32, 200, 16), "Meter",
             GalleryControl("Framework.Panel", "activeOverlay", GalleryAt(0, 0, 1, 16), "Meter.Bar") +
                 GalleryControl("Framework.Panel", "peakLo", GalleryAt(0, 0, 2, 16), "Meter.Peak") +
                 GalleryControl("Framework.Panel", "peakHi", GalleryAt(180, 0, 2, 16), "Meter.Peak") +
                 GalleryControl("Framework.Button", "clipButton", GalleryAt(184, 0, 16, 16), "Meter.Clip")) +
         GalleryControl(
             "Framework.LevelMeter", "meterUpright", GalleryAt(752, 12, 16, 100), "Meter",
             GalleryControl("Framework.Panel", "activeOverlay", GalleryAt(0, 0, 16, 1), "Meter.Bar"));
    c +=
        GalleryCaption("capProgress", 544, 60) +
        GalleryControl(
            "Framework.ProgressBar", "progress", GalleryAt(544, 80, 200, 18), "Progress",
            GalleryControl("Framework.Panel", "activeOverlay", GalleryAt(0, 0, 1, 18), "Progress.Bar") +
                GalleryControl("Framework.Label", "percentCompleteLabel", GalleryAt(0, 0, 200, 18), "Label") +
                GalleryControl("Framework.Label", "timeRemainingLabel", GalleryAt(0, 20, 200, 16), "Label"),
            R"( ClipToParent="False")");
    c += GalleryCaption("capKnob", 544, 124) +
         GalleryControl("Framework.Knob", "knob", GalleryAt(544, 144, 48, 48), "Gallery.Knob") +
         GalleryControl("Framework.Knob", "knobDisabled", GalleryAt(600, 144, 48, 48), "Gallery.Knob");
    c +=
        GalleryCaption("capSplit", 544, 204) +
        GalleryControl(
            "Framework.Panel", "split", GalleryAt(544, 224, 300, 100), "Window",
            GalleryControl(
                "Framework.Panel", "left",
                R"(XSizeAbs="120" XMinSizeAbs="60" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0")",
                "Section") +
                GalleryControl(
                    "Framework.SplitterV", "splitter",
                    R"(XPositionToControl="left" XPositionRel="1" XSizeAbs="6" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0")",
                    "Button") +
                GalleryControl(
                    "Framework.Panel", "right",
                    R"(XPositionToControl="splitter" XPositionRel="1" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0")",
                    "Section"));
    return GalleryKnobLooks() + R"(<Skin Name="Gallery" FontName="DejaVu Sans" FontSize="9" FontStyle="0">
      <SubControl Class="Framework.Panel" Name="gallery" )" +
           GalleryAt(0, 0, kGalleryWidth, kGalleryHeight) + R"(><Skin Name="w" LookList="Window">)" + c +
           "</Skin></SubControl></Skin>";
}

void PumpGallery(OSWindow& window, int32_t rounds) {
    for (int i = 0; i < rounds; ++i) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            DispatchSdlEvent(event);
        }
        window.Paint();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

template <class T>
RCPtr<T> GalleryExhibit(const RCPtr<LControl>& gallery, const char16_t* name) {
    return RCPtr<T>(dynamic_cast<T*>(gallery->FindChild(WString(name)).Get()));
}

void GalleryFill(LListBox& list, std::initializer_list<const char16_t*> texts) {
    int32_t i = 0;
    for (const char16_t* text : texts) {
        list.InsertItem(i++, LListBox::CreateItemString(WString(text)));
    }
}

TEST(StandardControlsScreenshot, GalleryOfEveryFrameworkControlInTheProductLooks) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == 0) {
        GTEST_SKIP() << "no X display";
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    Platform::SdlPresenter::SetSoftwareSurfaceHint();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
        GTEST_SKIP() << "SDL's X11 video driver is not available: " << SDL_GetError();
    }
    {
        ScopedTestApplicationServices services;
        RCPtr<LControlFactory> factory = LControlFactory::Create(u"PresetEditor");
        ASSERT_EQ(RegisterFrameworkControlClasses(*factory), 0);
        factory->SetResourceBasePath(u"::");
        ASSERT_EQ(factory->LoadSkins(u"::APP_SKINS"), S_OK);
        const std::string skin = "<Velkor_Skin_Definitions>" + GallerySkin() + "</Velkor_Skin_Definitions>";
        ASSERT_EQ(factory->ParseXml(skin.c_str(), static_cast<int32_t>(skin.size())), S_OK);
        factory->SetCurrentSkinIndex(static_cast<int32_t>(factory->GetSkinCount()) - 1);
        RCPtr<LControlFactory> previous = LControlFactory::SetCurrent(factory);

        ::TestSupport::NullWindowOwner owner;
        auto window = std::make_unique<OSWindow>(&owner, u"Framework controls",
                                                 RectT<int32_t>{0, 0, kGalleryWidth, kGalleryHeight});
        ASSERT_TRUE(window->IsCreated()) << SDL_GetError();
        ASSERT_EQ(window->Initialize(kRendererGDI), S_OK);
        services->measuringRenderer = RCPtr<LMeasurementRenderer>(window->GetRenderer().Get());
        RCPtr<LControl> gallery = factory->CreateControl(factory->FindControlDescriptor(u"gallery"), nullptr);
        ASSERT_TRUE(gallery);
        window->GetRootWindow()->SetRootControl(gallery);

        const struct {
            const char16_t* name;
            const char16_t* text;
        } captions[] = {{u"capButtons", u"BUTTONS: NORMAL, PRESSED, DISABLED, ON"},
                        {u"capText", u"TEXT BOXES: NORMAL, FOCUSED"},
                        {u"capNumber", u"NUMBER BOX, SLIDER"},
                        {u"capCombo", u"COMBO BOX, CHECKED COMBO, COMBO SLIDER"},
                        {u"capTabs", u"TAB CONTROL"},
                        {u"capStatus", u"STATUS BAR"},
                        {u"capDropper", u"FILE DROPPER"},
                        {u"capList", u"LIST BOX"},
                        {u"capChecked", u"CHECKED LIST BOX"},
                        {u"capTree", u"TREE VIEW"},
                        {u"capTable", u"MULTI-COLUMN LIST"},
                        {u"capMeter", u"LEVEL METERS"},
                        {u"capProgress", u"PROGRESS BAR"},
                        {u"capKnob", u"KNOBS: ENABLED, DISABLED"},
                        {u"capSplit", u"SPLITTER"}};
        for (const auto& caption : captions) {
            gallery->FindChild(WString(caption.name))->SetText(WString(caption.text));
        }
        for (const char16_t* name : {u"button", u"buttonPressed", u"buttonDisabled", u"buttonOn"}) {
            gallery->FindChild(WString(name))->SetText(u"OK");
        }
        gallery->FindChild(u"buttonPressed")->SelectLook(2);
        gallery->FindChild(u"buttonDisabled")->SetEnabled(false);
        gallery->FindChild(u"buttonOn")->SetNormalizedValue(1.0);
        gallery->FindChild(u"textBox")->SetText(u"Preset 1");
        gallery->FindChild(u"textBoxFocused")->SetText(u"Focused");
        gallery->FindChild(u"slider")->SetNormalizedValue(0.4);
        gallery->FindChild(u"number")->SetValueRange(0, 127, 0);
        gallery->FindChild(u"number")->SetValue(64);

        RCPtr<LComboBox> combo = GalleryExhibit<LComboBox>(gallery, u"combo");
        GalleryFill(*combo->GetList(), {u"CHANNEL 1", u"CHANNEL 2"});
        combo->SetSelectedIndex(0);
        RCPtr<LCheckedComboBox> checkedCombo = GalleryExhibit<LCheckedComboBox>(gallery, u"checkedCombo");
        GalleryFill(*checkedCombo->GetList(), {u"LAYER A", u"LAYER B"});
        checkedCombo->GetCheckedList()->SetItemChecked(0, true);
        checkedCombo->SetSelectedIndex(0);
        RCPtr<LComboSlider> comboSlider = GalleryExhibit<LComboSlider>(gallery, u"comboSlider");
        comboSlider->SetValueRange(0, 127, 0);
        comboSlider->SetValue(100);
        dynamic_cast<LButton*>(
            gallery->FindChild(u"tabs")->FindChild(u"buttonHolder")->FindChild(u"tabA").Get())
            ->SetChecked(true);
        gallery->FindChild(u"tabs")->FindChild(u"buttonHolder")->FindChild(u"tabA")->SetText(u"FIRST");
        gallery->FindChild(u"tabs")->FindChild(u"buttonHolder")->FindChild(u"tabB")->SetText(u"SECOND");
        GalleryExhibit<LStatusBar>(gallery, u"status")->SetStatusTextNow(u"Preset sent to the keyboard");

        RCPtr<LListBox> list = GalleryExhibit<LListBox>(gallery, u"list");
        GalleryFill(*list, {u"Preset 1", u"Preset 2", u"Preset 3", u"Preset 4", u"Preset 5", u"Preset 6",
                            u"Preset 7"});
        list->SelectRange(1, -1, true);
        RCPtr<LCheckedListBox> checkedList = GalleryExhibit<LCheckedListBox>(gallery, u"checkedList");
        GalleryFill(*checkedList, {u"Keybed", u"Ribbon", u"Tilt", u"Pads"});
        checkedList->SetItemChecked(0, true);
        checkedList->SetItemChecked(2, true);
        checkedList->SelectRange(2, -1, true);
        RCPtr<LTreeView> tree = GalleryExhibit<LTreeView>(gallery, u"tree");
        GalleryFill(*tree, {u"Pads", u"Pad 1", u"Pad 2", u"Faders"});
        tree->GetNodeRecord(1)->Parent = 0;
        tree->GetNodeRecord(2)->Parent = 0;
        tree->UpdateSubtreeVisibility(0);
        tree->RebindFrom(0);
        tree->UpdateClientExtent();
        tree->ExpandItem(0);
        RCPtr<LMultiColumnListBox> table = GalleryExhibit<LMultiColumnListBox>(gallery, u"table");
        GalleryFill(*table->GetColumn(0), {u"Volume", u"Sustain", u"Pitch"});
        GalleryFill(*table->GetColumn(1), {u"CC 7", u"CC 64", u"Bend"});
        table->GetHeaderButton(0)->SetText(u"NAME");
        table->GetHeaderButton(1)->SetText(u"MESSAGE");
        table->PerformSort(0);
        table->GetColumn(1)->SelectRange(1, -1, true);

        GalleryExhibit<LLevelMeter>(gallery, u"meter")->SetLevels(0.6, 0.8, 1);
        GalleryExhibit<LLevelMeter>(gallery, u"meterUpright")->SetLevels(0.7, 0.0);
        RCPtr<LProgressBar> progress = GalleryExhibit<LProgressBar>(gallery, u"progress");
        progress->SetValue(45);
        progress->ShowTimeRemaining(95);
        gallery->FindChild(u"knob")->SetNormalizedValue(0.75);
        gallery->FindChild(u"knobDisabled")->SetNormalizedValue(0.25);
        gallery->FindChild(u"knobDisabled")->SetEnabled(false);
        gallery->FindChild(u"textBoxFocused")->SetFocus(true);

        window->Show(kShowNormal);
        PumpGallery(*window, 30);

        const std::string dir = std::string(SKYLET_TEST_OUTPUT_DIR) + "/screenshots";
        std::filesystem::create_directories(dir);
        const std::string xwd = dir + "/framework_gallery.xwd";
        ASSERT_EQ(
            std::system(("xwd -silent -display " + std::string(display) + " -root -out " + xwd).c_str()), 0);
        ::TestSupport::XwdImage screen;
        ASSERT_TRUE(::TestSupport::ReadXwd(xwd, screen));
        int wx = 0;
        int wy = 0;
        SDL_GetWindowPosition(SdlWindowOf(*window), &wx, &wy);
        ASSERT_TRUE(wx >= 0 && wy >= 0 && wx + kGalleryWidth <= screen.width &&
                    wy + kGalleryHeight <= screen.height);
        ::TestSupport::XwdImage image;
        image.width = kGalleryWidth;
        image.height = kGalleryHeight;
        for (int32_t y = 0; y < kGalleryHeight; ++y) {
            for (int32_t x = 0; x < kGalleryWidth; ++x) {
                image.pixels.push_back(screen.At(wx + x, wy + y));
            }
        }
        cairo_surface_t* surface = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(image.pixels.data()), CAIRO_FORMAT_ARGB32, image.width,
            image.height, image.width * 4);
        EXPECT_EQ(cairo_surface_write_to_png(surface, (dir + "/framework_gallery.png").c_str()),
                  CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(surface);
        std::filesystem::remove(xwd);

        // Known points of the picture: the window, the on button's accent, the meter's lit bar and
        // its unlit track, the progress bar's lit part.
        const struct {
            const char* what;
            int32_t x;
            int32_t y;
            uint32_t colour;
        } points[] = {
            {"window", 960, 580, 0xFF1B1D21},
            {"on button", 234, 34, 0xFF3FA7D6},
            {"lit meter", 544 + 20, 32 + 3, 0xFF3FA7D6},
            {"unlit meter", 544 + 150, 32 + 3, 0xFF1B1D21},
            {"lit progress", 544 + 10, 80 + 3, 0xFF3FA7D6},
        };
        for (const auto& p : points) {
            EXPECT_EQ(image.At(p.x, p.y), p.colour) << p.what << std::hex << " got " << image.At(p.x, p.y);
        }

        window->GetRootWindow()->SetRootControl(nullptr);
        gallery->Close();
        gallery = nullptr;
        combo = nullptr;
        checkedCombo = nullptr;
        comboSlider = nullptr;
        list = nullptr;
        checkedList = nullptr;
        tree = nullptr;
        table = nullptr;
        progress = nullptr;
        services->measuringRenderer = nullptr;
        window.reset();
        LControlFactory::SetCurrent(previous);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
}

}  // namespace
}  // namespace QV
