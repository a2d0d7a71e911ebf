#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>

#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"
#include "UITestSupport/InkBounds.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/TestFonts.h"

namespace QV {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kClear = 0x00000000;

// A Cairo renderer on test services (manual clock, 96 dpi) with the bundled fonts, and frames
// of its targets read back pixel by pixel.
class GDIRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::UseTestFonts();
        renderer = RCPtr<LGDIRenderer>(new LGDIRenderer());
    }

    RCPtr<LGDIRenderContextInfo> MakeTarget(int32_t width, int32_t height, bool offscreen) {
        RCPtr<LRenderContextInfo> target;
        EXPECT_EQ(renderer->InitRenderContextInfo({0, 0, width, height}, 0, offscreen, target), S_OK);
        return RCPtr<LGDIRenderContextInfo>(dynamic_cast<LGDIRenderContextInfo*>(target.Get()));
    }

    // One frame of the target over the update rectangles (left, top, right, bottom).
    void Frame(const RCPtr<LGDIRenderContextInfo>& target, std::initializer_list<RectT<int32_t>> update,
               const std::function<void()>& paint) {
        target->GetUpdateRegion().Clear();
        for (const RectT<int32_t>& r : update) {
            target->GetUpdateRegion().AddRect(r.x, r.y, r.x + r.width, r.y + r.height);
        }
        renderer->RenderStart(target);
        paint();
        renderer->RenderFinish(target);
    }

    static uint32_t Pixel(const RCPtr<LGDIRenderContextInfo>& target, int32_t x, int32_t y) {
        cairo_surface_t* surface = target->GetDrawingSurface()->GetBitmap();
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        return reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) *
                                                            cairo_image_surface_get_stride(surface))[x];
    }

    static TestSupport::InkBox Ink(const RCPtr<LGDIRenderContextInfo>& target, uint32_t background = 0,
                                   uint32_t minAlpha = 0) {
        return TestSupport::FindInk(target->GetDrawingSurface()->GetBitmap(), background, minAlpha);
    }

    ScopedTestApplicationServices services;
    RCPtr<LGDIRenderer> renderer;
};

}  // namespace QV
