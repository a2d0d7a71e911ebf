#include <SDL.h>
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Platform/Sdl/X11ErrorHandler.h"
#include "Platform/Sdl/X11GoneWindowRequest.h"
#include "RIZozivirod/Application/Windows/OSWindow.h"
#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/NullWindowOwner.h"
#include "UITestSupport/SdlOffscreen.h"
#include "UITestSupport/TestFonts.h"

namespace QV {
namespace {

// A screen's pixels as xwd writes them (ZPixmap of 24 or 32 bits a pixel, 24 bits deep).
struct ScreenImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // 0xFFRRGGBB

    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The X screen captured with xwd; false with the reason when it cannot be read.
bool CaptureScreen(ScreenImage& image, std::string& error) {
    FILE* pipe = popen("xwd -root -silent", "r");
    if (pipe == nullptr) {
        error = "xwd cannot run";
        return false;
    }
    std::vector<uint8_t> data;
    uint8_t buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
        data.insert(data.end(), buffer, buffer + got);
    }
    pclose(pipe);
    if (data.size() < 100) {
        error = "xwd wrote no picture";
        return false;
    }
    const uint32_t headerSize = BigEndian32(&data[0]);
    const uint32_t format = BigEndian32(&data[8]);
    const uint32_t width = BigEndian32(&data[16]);
    const uint32_t height = BigEndian32(&data[20]);
    const uint32_t byteOrder = BigEndian32(&data[28]);
    const uint32_t bitsPerPixel = BigEndian32(&data[44]);
    const uint32_t bytesPerLine = BigEndian32(&data[48]);
    const uint32_t bytesPerPixel = bitsPerPixel / 8;
    const uint32_t colors = BigEndian32(&data[76]);
    const size_t start = static_cast<size_t>(headerSize) + static_cast<size_t>(colors) * 12;
    if (format != 2 || (bitsPerPixel != 24 && bitsPerPixel != 32) || bytesPerLine < width * bytesPerPixel ||
        width > 16384 || height > 16384 || data.size() < start + static_cast<size_t>(bytesPerLine) * height) {
        error = "xwd wrote a picture of another kind: format " + std::to_string(format) + ", " +
                std::to_string(bitsPerPixel) + " bits, " + std::to_string(width) + " x " +
                std::to_string(height) + ", " + std::to_string(data.size()) + " bytes";
        return false;
    }
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.pixels.resize(static_cast<size_t>(width) * height);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = &data[start + static_cast<size_t>(y) * bytesPerLine];
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = row + x * bytesPerPixel;
            const uint32_t value = byteOrder == 0
                                       ? (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0]
                                       : (uint32_t{p[bytesPerPixel - 3]} << 16) |
                                             (uint32_t{p[bytesPerPixel - 2]} << 8) | p[bytesPerPixel - 1];
            image.pixels[static_cast<size_t>(y) * width + x] = 0xFF000000 | value;
        }
    }
    return true;
}

// A part of the screen as a PNG file for a person to look at.
void WritePicture(const ScreenImage& screen, const RectT<int32_t>& area, const std::string& path) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, area.width, area.height);
    cairo_surface_flush(surface);
    uint8_t* data = cairo_image_surface_get_data(surface);
    const int32_t stride = cairo_image_surface_get_stride(surface);
    for (int32_t y = 0; y < area.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int32_t x = 0; x < area.width; ++x) {
            row[x] = screen.At(area.x + x, area.y + y);
        }
    }
    cairo_surface_mark_dirty(surface);
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
}

// A grey panel with a blue strip along its top, a label with black text on white, and a part
// filled by a red-to-green gradient colorizer.
const char* const kSkin = R"(
<Colorizers>
  <Colorizer Name="Gray" ColorType="SolidFill" Color="0xFF808080"/>
  <Colorizer Name="Blue" ColorType="SolidFill" Color="0xFF0000FF"/>
  <Colorizer Name="White" ColorType="SolidFill" Color="0xFFFFFFFF"/>
  <Colorizer Name="Black" ColorType="SolidFill" Color="0xFF000000"/>
  <Colorizer Name="Red" ColorType="SolidFill" Color="0xFFFF0000"/>
</Colorizers>
<Parts>
  <Part Name="Gray" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Gray"/>
  <Part Name="Blue" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Blue"/>
  <Part Name="White" Width="4" Height="4" ResizeType="Stretch" ColorizerName="White"/>
  <Part Name="Black" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Black"/>
  <Part Name="Red" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Red"/>
</Parts>
<Looks>
  <Look Name="Panel">
    <ClientPart Name="Gray" OffsetLeft="0" OffsetTop="10" OffsetRight="0" OffsetBottom="0"/>
    <NonClientParts><NonClientPart Name="Blue" OffsetLeft="0" OffsetTop="0" OffsetRight="0" Height="10"/></NonClientParts>
  </Look>
  <Look Name="Label">
    <ClientPart Name="White" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
    <TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="1" TextRightAbs="-4" TextHAlign="0"
        TextTopRel="0" TextTopAbs="2" TextBottomRel="1" TextBottomAbs="-2" TextVAlign="0.5" TextForegroundPart="Black"/>
  </Look>
  <Look Name="Red"><ClientPart Name="Red" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
</Looks>
<LookLists>
  <LookList Name="Panel" NumLooks="1"><Look Name="Panel" Index="0"/></LookList>
  <LookList Name="Label" NumLooks="1"><Look Name="Label" Index="0"/></LookList>
  <LookList Name="Red" NumLooks="1"><Look Name="Red" Index="0"/></LookList>
</LookLists>
<Skin Name="Default" FontName="DejaVu Sans" FontSize="12">
  <SubControl Class="Framework.Panel" Name="Main"><Skin Name="s" LookList="Panel"/>
    <SubControl Class="Framework.Label" Name="Caption" XPositionAbs="10" YPositionAbs="10" XSizeAbs="140"
        YSizeAbs="24"><Skin Name="s" LookList="Label"/></SubControl>
    <SubControl Class="Test.Control" Name="Swatch" XPositionAbs="160" YPositionAbs="10" XSizeAbs="30"
        YSizeAbs="30"><Skin Name="s" LookList="Red"/></SubControl>
  </SubControl></Skin>)";

class OSWindowScreenshotTest : public ControlTestFixture {};

TEST_F(OSWindowScreenshotTest, ASkinnedTreeShowsInARealWindow) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        GTEST_SKIP() << "No X display: run it under tests/run-under-xvfb.sh (starts Xvfb) to see the window.";
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
        GTEST_SKIP() << "SDL cannot open the X display " << display << ": " << SDL_GetError();
    }
    TestSupport::UseTestFonts();
    LoadSkin(kSkin);
    ::TestSupport::NullWindowOwner owner;
    {
        OSWindow window(&owner, u"Skylet host window", {40, 30, 200, 80});
        ASSERT_TRUE(window.IsCreated()) << SDL_GetError();
        ASSERT_EQ(window.Initialize(kRendererGDI), S_OK);
        const RCPtr<LControl> main = Create(u"Main");
        ASSERT_TRUE(main);
        window.GetRootWindow()->SetRootControl(main);
        Find(main, u"Caption")->SetText(u"Skylet");
        window.Show(kShowNormal);
        // Until the window is on the screen and has painted.
        const uint32_t start = SDL_GetTicks();
        bool exposed = false;
        while (!exposed && SDL_GetTicks() - start < 3000) {
            SDL_Event event;
            if (SDL_WaitEventTimeout(&event, 100) != 0) {
                exposed = event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED;
                DispatchSdlEvent(event);
            }
        }
        window.UpdateNow();
        SDL_PumpEvents();

        PointT<int32_t> origin;
        window.ClientToScreen(origin);
        ScreenImage screen;
        std::string error;
        ASSERT_TRUE(CaptureScreen(screen, error)) << error;
        ASSERT_LE(origin.x + 200, screen.width);
        ASSERT_LE(origin.y + 80, screen.height);
        const std::filesystem::path folder = std::filesystem::path(SKYLET_TEST_OUTPUT_DIR) / "screenshots";
        std::filesystem::create_directories(folder);
        WritePicture(screen, {origin.x, origin.y, 200, 80}, (folder / "host-window.png").string());

        const auto at = [&](int32_t x, int32_t y) { return screen.At(origin.x + x, origin.y + y); };
        EXPECT_EQ(at(100, 4), 0xFF0000FFu) << "the panel's strip";
        EXPECT_EQ(at(100, 60), 0xFF808080u) << "the panel's client part";
        EXPECT_EQ(at(175, 35), 0xFFFF0000u) << "the swatch";
        EXPECT_EQ(at(145, 22), 0xFFFFFFFFu) << "the label's background";
        bool ink = false;
        for (int32_t y = 20; y < 44 && !ink; ++y) {
            for (int32_t x = 14; x < 100 && !ink; ++x) {
                ink = at(x, y) != 0xFFFFFFFFu;
            }
        }
        EXPECT_TRUE(ink) << "the label's text";
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
}

// A request that names a window the program has just destroyed (a wake-up aimed at the window the
// loop was waiting on, say) draws BadWindow from the server; Xlib's default handler would end the
// process, the program's handler says so and goes on.
TEST(X11ErrorHandlerTest, AnErrorNamingAWindowThatIsGoneDoesNotEndTheProgram) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        GTEST_SKIP() << "No X display: run it under tests/run-under-xvfb.sh (starts Xvfb).";
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        GTEST_SKIP() << "SDL cannot open the X display " << display << ": " << SDL_GetError();
    }
    Platform::InstallX11ErrorHandler();
    SDL_Window* window = SDL_CreateWindow("gone", 0, 0, 40, 30, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    testing::internal::CaptureStderr();
    const bool sent = TestSupport::SendToAWindowThatIsGone(window);
    const std::string said = testing::internal::GetCapturedStderr();

    ASSERT_TRUE(sent) << SDL_GetError();

    EXPECT_NE(said.find("no longer exists"), std::string::npos) << said;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

}  // namespace
}  // namespace QV
