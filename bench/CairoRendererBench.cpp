// The Cairo renderer at work: a full 1200 x 600 frame of what a skinned window draws (tiled
// background, stretched panel frames, centred knobs, header fills and labels), presented, beside
// the same scene drawn with plain Cairo calls on one retained surface, cleared the Cairo way,
// with the same prepared pictures and the same glyphs and presented the same way (the floor; its
// frame is checked to be the renderer's pixels); a 100 x 100 dirty rectangle repainted and
// presented; MeasureText of a short label; wrapping a 500-character paragraph, with the number of
// measurements it made, beside a greedy wrap that measures each word once (the floor). Text uses
// the installed DejaVu Sans (the program's font).
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "Platform/Fonts/FontFace.h"
#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "RIZozivirod/Utilities/Graphics/FontText.h"

namespace {

using namespace QV;

constexpr int32_t kWidth = 1200;
constexpr int32_t kHeight = 600;

// A window's pixels: each presented rectangle copied in, as the window layer does.
class CopyingPresenter : public Platform::IRenderPresenter {
public:
    void Present(cairo_surface_t* frame, const std::vector<RectT<int32_t>>& rects) override {
        const unsigned char* data = cairo_image_surface_get_data(frame);
        const int stride = cairo_image_surface_get_stride(frame);
        for (const RectT<int32_t>& r : rects) {
            for (int32_t y = r.y; y < r.y + r.height; ++y) {
                std::memcpy(&window[static_cast<size_t>(y) * kWidth + r.x],
                            data + static_cast<ptrdiff_t>(y) * stride + r.x * 4,
                            static_cast<size_t>(r.width) * 4);
            }
        }
    }
    std::vector<uint32_t> window = std::vector<uint32_t>(static_cast<size_t>(kWidth) * kHeight);
};

RCPtr<LBitmap> Noise(int32_t width, int32_t height, uint32_t seed) {
    RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({width, height}, Color::FromARGB(0));
    RCPtr<LBitmapData> data = bitmap->LockData();
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            *data->GetPixelPointer(x, y) = 0xC0000000u | (seed >> 8);
        }
    }
    return bitmap;
}

// The scene: where each thing goes.
struct Scene {
    RCPtr<LBitmap> background = Noise(64, 64, 1);
    RCPtr<LBitmap> panel = Noise(32, 32, 2);
    RCPtr<LBitmap> knob = Noise(40, 40, 3);
    RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 9.0f, 0);
    std::vector<RectT<int32_t>> panels;
    std::vector<PointT<int32_t>> labels;
    std::vector<WString> texts;

    Scene() {
        for (int32_t row = 0; row < 3; ++row) {
            for (int32_t column = 0; column < 4; ++column) {
                panels.push_back({10 + column * 297, 10 + row * 195, 287, 185});
            }
        }
        for (const RectT<int32_t>& p : panels) {
            for (int32_t i = 0; i < 10; ++i) {
                labels.push_back({p.x + 10 + (i % 2) * 140, p.y + 30 + (i / 2) * 30});
                texts.push_back(WString(u"Parameter ") +
                                WString::FromInt(static_cast<int32_t>(labels.size())));
            }
        }
    }

    void Draw(LRenderer& renderer) const {
        renderer.DrawBitmap(background, {0, 0, kWidth, kHeight}, ResizeType::Tile);
        for (const RectT<int32_t>& p : panels) {
            renderer.DrawBitmap(panel, p, ResizeType::Stretch);
            renderer.FillRect({p.x, p.y, p.width, 20}, Color::FromARGB(0xFF303840), true);
            renderer.DrawBitmap(knob, {p.x + p.width - 60, p.y + p.height - 60, 48, 48}, ResizeType::Center);
        }
        for (size_t i = 0; i < labels.size(); ++i) {
            renderer.DrawText(texts[i], font, labels[i], Color::FromARGB(0xFFE0E0E0));
        }
    }
};

// The renderer drawing the scene into a window: a whole-viewport repaint each frame (fresh
// surfaces, the whole picture presented).
struct RenderedWindow {
    RCPtr<LGDIRenderer> renderer{new LGDIRenderer()};
    RCPtr<LRenderContextInfo> target;
    CopyingPresenter presenter;

    RenderedWindow() {
        renderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, 0, false, target);
        dynamic_cast<LGDIRenderContextInfo&>(*target).SetPresenter(&presenter);
    }

    void Frame(const Scene& scene) {
        target->GetUpdateRegion().Clear();
        target->GetUpdateRegion().AddRect(0, 0, kWidth, kHeight);
        renderer->RenderStart(target);
        scene.Draw(*renderer);
        renderer->RenderFinish(target);
    }
};

void FullFrame_CairoRenderer(benchmark::State& state) {
    Scene scene;
    RenderedWindow window;
    for (auto _ : state) {
        window.Frame(scene);
    }
}
BENCHMARK(FullFrame_CairoRenderer)->Unit(benchmark::kMicrosecond);

// The floor: the same pictures, prepared once, and the same glyphs, drawn straight with Cairo.
void FullFrame_PlainCairo(benchmark::State& state) {
    Scene scene;
    auto picture = [](const RCPtr<LBitmap>& bitmap, int32_t width, int32_t height, ResizeType resize) {
        RCPtr<LGDIRenderer> preparer(new LGDIRenderer());
        RCPtr<LRenderContextInfo> target;
        preparer->InitRenderContextInfo({0, 0, width, height}, 0, true, target);
        target->GetUpdateRegion().AddRect(0, 0, width, height);
        preparer->RenderStart(target);
        preparer->DrawBitmap(bitmap, {0, 0, width, height}, resize);
        preparer->RenderFinish(target);
        cairo_surface_t* surface =
            dynamic_cast<LGDIRenderContextInfo&>(*target).GetDrawingSurface()->GetBitmap();
        return cairo_surface_reference(surface);
    };
    cairo_surface_t* background = picture(scene.background, kWidth, kHeight, ResizeType::Tile);
    cairo_surface_t* panel = picture(scene.panel, 287, 185, ResizeType::Stretch);
    cairo_surface_t* knob = picture(scene.knob, 48, 48, ResizeType::Center);
    std::shared_ptr<Platform::FontFace> face = Platform::FontFace::Resolve("DejaVu Sans", 0);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    auto blit = [cr](cairo_surface_t* source, double x, double y, double width, double height) {
        cairo_set_source_surface(cr, source, x, y);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_rectangle(cr, x, y, width, height);
        cairo_fill(cr);
    };
    const double pixelsPerEm = 9.0 * 96.0 / 72.0;
    CopyingPresenter presenter;
    const std::vector<RectT<int32_t>> whole{{0, 0, kWidth, kHeight}};
    auto frame = [&] {
        // Cleared the Cairo way, as the renderer starts a whole repaint on an empty picture.
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_restore(cr);
        blit(background, 0, 0, kWidth, kHeight);
        for (const RectT<int32_t>& p : scene.panels) {
            blit(panel, p.x, p.y, p.width, p.height);
            cairo_set_source_rgb(cr, 0x30 / 255.0, 0x38 / 255.0, 0x40 / 255.0);
            cairo_rectangle(cr, p.x, p.y, p.width, 20);
            cairo_fill(cr);
            blit(knob, p.x + p.width - 60, p.y + p.height - 60, 48, 48);
        }
        cairo_set_source_rgb(cr, 0xE0 / 255.0, 0xE0 / 255.0, 0xE0 / 255.0);
        for (size_t i = 0; i < scene.labels.size(); ++i) {
            const WString& text = scene.texts[i];
            face->Draw(cr, std::u16string_view(text.GetString(), static_cast<size_t>(text.GetLength())),
                       pixelsPerEm, scene.labels[i].x, scene.labels[i].y + 11, 0);
        }
        cairo_surface_flush(surface);
        presenter.Present(surface, whole);
    };
    // The floor only counts while it draws what the renderer draws.
    frame();
    RenderedWindow rendered;
    rendered.Frame(scene);
    size_t differing = 0;
    for (size_t i = 0; i < presenter.window.size(); ++i) {
        differing += presenter.window[i] != rendered.presenter.window[i] ? 1 : 0;
    }
    state.counters["pixels_differing"] = static_cast<double>(differing);
    if (differing != 0) {
        state.SkipWithError("the plain Cairo frame is not the renderer's");
    }
    for (auto _ : state) {
        frame();
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    cairo_surface_destroy(background);
    cairo_surface_destroy(panel);
    cairo_surface_destroy(knob);
}
BENCHMARK(FullFrame_PlainCairo)->Unit(benchmark::kMicrosecond);

void DirtyRect_RepaintAndPresent(benchmark::State& state) {
    Scene scene;
    RCPtr<LGDIRenderer> renderer(new LGDIRenderer());
    RCPtr<LRenderContextInfo> target;
    renderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, 0, false, target);
    CopyingPresenter presenter;
    dynamic_cast<LGDIRenderContextInfo&>(*target).SetPresenter(&presenter);
    target->GetUpdateRegion().AddRect(0, 0, kWidth, kHeight);
    renderer->RenderStart(target);
    scene.Draw(*renderer);
    renderer->RenderFinish(target);
    const RectT<int32_t> dirty{600, 250, 100, 100};
    for (auto _ : state) {
        // What a control's repaint does: clip to its area, draw what lies under it, present.
        target->GetUpdateRegion().Clear();
        target->GetUpdateRegion().AddRect(dirty.x, dirty.y, dirty.x + dirty.width, dirty.y + dirty.height);
        renderer->RenderStart(target);
        renderer->PushState();
        renderer->PushClip(dirty.ToDouble(), dirty.ToDouble(), nullptr, true);
        renderer->PushOrigin({-static_cast<double>(dirty.x), -static_cast<double>(dirty.y)});
        renderer->DrawBitmap(scene.background, {0, 0, kWidth, kHeight}, ResizeType::Tile);
        renderer->DrawBitmap(scene.panel, scene.panels[6], ResizeType::Stretch);
        renderer->DrawText(u"Cutoff 64", scene.font, {dirty.x + 10, dirty.y + 40},
                           Color::FromARGB(0xFFE0E0E0));
        renderer->PopState();
        renderer->PopState();
        renderer->RenderFinish(target);
    }
}
BENCHMARK(DirtyRect_RepaintAndPresent)->Unit(benchmark::kMicrosecond);

void MeasureText_ShortLabel(benchmark::State& state) {
    RCPtr<LGDIRenderer> renderer(new LGDIRenderer());
    RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 9.0f, 0);
    const WString label = u"Preset 12";
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderer->MeasureText(label, font));
    }
}
BENCHMARK(MeasureText_ShortLabel);

// Counts the measurements a layout asks of the renderer.
class CountingMeasurer : public LMeasurementRenderer {
public:
    explicit CountingMeasurer(RCPtr<LGDIRenderer> renderer) : mRenderer(std::move(renderer)) {}
    int32_t GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                           int32_t& descent) override {
        return mRenderer->GetFontMetrics(font, height, ascent, descent);
    }
    RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override {
        ++calls;
        return mRenderer->MeasureText(text, font);
    }
    int64_t calls = 0;

private:
    RCPtr<LGDIRenderer> mRenderer;
};

WString Paragraph500() {
    WString paragraph;
    const char16_t* words[] = {u"filter ",    u"envelope ",   u"cut-off ",
                               u"resonance ", u"oscillator ", u"glide "};
    for (int i = 0; paragraph.GetLength() < 500; ++i) {
        paragraph += WString(words[i % 6]);
    }
    return paragraph.Left(500);
}

void WrapText_500Characters(benchmark::State& state) {
    RCPtr<CountingMeasurer> measurer(new CountingMeasurer(RCPtr<LGDIRenderer>(new LGDIRenderer())));
    const WString paragraph = Paragraph500();
    RCPtr<LFontText> block = LFontText::Create(paragraph, LFont::GetFont(u"DejaVu Sans", 9.0f, 0));
    std::vector<WString> lines;
    int64_t wraps = 0;
    for (auto _ : state) {
        block->WrapLines(measurer.Get(), 240, lines);
        ++wraps;
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["measure_calls_per_wrap"] =
        static_cast<double>(measurer->calls) / static_cast<double>(wraps);
}
BENCHMARK(WrapText_500Characters)->Unit(benchmark::kMicrosecond);

// The floor: a greedy wrap at spaces through the same renderer, measuring each word and the
// space once and adding the widths up.
void WrapText_500Characters_GreedyWords(benchmark::State& state) {
    RCPtr<CountingMeasurer> measurer(new CountingMeasurer(RCPtr<LGDIRenderer>(new LGDIRenderer())));
    const WString paragraph = Paragraph500();
    const RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 9.0f, 0);
    auto width = [&](const WString& text) {
        const RectT<float> r = measurer->MeasureText(text, font);
        return r.x + r.width;
    };
    std::vector<WString> lines;
    int64_t wraps = 0;
    for (auto _ : state) {
        lines.clear();
        const float space = width(u" ");
        const char16_t* units = paragraph.GetString();
        const int32_t length = paragraph.GetLength();
        int32_t lineStart = 0;
        float lineWidth = 0.0f;
        int32_t lineEnd = 0;
        for (int32_t start = 0; start < length;) {
            int32_t end = start;
            while (end < length && units[end] != u' ') {
                ++end;
            }
            const float word = width(paragraph.Mid(start, end - start));
            if (lineEnd > lineStart && lineWidth + space + word > 240.0f) {
                lines.push_back(paragraph.Mid(lineStart, lineEnd - lineStart));
                lineStart = start;
                lineWidth = word;
            } else {
                lineWidth += (lineEnd > lineStart ? space : 0.0f) + word;
            }
            lineEnd = end;
            start = end + 1;
        }
        lines.push_back(paragraph.Mid(lineStart, lineEnd - lineStart));
        ++wraps;
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["measure_calls_per_wrap"] =
        static_cast<double>(measurer->calls) / static_cast<double>(wraps);
}
BENCHMARK(WrapText_500Characters_GreedyWords)->Unit(benchmark::kMicrosecond);

}  // namespace
