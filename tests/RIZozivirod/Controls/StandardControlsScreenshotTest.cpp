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
#include "RIZozivirod/Application/Windows/OSWindow.h"
#include "RIZozivirod/Application/Windows/RootWindow.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/ScrollView.h"
#include "RIZozivirod/Controls/Scrollbar.h"
#include "RIZozivirod/Controls/TabControl.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/NullWindowOwner.h"
#include "UITestSupport/SdlOffscreen.h"
#include "UITestSupport/StandardSkin.h"
#include "UITestSupport/XwdImage.h"

namespace QV {
namespace {

// The editor's palette: window, page, raised, hover, pressed, border, accent.
const char* const kSkin = R"(
<Colorizers>
  <Colorizer Name="Window" ColorType="SolidFill" Color="0xFF1B1D21"/>
  <Colorizer Name="Page" ColorType="SolidFill" Color="0xFF25282D"/>
  <Colorizer Name="Raised" ColorType="SolidFill" Color="0xFF2F333A"/>
  <Colorizer Name="Hover" ColorType="SolidFill" Color="0xFF383C44"/>
  <Colorizer Name="Pressed" ColorType="SolidFill" Color="0xFF376D88"/>
  <Colorizer Name="Border" ColorType="SolidFill" Color="0xFF3C424A"/>
  <Colorizer Name="Accent" ColorType="SolidFill" Color="0xFF3FA7D6"/>
</Colorizers>
<Parts>
  <Part Name="Window" Width="1" Height="1" ResizeType="Stretch" ColorizerName="Window"/>
  <Part Name="Page" Width="1" Height="1" ResizeType="Stretch" ColorizerName="Page"/>
  <Part Name="Raised" Width="1" Height="1" ResizeType="Stretch" ColorizerName="Raised"/>
  <Part Name="Hover" Width="1" Height="1" ResizeType="Stretch" ColorizerName="Hover"/>
  <Part Name="Pressed" Width="1" Height="1" ResizeType="Stretch" ColorizerName="Pressed"/>
  <Part Name="Border" Width="1" Height="1" ResizeType="Stretch" ColorizerName="Border"/>
  <Part Name="Accent" Width="1" Height="1" ResizeType="Stretch" ColorizerName="Accent"/>
</Parts>
<Looks>
  <Look Name="Window"><ClientPart Name="Window" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Page"><ClientPart Name="Page" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Raised"><ClientPart Name="Raised" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Hover"><ClientPart Name="Hover" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Pressed"><ClientPart Name="Pressed" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Border"><ClientPart Name="Border" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Accent"><ClientPart Name="Accent" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
</Looks>
<LookLists>
  <LookList Name="Window" NumLooks="1"><Look Name="Window" Index="0"/></LookList>
  <LookList Name="Page" NumLooks="1"><Look Name="Page" Index="0"/></LookList>
  <LookList Name="Solid" NumLooks="1"><Look Name="Border" Index="0"/></LookList>
  <LookList Name="Channel" NumLooks="3"><Look Name="Border" Index="0"/><Look Name="Hover" Index="1"/><Look Name="Border" Index="2"/></LookList>
  <LookList Name="Button" NumLooks="14">
    <Look Name="Raised" Index="0"/><Look Name="Hover" Index="1"/><Look Name="Pressed" Index="2"/>
    <Look Name="Raised" Index="3"/><Look Name="Hover" Index="4"/><Look Name="Pressed" Index="5"/>
    <Look Name="Page" Index="6"/>
    <Look Name="Accent" Index="7"/><Look Name="Accent" Index="8"/><Look Name="Pressed" Index="9"/>
    <Look Name="Accent" Index="10"/><Look Name="Accent" Index="11"/><Look Name="Pressed" Index="12"/>
    <Look Name="Page" Index="13"/>
  </LookList>
</LookLists>)";

std::string Tab(const std::string& name, int x) {
    return R"(<SubControl Class="Framework.Button" Name=")" + name + R"(" XPositionAbs=")" +
           std::to_string(x) +
           R"(" XSizeAbs="96" YSizeAbs="28"><CreateParamList><CreateParam ID="AUTO_VALUE_SET">true</CreateParam>
           <CreateParam ID="IS_RADIO">true</CreateParam></CreateParamList><Skin Name="b" LookList="Button"/></SubControl>)";
}

std::string Row(int i) {
    return R"(<SubControl Class="Framework.Button" Name="row)" + std::to_string(i) +
           R"(" XPositionAbs="8" YPositionAbs=")" + std::to_string(8 + i * 30) +
           R"(" XSizeAbs="160" YSizeAbs="22"><Skin Name="b" LookList="Button"/></SubControl>)";
}

TEST(StandardControlsScreenshot, TabControlScrollingPanelAndButtonsInARealWindow) {
    // A real X display (tests/run-under-xvfb.sh gives one): the window is drawn by the host
    // window and taken from the X server with xwd, as a person would see it.
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
        factory->RegisterControlClass(u"Framework.Panel", &CreateControlFunction<LPanel>);
        factory->RegisterControlClass(u"Framework.Button", &CreateControlFunction<LButton>);
        factory->RegisterControlClass(u"Framework.ScrollBar", &CreateControlFunction<LScrollbar>);
        factory->RegisterControlClass(u"Framework.ScrollChannel", &CreateControlFunction<LPanel>);
        factory->RegisterControlClass(u"Framework.TabControl", &CreateControlFunction<LTabControl>);
        RCPtr<LControlFactory> previous = LControlFactory::SetCurrent(factory);
        std::string rows;
        for (int i = 0; i < 8; ++i) {
            rows += Row(i);
        }
        const std::string skin =
            std::string("<Velkor_Skin_Definitions>") + kSkin + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="w" LookList="Window"/>
            <SubControl Class="Framework.TabControl" Name="tabs" XPositionAbs="16" YPositionAbs="16" XSizeAbs="368" YSizeAbs="268">
              <Skin Name="w" LookList="Window"/>
              <SubControl Class="Framework.Panel" Name="buttonHolder" XSizeAbs="368" YSizeAbs="28"><Skin Name="w" LookList="Window"/>)" +
            Tab("a", 0) + Tab("b", 100) + Tab("c", 200) + R"(</SubControl>
              <SubControl Class="Framework.Panel" Name="pageHolder" YPositionAbs="28" XSizeAbs="368" YSizeAbs="240">
                <Skin Name="p" LookList="Page"/>
                <SubControl Class="Framework.Panel" Name="p0" XSizeAbs="368" YSizeAbs="240"><Skin Name="p" LookList="Page"/>
                  <SubControl Class="Framework.Panel" Name="list" XPositionAbs="16" YPositionAbs="16" XSizeAbs="200" YSizeAbs="150">
                    <CreateParamList><CreateParam ID="AUTO_CLIENT_EXTENT_Y">true</CreateParam></CreateParamList>
                    <Skin Name="w" LookList="Window"/>)" +
            rows +
            TestSupport::VerticalBar(
                "vBar", R"(XIsDocked="True" YIsDocked="True" XPositionRel="1" XPlacementAnchor="1"
                                      XSizeAbs="14" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0")",
                14) +
            R"(</SubControl>
                </SubControl>
                <SubControl Class="Framework.Panel" Name="p1" XSizeAbs="368" YSizeAbs="240"><Skin Name="p" LookList="Page"/></SubControl>
                <SubControl Class="Framework.Panel" Name="p2" XSizeAbs="368" YSizeAbs="240"><Skin Name="p" LookList="Page"/></SubControl>
              </SubControl>
            </SubControl>
          </SubControl></Skin></Velkor_Skin_Definitions>)";
        ASSERT_EQ(factory->ParseXml(skin.c_str(), static_cast<int32_t>(skin.size())), S_OK);

        ::TestSupport::NullWindowOwner owner;
        auto window =
            std::make_unique<OSWindow>(&owner, u"Standard controls", RectT<int32_t>{0, 0, 400, 300});
        ASSERT_TRUE(window->IsCreated()) << SDL_GetError();
        ASSERT_EQ(window->Initialize(kRendererGDI), S_OK);
        RCPtr<LControl> main = factory->CreateControl(factory->FindControlDescriptor(u"Main"), nullptr);
        ASSERT_TRUE(main);
        window->GetRootWindow()->SetRootControl(main);
        auto* tabs = dynamic_cast<LTabControl*>(main->FindChild(u"tabs").Get());
        ASSERT_NE(tabs, nullptr);
        dynamic_cast<LButton*>(tabs->GetTabButtonAt(0).Get())->SetChecked(true);
        auto* list = dynamic_cast<LScrollView*>(tabs->GetPageAt(0)->FindChild(u"list").Get());
        ASSERT_NE(list, nullptr);
        list->SetScrollOffset({0, 30});  // one row scrolled away
        window->Show(kShowNormal);
        for (int i = 0; i < 20; ++i) {
            SDL_Event event;
            while (SDL_PollEvent(&event)) {
                DispatchSdlEvent(event);
            }
            window->Paint();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        const std::string dir = std::string(SKYLET_TEST_OUTPUT_DIR) + "/screenshots";
        std::filesystem::create_directories(dir);
        const std::string xwd = dir + "/standard_controls.xwd";
        const std::string command = "xwd -silent -display " + std::string(display) + " -root -out " + xwd;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        ::TestSupport::XwdImage screen;
        ASSERT_TRUE(::TestSupport::ReadXwd(xwd, screen));
        // The window's part of the screen.
        int wx = 0;
        int wy = 0;
        SDL_GetWindowPosition(SdlWindowOf(*window), &wx, &wy);
        ASSERT_TRUE(wx >= 0 && wy >= 0 && wx + 400 <= screen.width && wy + 300 <= screen.height);
        ::TestSupport::XwdImage image;
        image.width = 400;
        image.height = 300;
        for (int32_t y = 0; y < 300; ++y) {
            for (int32_t x = 0; x < 400; ++x) {
                image.pixels.push_back(screen.At(wx + x, wy + y));
            }
        }

        cairo_surface_t* surface = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(image.pixels.data()), CAIRO_FORMAT_ARGB32, image.width,
            image.height, image.width * 4);
        EXPECT_EQ(cairo_surface_write_to_png(surface, (dir + "/standard_controls.png").c_str()),
                  CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(surface);
        std::filesystem::remove(xwd);

        const struct {
            const char* what;
            int32_t x;
            int32_t y;
            uint32_t colour;
        } points[] = {
            {"window margin", 4, 4, 0xFF1B1D21},
            {"selected tab", 16 + 48, 16 + 14, 0xFF3FA7D6},
            {"other tab", 16 + 148, 16 + 14, 0xFF2F333A},
            {"page", 16 + 300, 16 + 200, 0xFF25282D},
            {"first row on view, scrolled up by a row", 16 + 16 + 8 + 80, 16 + 28 + 16 + 8 + 11, 0xFF2F333A},
            {"gap between rows", 16 + 16 + 8 + 80, 16 + 28 + 16 + 8 + 26, 0xFF1B1D21},
            {"scroll bar channel", 16 + 16 + 200 - 7, 16 + 28 + 16 + 140, 0xFF3C424A},
        };
        for (const auto& p : points) {
            EXPECT_EQ(image.At(p.x, p.y), p.colour) << p.what << std::hex << " got " << image.At(p.x, p.y);
        }
        window->GetRootWindow()->SetRootControl(nullptr);
        main->Close();
        main = nullptr;
        window.reset();
        LControlFactory::SetCurrent(previous);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
}

}  // namespace
}  // namespace QV
