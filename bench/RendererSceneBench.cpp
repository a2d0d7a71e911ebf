// One full-window scene of a control panel (800 x 600: background, 120 framed rectangles, 40
// bitmaps stretched, tiled and copied, 24 lines of text, a kept meter polyline and a kept
// polygon fill) drawn by the OpenGL renderer headless and by the Cairo renderer. The first
// frame is a renderer's first (every cache empty: textures, glyph atlases, display lists,
// prepared bitmaps), the steady frame one of many with the same renderer.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>

#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"
#include "RIZozivirod/Renderer/OpenGL/GLRenderer.h"
#include "UITestSupport/HeadlessGL.h"
#include "UITestSupport/TestFonts.h"

namespace {

using namespace QV;

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;

struct Scene {
    Scene() {
        TestSupport::UseTestFonts();
        pattern = LBitmap::CreateFilledBitmap({64, 64}, Color::FromARGB(0xFF3060A0));
        RCPtr<LBitmapData> data = pattern->LockData();
        for (int32_t y = 0; y < 64; ++y) {
            for (int32_t x = 0; x < 64; ++x) {
                *data->GetPixelPointer(x, y) = 0xFF000000u | static_cast<uint32_t>(x * 4) << 16 |
                                               static_cast<uint32_t>(y * 4) << 8 | 0x80u;
            }
        }
        font = LFont::GetFont(u"DejaVu Sans", 9.0f, 0);
        for (int i = 0; i < 64; ++i) {
            meter.points.push_back({static_cast<float>(i * 6), static_cast<float>((i * 37) % 50)});
        }
        knob.points = {{0, 0}, {40, 0}, {40, 20}, {20, 20}, {20, 40}, {0, 40}};
    }

    void Paint(LRenderer& renderer) {
        renderer.FillRect({0, 0, kWidth, kHeight}, Color::FromARGB(0xFF202428), true);
        for (int i = 0; i < 120; ++i) {
            const int32_t x = (i % 12) * 66 + 4;
            const int32_t y = (i / 12) * 40 + 4;
            renderer.DrawRect({x, y, 60, 34}, Color::FromARGB(0xFF303840), Color::FromARGB(0xFF8090A0), 1.0f);
        }
        for (int i = 0; i < 40; ++i) {
            const int32_t x = (i % 10) * 78 + 8;
            const int32_t y = 410 + (i / 10) * 44;
            const ResizeType type = static_cast<ResizeType>(i % 3);
            renderer.DrawBitmap(pattern, {x, y, i % 3 == 2 ? 64 : 72, 40}, type);
        }
        for (int i = 0; i < 24; ++i) {
            renderer.DrawText(u"Preset 12: Warm Pad / Velocity 96", font,
                              {8 + (i % 3) * 260, 8 + (i / 3) * 48}, Color::FromARGB(0xFFE0E8F0));
        }
        renderer.DrawPolyline(meter, Color::FromARGB(0xFF40FF80), {400, 360}, {1, 1}, true);
        renderer.FillPolygon(knob, Color::FromARGB(0xFFFFC040), {740, 360}, {1, 1}, true);
    }

    RCPtr<LBitmap> pattern;
    RCPtr<LFont> font;
    PolylineT<float> meter;
    PolylineT<float> knob;
};

struct Frame {
    RCPtr<LRenderer> renderer;
    RCPtr<LRenderContextInfo> target;

    void Draw(Scene& scene, bool gl) {
        // The whole window is to be drawn and presented.
        target->GetUpdateRegion().Clear();
        target->GetUpdateRegion().AddRect(0, 0, kWidth, kHeight);
        renderer->RenderStart(target);
        scene.Paint(*renderer);
        renderer->RenderFinish(target);
        if (gl) {
            // Waits for the frame's pixels.
            uint32_t pixel = 0;
            glReadPixels(0, 0, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &pixel);
            benchmark::DoNotOptimize(pixel);
        }
    }
};

Frame MakeFrame(int32_t type) {
    Frame frame;
    frame.renderer = LRenderer::Create(type, {0, 0, kWidth, kHeight}, 0);
    frame.renderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, 0, false, frame.target);
    return frame;
}

void RunFirstFrame(benchmark::State& state, int32_t type) {
    TestSupport::ScopedHeadlessGL headlessGL;
    Scene scene;
    for (auto _ : state) {
        state.PauseTiming();
        Frame frame = MakeFrame(type);
        state.ResumeTiming();
        frame.Draw(scene, type == kRendererOpenGL);
        state.PauseTiming();
        frame = Frame();
        state.ResumeTiming();
    }
}

void RunSteadyFrame(benchmark::State& state, int32_t type) {
    TestSupport::ScopedHeadlessGL headlessGL;
    Scene scene;
    Frame frame = MakeFrame(type);
    frame.Draw(scene, type == kRendererOpenGL);
    for (auto _ : state) {
        frame.Draw(scene, type == kRendererOpenGL);
    }
}

void SceneFirstFrame_OpenGL(benchmark::State& state) {
    RunFirstFrame(state, kRendererOpenGL);
}
void SceneFirstFrame_Cairo(benchmark::State& state) {
    RunFirstFrame(state, kRendererGDI);
}
void SceneSteadyFrame_OpenGL(benchmark::State& state) {
    RunSteadyFrame(state, kRendererOpenGL);
}
void SceneSteadyFrame_Cairo(benchmark::State& state) {
    RunSteadyFrame(state, kRendererGDI);
}

BENCHMARK(SceneFirstFrame_OpenGL)->Unit(benchmark::kMillisecond);
BENCHMARK(SceneFirstFrame_Cairo)->Unit(benchmark::kMillisecond);
BENCHMARK(SceneSteadyFrame_OpenGL)->Unit(benchmark::kMillisecond);
BENCHMARK(SceneSteadyFrame_Cairo)->Unit(benchmark::kMillisecond);

}  // namespace
