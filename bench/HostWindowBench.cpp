// The input and paint roads of a window: one pointer move through the root window to the
// control under it (with the heap allocations it makes once warm, which should be none), and
// one invalidated rectangle painted through the Cairo renderer and presented to an SDL window
// on the offscreen driver.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <string>

#include "RIZozivirod/Application/Windows/OSWindow.h"
#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Notification/Notification.h"
#include "RIZozivirod/Renderer/Gdi/GDIRenderContextInfo.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "UITestSupport/TestFonts.h"

// The process's allocations so far (AllocationCounter.cpp).
int64_t SkyletBenchAllocationCount();

namespace {

using namespace QV;

const char* const kSkin = R"(<Velkor_Skin_Definitions>
<Colorizers>
  <Colorizer Name="Panel" ColorType="SolidFill" Color="0xFF25282D"/>
  <Colorizer Name="Accent" ColorType="SolidFill" Color="0xFF3FA7D6"/>
</Colorizers>
<Parts>
  <Part Name="Panel" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Panel"/>
  <Part Name="Accent" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Accent"/>
</Parts>
<Looks>
  <Look Name="Panel"><ClientPart Name="Panel" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Accent"><ClientPart Name="Accent" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
</Looks>
<LookLists>
  <LookList Name="Panel" NumLooks="1"><Look Name="Panel" Index="0"/></LookList>
  <LookList Name="Accent" NumLooks="1"><Look Name="Accent" Index="0"/></LookList>
</LookLists>
<Skin Name="Default">
  <SubControl Class="Framework.Panel" Name="Main"><Skin Name="s" LookList="Panel"/>
    <SubControl Class="Test.Control" Name="Knob" XPositionAbs="100" YPositionAbs="100" XSizeAbs="200"
        YSizeAbs="100"><Skin Name="s" LookList="Accent"/></SubControl>
  </SubControl></Skin></Velkor_Skin_Definitions>)";

class NullOwner : public IOSWindowOwner {
public:
    void AddRootWindow(const RCPtr<LRootWindow>&) override {}
    void RemoveRootWindow(const LRootWindow*) override {}
    bool IsMainWindow(const LRootWindow*) override { return false; }
    bool OnIdle(int32_t) override { return false; }
    void ProcessForwardedCommandLine(const std::string&) override {}
    void WriteProfileBinary(const WString&, const WString&, const std::vector<uint8_t>&) override {}
    void OnWindowDestroyed(OSWindow*) override {}
};

// An 800 x 600 host window on SDL's offscreen driver with a panel and one control, focused.
struct HostScene {
    HostScene() {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        ok = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
        if (!ok) {
            return;
        }
        TestSupport::UseTestFonts();
        // As in the program: released notifications are handed out again.
        LNotification::EnablePooling(true);
        factory = LControlFactory::Create(u"Bench");
        factory->RegisterControlClass(u"Framework.Panel", &CreateControlFunction<LPanel>);
        factory->RegisterControlClass(u"Test.Control", &CreateControlFunction<LControl>);
        previous = LControlFactory::SetCurrent(factory);
        factory->ParseXml(kSkin, static_cast<int32_t>(std::char_traits<char>::length(kSkin)));
        window = new OSWindow(&owner, u"Bench", {0, 0, 800, 600});
        window->Initialize(kRendererGDI);
        root = factory->CreateControl(factory->FindControlDescriptor(u"Main"), nullptr);
        window->GetRootWindow()->SetRootControl(root);
        knob = root->FindChild(u"Knob");
        Platform::WindowEvent focus;
        focus.type = Platform::WindowEvent::kFocusGained;
        focus.windowId = window->GetWindowId();
        window->HandleEvent(focus);
        window->Paint();
    }
    ~HostScene() {
        if (!ok) {
            return;
        }
        knob = nullptr;
        root = nullptr;
        delete window;
        LControlFactory::SetCurrent(previous);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        LNotification::EnablePooling(false);
    }

    bool ok = false;
    NullOwner owner;
    RCPtr<LControlFactory> factory;
    RCPtr<LControlFactory> previous;
    OSWindow* window = nullptr;
    RCPtr<LControl> root;
    RCPtr<LControl> knob;
};

void BM_RootWindowPointerMove(benchmark::State& state) {
    HostScene scene;
    if (!scene.ok) {
        state.SkipWithError("SDL's offscreen video driver is not available");
        return;
    }
    const RCPtr<LRootWindow> root = scene.window->GetRootWindow();
    // Warm: the hover is on the control and the pointer parameters exist.
    for (int32_t i = 0; i < 16; ++i) {
        root->OnMouseMove({150 + i, 150}, 0, 0);
    }
    const int64_t before = SkyletBenchAllocationCount();
    int32_t step = 0;
    for (auto _ : state) {
        root->OnMouseMove({150 + (step++ & 63), 150}, 0, 0);
    }
    const int64_t allocations = SkyletBenchAllocationCount() - before;
    state.counters["allocations_per_event"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_RootWindowPointerMove);

void BM_HostWindowInvalidatePaintPresent(benchmark::State& state) {
    HostScene scene;
    if (!scene.ok) {
        state.SkipWithError("SDL's offscreen video driver is not available");
        return;
    }
    for (auto _ : state) {
        // The control's rectangle: invalidated, drawn, and only it copied to the window.
        scene.knob->InvalidateRect({0, 0, 200, 100}, true);
        scene.window->Paint();
    }
    state.counters["pixels_presented"] =
        benchmark::Counter(static_cast<double>(scene.window->GetDesktopWindow()->GetLastCopiedPixels()));
}
BENCHMARK(BM_HostWindowInvalidatePaintPresent)->Unit(benchmark::kMicrosecond);

// Two 16 x 16 changes in opposite corners of the window (argument 0), beside the whole window
// (argument 1): painted and presented, with the pixels presented and how many of the window's
// offscreen surfaces each frame made (none while the size stays).
void BM_HostWindowCornersOrWholeRepaint(benchmark::State& state) {
    HostScene scene;
    if (!scene.ok) {
        state.SkipWithError("SDL's offscreen video driver is not available");
        return;
    }
    const bool whole = state.range(0) != 0;
    const RCPtr<LRootWindow> root = scene.window->GetRootWindow();
    auto* target = dynamic_cast<LGDIRenderContextInfo*>(scene.window->GetRenderContext().Get());
    if (target == nullptr) {
        state.SkipWithError("the window has no Cairo target");
        return;
    }
    int64_t surfacesMade = 0;
    for (auto _ : state) {
        // Held across the frame, so that a surface made again could not take its address. (A
        // window's target has no spare surface.)
        cairo_surface_t* drawing = cairo_surface_reference(target->GetDrawingSurface()->GetBitmap());
        if (whole) {
            root->Invalidate({0, 0, 800, 600});
        } else {
            root->Invalidate({0, 0, 16, 16});
            root->Invalidate({784, 584, 16, 16});
        }
        scene.window->Paint();
        surfacesMade += target->GetDrawingSurface()->GetBitmap() != drawing ? 1 : 0;
        cairo_surface_destroy(drawing);
    }
    state.counters["pixels_presented"] =
        benchmark::Counter(static_cast<double>(scene.window->GetDesktopWindow()->GetLastCopiedPixels()));
    state.counters["surfaces_made_per_frame"] =
        benchmark::Counter(static_cast<double>(surfacesMade) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_HostWindowCornersOrWholeRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
