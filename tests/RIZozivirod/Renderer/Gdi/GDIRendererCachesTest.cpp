#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "RIZozivirod/Renderer/Gdi/GDIRendererTestSupport.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"
#include "RIZozivirod/Utilities/Graphics/Polyline.h"

namespace QV {
namespace {

class GDIRendererCaches : public GDIRendererTest {
protected:
    // A bitmap whose every pixel differs: (x, y) holds 0xFF, x, y, 0x80.
    static RCPtr<LBitmap> Pattern(int32_t width, int32_t height) {
        RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({width, height}, Color::FromARGB(kClear));
        RCPtr<LBitmapData> data = bitmap->LockData();
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                *data->GetPixelPointer(x, y) = 0xFF000080u | (static_cast<uint32_t>(x) << 16) | (y << 8);
            }
        }
        return bitmap;
    }

    static int64_t Prepared() { return LGDIRenderer::LCachedBitmap::GetPreparedCount(); }

    std::vector<uint32_t> Draw(const RCPtr<LBitmap>& bitmap, const RectT<int32_t>& destination,
                               ResizeType resize) {
        auto target = MakeTarget(destination.width, destination.height, true);
        Frame(target, {{0, 0, 1, 1}}, [&] { renderer->DrawBitmap(bitmap, destination, resize); });
        std::vector<uint32_t> pixels;
        for (int32_t y = 0; y < destination.height; ++y) {
            for (int32_t x = 0; x < destination.width; ++x) {
                pixels.push_back(Pixel(target, x, y));
            }
        }
        return pixels;
    }
};

TEST_F(GDIRendererCaches, OnePreparedPicturePerBitmapAndSize) {
    RCPtr<LBitmap> bitmap = Pattern(10, 10);
    auto target = MakeTarget(100, 100, true);
    const int64_t before = Prepared();
    Frame(target, {{0, 0, 1, 1}}, [&] {
        renderer->DrawBitmap(bitmap, {0, 0, 40, 20}, ResizeType::Stretch);
        renderer->DrawBitmap(bitmap, {50, 50, 40, 20}, ResizeType::Stretch);  // hit: same size elsewhere
        renderer->DrawBitmap(bitmap, {0, 0, 41, 20}, ResizeType::Stretch);    // miss: another size
        renderer->DrawBitmap(bitmap, {0, 0, 40, 20}, ResizeType::Tile);       // hit: the key is the size
        renderer->DrawBitmap(bitmap->CreateSubBitmap(0, 0, 5, 5), {0, 0, 40, 20}, ResizeType::Stretch);
    });
    EXPECT_EQ(Prepared() - before, 3);
    // The picture is drawn where asked, with the origin.
    Frame(target, {{0, 0, 1, 1}}, [&] {
        renderer->PushState();
        renderer->PushOrigin({3, 4});
        renderer->DrawBitmap(bitmap, {60, 10, 10, 10}, ResizeType::Stretch);
        renderer->PopState();
    });
    EXPECT_EQ(Pixel(target, 63, 14), 0xFF000080u);
    EXPECT_EQ(Pixel(target, 72, 23), 0xFF090980u);
}

TEST_F(GDIRendererCaches, TheLeastRecentlyUsedPictureMakesRoomAndMemoryStaysBounded) {
    RCPtr<LBitmap> bitmap = Pattern(4, 4);
    auto target = MakeTarget(8, 8, true);
    const int32_t liveBefore = LGDIRenderer::LCachedBitmap::GetLiveCount();
    Frame(target, {{0, 0, 1, 1}}, [&] {
        for (int32_t size = 1; size <= LGDIRenderer::kCacheCapacity; ++size) {
            renderer->DrawBitmap(bitmap, {0, 0, size, 1}, ResizeType::Stretch);
        }
        renderer->DrawBitmap(bitmap, {0, 0, 1, 1}, ResizeType::Stretch);  // the oldest, used again
        const int64_t before = Prepared();
        renderer->DrawBitmap(bitmap, {0, 0, 1000, 1}, ResizeType::Stretch);  // takes size 2's place
        renderer->DrawBitmap(bitmap, {0, 0, 1, 1}, ResizeType::Stretch);
        renderer->DrawBitmap(bitmap, {0, 0, 3, 1}, ResizeType::Stretch);
        EXPECT_EQ(Prepared() - before, 1);
        renderer->DrawBitmap(bitmap, {0, 0, 2, 1}, ResizeType::Stretch);
        EXPECT_EQ(Prepared() - before, 2);
        for (int32_t size = 2000; size < 2300; ++size) {
            renderer->DrawBitmap(bitmap, {0, 0, size, 1}, ResizeType::Stretch);
        }
    });
    EXPECT_EQ(LGDIRenderer::LCachedBitmap::GetLiveCount() - liveBefore, LGDIRenderer::kCacheCapacity);
    renderer = nullptr;
    EXPECT_EQ(LGDIRenderer::LCachedBitmap::GetLiveCount(), liveBefore);
}

TEST_F(GDIRendererCaches, PicturesUnusedForAPurgePeriodAreDropped) {
    RCPtr<LBitmap> bitmap = Pattern(4, 4);
    auto target = MakeTarget(20, 20, true);
    const RectT<int32_t> a{0, 0, 8, 8};
    const RectT<int32_t> b{0, 0, 9, 9};
    auto frame = [&](std::initializer_list<RectT<int32_t>> draws) {
        Frame(target, {{0, 0, 1, 1}}, [&] {
            for (const RectT<int32_t>& d : draws) {
                renderer->DrawBitmap(bitmap, d, ResizeType::Stretch);
            }
        });
    };
    const int32_t live = LGDIRenderer::LCachedBitmap::GetLiveCount();
    frame({a, b});
    services->AdvanceMs(300000);  // not more than the period: nothing purged
    frame({b});
    EXPECT_EQ(LGDIRenderer::LCachedBitmap::GetLiveCount() - live, 2);
    services->AdvanceMs(1);  // the first purge: everything was used since the start
    frame({b});
    EXPECT_EQ(LGDIRenderer::LCachedBitmap::GetLiveCount() - live, 2);
    services->AdvanceMs(300001);  // a was not used since that purge
    frame({b});
    EXPECT_EQ(LGDIRenderer::LCachedBitmap::GetLiveCount() - live, 1);
    const int64_t before = Prepared();
    frame({a, b});
    EXPECT_EQ(Prepared() - before, 1);  // a prepared again, b still there
}

TEST_F(GDIRendererCaches, ResizeTypes) {
    // Both tile paths give the same pixels: 2.9 repeats are drawn tile by tile, 3 by one fill.
    RCPtr<LBitmap> pattern = Pattern(10, 10);
    const std::vector<uint32_t> tiles = Draw(pattern, {0, 0, 29, 29}, ResizeType::Tile);
    const std::vector<uint32_t> filled = Draw(pattern, {0, 0, 30, 30}, ResizeType::Tile);
    for (int32_t y = 0; y < 29; ++y) {
        for (int32_t x = 0; x < 29; ++x) {
            ASSERT_EQ(tiles[y * 29 + x], filled[y * 30 + x]) << x << ", " << y;
            ASSERT_EQ(tiles[y * 29 + x], 0xFF000080u | ((x % 10) << 16) | ((y % 10) << 8)) << x << ", " << y;
        }
    }
    // Stretching a plain colour keeps it to the edges.
    RCPtr<LBitmap> red = LBitmap::CreateFilledBitmap({3, 2}, Color::FromARGB(kRed));
    for (uint32_t pixel : Draw(red, {0, 0, 17, 9}, ResizeType::Stretch)) {
        ASSERT_EQ(pixel, kRed);
    }
    // Centred without rounding: an odd difference leaves half-covered edges.
    const std::vector<uint32_t> even = Draw(red, {0, 0, 5, 4}, ResizeType::Center);
    EXPECT_EQ(even[1 * 5 + 0], kClear);
    EXPECT_EQ(even[1 * 5 + 1], kRed);
    EXPECT_EQ(even[2 * 5 + 3], kRed);
    EXPECT_EQ(even[2 * 5 + 4], kClear);
    const std::vector<uint32_t> odd = Draw(red, {0, 0, 4, 2}, ResizeType::Center);
    EXPECT_GT(odd[0] >> 24, 0u);
    EXPECT_LT(odd[0] >> 24, 0xFFu);
    EXPECT_EQ(odd[1], kRed);
    EXPECT_EQ(odd[2], kRed);
    EXPECT_GT(odd[3] >> 24, 0u);
    EXPECT_LT(odd[3] >> 24, 0xFFu);
    // The same size is a plain copy, whatever the type.
    EXPECT_EQ(Draw(pattern, {0, 0, 10, 10}, static_cast<ResizeType>(7)),
              Draw(pattern, {0, 0, 10, 10}, ResizeType::Tile));
}

TEST_F(GDIRendererCaches, BitmapErrors) {
    RCPtr<LBitmap> bitmap = Pattern(4, 4);
    try {
        renderer->DrawBitmap(bitmap, {0, 0, 4, 4}, ResizeType::Stretch);
        FAIL() << "drawn without a frame";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Runtime Error : QV::LGDIRenderer::DrawBitmap : ", 0), 0u)
            << e.what();
    }
    auto target = MakeTarget(10, 10, true);
    renderer->RenderStart(target);
    try {
        renderer->DrawBitmap(bitmap, {0, 0, 5, 4}, static_cast<ResizeType>(3));
        ADD_FAILURE() << "unknown resize type drawn";
    } catch (const std::invalid_argument& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Invalid Argument : Invalid ResizeType passed to DrawBitmap. : "
                                              "QV::LGDIRenderer::DrawBitmap : ",
                                              0),
                  0u)
            << e.what();
    }
    EXPECT_EQ(renderer->DrawBitmap(nullptr, {0, 0, 4, 4}, ResizeType::Stretch), E_INVALIDARG);
    EXPECT_EQ(renderer->DrawBitmap(bitmap, {0, 0, 0, 4}, ResizeType::Stretch), S_OK);
    renderer->RenderFinish(target);
}

TEST_F(GDIRendererCaches, PolylinesDrawTheirShapesAndKeepThemOnlyWhenAsked) {
    auto target = MakeTarget(40, 40, true);
    PolylineT<float> line;
    line.points = {{1, 1}, {5, 1}, {1, 3}, {5, 3}, {1, 20}};  // two segments; the odd point is ignored
    Frame(target, {{0, 0, 40, 40}}, [&] {
        renderer->DrawLineSegments(line, Color::FromARGB(kRed), {0, 0}, {1, 1}, false);
    });
    EXPECT_EQ(Pixel(target, 3, 1), kRed);
    EXPECT_EQ(Pixel(target, 3, 3), kRed);
    EXPECT_EQ(Pixel(target, 3, 2), kClear);
    EXPECT_EQ(Pixel(target, 1, 10), kClear);
    EXPECT_FALSE(*renderer->GetPathCache().GetEntry(line, false));  // not kept

    // Kept, then rebuilt when its owner says it changed; another operation on the same
    // polyline builds its own shape.
    PolylineT<float> square;
    square.points = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    Frame(target, {{0, 0, 40, 40}}, [&] {
        renderer->FillPolygon(square, Color::FromARGB(kBlue), {10, 10}, {1, 1}, true);
    });
    EXPECT_EQ(Pixel(target, 12, 12), kBlue);
    EXPECT_TRUE(*renderer->GetPathCache().GetEntry(square, false));
    square.points = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    square.changed = true;
    Frame(target, {{0, 0, 40, 40}}, [&] {
        renderer->FillPolygon(square, Color::FromARGB(kGreen), {20, 20}, {3, 3}, true);  // 6 x 6 at (20, 20)
        renderer->DrawPolyline(square, Color::FromARGB(kRed), {30, 0}, {1, 1}, true);    // open: no left side
    });
    EXPECT_EQ(Pixel(target, 25, 25), kGreen);
    EXPECT_EQ(Pixel(target, 26, 26), kClear);
    EXPECT_EQ(Pixel(target, 31, 0), kRed);
    EXPECT_EQ(Pixel(target, 32, 1), kRed);
    EXPECT_EQ(Pixel(target, 30, 1), kClear);
    EXPECT_EQ(Pixel(target, 31, 1), kClear);
    EXPECT_FALSE(square.changed);
    Frame(target, {{0, 0, 40, 40}}, [&] {
        renderer->DrawPolygon(square, Color::FromARGB(kRed), {30, 10}, {1, 1}, true);  // closed
    });
    EXPECT_EQ(Pixel(target, 30, 11), kRed);
}

}  // namespace
}  // namespace QV
