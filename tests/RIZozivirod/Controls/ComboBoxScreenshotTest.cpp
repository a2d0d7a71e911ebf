#include <SDL.h>
#include <cairo.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
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
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "UITestSupport/NullWindowOwner.h"
#include "UITestSupport/SdlOffscreen.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/XwdImage.h"

namespace QV {
namespace {

// A combo box as the editor's panels place it, in the product skin's looks: a 180 x 22 box whose
// list shows rows of 22 pixels, at most seven of them.
const char* const kComboShotSkin =
    R"(<Velkor_Skin_Definitions><Skin Name="::TestSupport::XwdImage" FontName="DejaVu Sans" FontSize="9" FontStyle="0">
  <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="300" YSizeAbs="240"><Skin Name="w" LookList="Window"/>
    <SubControl Class="Framework.ComboBox" Name="channel" TabStop="1" XPositionAbs="16" YPositionAbs="16" XSizeAbs="180" YSizeAbs="22">
      <Skin Name="c" LookList="PresetEditor.ComboBox">
        <SubControl Class="Framework.ListBox" Name="listBox" XPositionToControl="Parent" YPositionRel="1" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0"
                    YSizeAbs="80" YMaxSizeAbs="158" ClipToParent="False" IsVisible="False">
          <Skin Name="l" LookList="PresetEditor.ListBox">
            <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
                        YSizeAbs="22"><Skin Name="r" LookList="PresetEditor.ListBoxItem"/></SubControl>
          </Skin>
        </SubControl>
      </Skin>
    </SubControl>
  </SubControl></Skin></Velkor_Skin_Definitions>)";

void ComboShotPump(OSWindow& window, int32_t rounds) {
    for (int i = 0; i < rounds; ++i) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            DispatchSdlEvent(event);
        }
        window.Paint();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int ComboShotRun(const std::string& command) {
    return std::system(command.c_str());
}

TEST(StandardControlsScreenshot, ComboBoxOpenedByAClickAndChosenByClicksAndKeys) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == 0) {
        GTEST_SKIP() << "no X display";
    }
    if (ComboShotRun("command -v xdotool > /dev/null") != 0) {
        GTEST_SKIP() << "no xdotool";
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
        ASSERT_EQ(factory->ParseXml(kComboShotSkin,
                                    static_cast<int32_t>(std::char_traits<char>::length(kComboShotSkin))),
                  S_OK);
        factory->SetCurrentSkinIndex(static_cast<int32_t>(factory->GetSkinCount()) - 1);
        RCPtr<LControlFactory> previous = LControlFactory::SetCurrent(factory);

        ::TestSupport::NullWindowOwner owner;
        auto window = std::make_unique<OSWindow>(&owner, u"Combo box", RectT<int32_t>{0, 0, 300, 240});
        ASSERT_TRUE(window->IsCreated()) << SDL_GetError();
        ASSERT_EQ(window->Initialize(kRendererGDI), S_OK);
        // Text is measured by the window's renderer, as in the program.
        services->measuringRenderer = RCPtr<LMeasurementRenderer>(window->GetRenderer().Get());
        RCPtr<LControl> main = factory->CreateControl(factory->FindControlDescriptor(u"Main"), nullptr);
        ASSERT_TRUE(main);
        window->GetRootWindow()->SetRootControl(main);
        RCPtr<LComboBox> combo(dynamic_cast<LComboBox*>(main->FindChild(u"channel").Get()));
        ASSERT_TRUE(combo);
        LStringTable::EntryMap items;
        for (int i = 0; i < 16; ++i) {
            char id[24];
            std::snprintf(id, sizeof id, "ITEM.%02d", i);
            items[WString(id)] = WString::Format(u"CHANNEL %d", i + 1);
        }
        combo->GetList()->LoadItemsFromStringTable(LStringTable::Create(items));
        combo->SetSelectedIndex(0);
        window->Show(kShowNormal);
        ComboShotPump(*window, 20);

        int wx = 0;
        int wy = 0;
        SDL_GetWindowPosition(SdlWindowOf(*window), &wx, &wy);
        const auto click = [&](int x, int y) {
            const std::string command = "xdotool mousemove --sync " + std::to_string(wx + x) + " " +
                                        std::to_string(wy + y) + " click 1";
            ASSERT_EQ(ComboShotRun(command), 0) << command;
            ComboShotPump(*window, 15);
        };
        const auto key = [&](const char* name) {
            ASSERT_EQ(ComboShotRun(std::string("xdotool key ") + name), 0);
            ComboShotPump(*window, 10);
        };

        // A click on the box opens the list below it: seven whole rows with the choice selected.
        click(100, 27);
        ASSERT_TRUE(combo->IsDroppedDown());
        const RectT<double>& list = combo->GetList()->GetFrame();
        EXPECT_EQ(list.y, 21.0);  // in the box's content, below its one-pixel frame
        EXPECT_EQ(list.height, 4.0 + 7 * 22);
        ComboShotPump(*window, 5);
        const std::string dir = std::string(SKYLET_TEST_OUTPUT_DIR) + "/screenshots";
        std::filesystem::create_directories(dir);
        const std::string xwd = dir + "/combo_box_open.xwd";
        ASSERT_EQ(ComboShotRun("xwd -silent -display " + std::string(display) + " -root -out " + xwd), 0);
        ::TestSupport::XwdImage screen;
        ASSERT_TRUE(::TestSupport::ReadXwd(xwd, screen));
        ASSERT_TRUE(wx >= 0 && wy >= 0 && wx + 300 <= screen.width && wy + 240 <= screen.height);
        ::TestSupport::XwdImage image;
        image.width = 300;
        image.height = 240;
        for (int32_t y = 0; y < 240; ++y) {
            for (int32_t x = 0; x < 300; ++x) {
                image.pixels.push_back(screen.At(wx + x, wy + y));
            }
        }
        cairo_surface_t* surface = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(image.pixels.data()), CAIRO_FORMAT_ARGB32, image.width,
            image.height, image.width * 4);
        EXPECT_EQ(cairo_surface_write_to_png(surface, (dir + "/combo_box_open.png").c_str()),
                  CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(surface);
        std::filesystem::remove(xwd);
        const struct {
            const char* what;
            int32_t x;
            int32_t y;
            uint32_t colour;
        } points[] = {
            {"window", 250, 200, 0xFF1B1D21},
            {"open box's accent outline", 16, 27, 0xFF3FA7D6},
            {"selected first row", 16 + 170, 16 + 22 + 1 + 11, 0xFF3FA7D6},
            {"second row", 16 + 170, 16 + 22 + 1 + 22 + 11, 0xFF2F333A},
            {"list border", 16, 16 + 22 + 60, 0xFF3C424A},
        };
        for (const auto& p : points) {
            EXPECT_EQ(image.At(p.x, p.y), p.colour) << p.what << std::hex << " got " << image.At(p.x, p.y);
        }

        // A second click, on the fourth row, chooses it and closes the list.
        click(100, 16 + 22 + 1 + 3 * 22 + 11);
        EXPECT_FALSE(combo->IsDroppedDown());
        EXPECT_EQ(combo->GetSelectedIndex(), 3);
        EXPECT_EQ(combo->GetText(), u"CHANNEL 4");

        // The keys: Down opens, Down moves, Return chooses; Escape closes without a choice.
        key("Down");
        EXPECT_TRUE(combo->IsDroppedDown());
        key("Down");
        key("Return");
        EXPECT_FALSE(combo->IsDroppedDown());
        EXPECT_EQ(combo->GetSelectedIndex(), 4);
        key("Return");
        EXPECT_TRUE(combo->IsDroppedDown());
        key("Up");
        key("Escape");
        EXPECT_FALSE(combo->IsDroppedDown());
        EXPECT_EQ(combo->GetSelectedIndex(), 4);

        window->GetRootWindow()->SetRootControl(nullptr);
        combo = nullptr;
        main->Close();
        main = nullptr;
        services->measuringRenderer = nullptr;
        window.reset();
        LControlFactory::SetCurrent(previous);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
}

}  // namespace
}  // namespace QV
