#include "RIZozivirod/Utilities/Graphics/Bitmap.h"

#include <gtest/gtest.h>
#include <png.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "RIZozivirod/Utilities/Graphics/Colorizer.h"
#include "UITestSupport/PngFixtures.h"

namespace {

using QV::Color;
using QV::LBitmap;
using QV::LBitmapData;
using QV::LColorizer;
using QV::PointT;
using QV::RCPtr;
using QV::RectT;
using QV::WString;

// The embedded "palette 3x2.png": red, half green, clear blue / white, clear blue, half green.
const std::vector<uint32_t> kPalettePixels = {0xFFFF0000, 0x8000FF00, 0x000000FF,
                                              0xFFFFFFFF, 0x000000FF, 0x8000FF00};

std::vector<uint32_t> BitmapPixels(const RCPtr<LBitmap>& bitmap) {
    std::vector<uint32_t> pixels;
    const RectT<int32_t>& area = bitmap->GetArea();
    for (int32_t y = 0; y < area.height; ++y) {
        for (int32_t x = 0; x < area.width; ++x) {
            pixels.push_back(bitmap->GetPixel(x, y).ToARGB());
        }
    }
    return pixels;
}

RCPtr<LBitmap> Filled(int32_t width, int32_t height, uint32_t argb) {
    return LBitmap::CreateFilledBitmap({width, height}, Color::FromARGB(argb));
}

RCPtr<LColorizer> Solid(const Color& color) {
    return LColorizer::Create(WString(u"solid"), LColorizer::kSolidFill, color, Color(), 0, 0, 0, 0);
}

RCPtr<LColorizer> Gradient(int32_t type, const Color& from, const Color& to) {
    return LColorizer::Create(WString(u"gradient"), type, from, to, 0, 0, 1, 1);
}

// The exception's text names its kind and the function that raised it.
template <class F>
std::string ThrownText(F&& call) {
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "nothing thrown";
}

bool Raised(const std::string& text, const std::string& kindAndFunction) {
    return text.rfind(kindAndFunction + " : RIZozivirod/Utilities/Graphics/Bitmap.cpp : Line ", 0) == 0;
}

// Every bitmap made by a test is gone when it ends: the named map keeps none alive by itself.
class Bitmaps : public ::testing::Test {
protected:
    void SetUp() override { mLiveBefore = LBitmap::GetLiveCount(); }
    void TearDown() override { EXPECT_EQ(LBitmap::GetLiveCount(), mLiveBefore); }

    int32_t mLiveBefore = 0;
};

TEST_F(Bitmaps, NamedResourcesLoadOnceAndGoWithTheirLastReference) {
    RCPtr<LBitmap> bitmap = LBitmap::GetBitmap(WString(u"::palette 3x2.png"));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->GetArea(), (RectT<int32_t>{0, 0, 3, 2}));
    EXPECT_EQ(BitmapPixels(bitmap), kPalettePixels);
    EXPECT_EQ(bitmap->GetCacheKey(), WString(u"::PALETTE 3X2.PNG"));
    EXPECT_EQ(LBitmap::GetBitmap(WString(u"::PALETTE 3x2.PNG")).Get(), bitmap.Get());
    EXPECT_EQ(LBitmap::GetLiveCount(), mLiveBefore + 1);

    // A sub-bitmap keeps the named bitmap, and so its entry, alive.
    RCPtr<LBitmap> sub = bitmap->CreateSubBitmap(1, 1, 2, 1);
    LBitmap* const named = bitmap.Get();
    bitmap = nullptr;
    EXPECT_EQ(LBitmap::GetBitmap(WString(u"::palette 3x2.png")).Get(), named);
    EXPECT_EQ(sub->GetParent().Get(), named);
    sub = nullptr;
    EXPECT_EQ(LBitmap::GetLiveCount(), mLiveBefore);

    // Loaded again after it went.
    bitmap = LBitmap::GetBitmap(WString(u"::palette 3x2.png"));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(BitmapPixels(bitmap), kPalettePixels);
}

TEST_F(Bitmaps, NamesThatCannotBeLoadedGiveNull) {
    QVTest::ScratchFolder folder;
    const std::string text = folder.Put("text.png", {'n', 'o', 't'});
    for (const char16_t* name : {u"::missing.png", u"::truncated-in-image-data.png", u"", u"::"}) {
        EXPECT_FALSE(LBitmap::GetBitmap(WString(name)));
    }
    EXPECT_FALSE(LBitmap::GetBitmap(WString((folder.GetPath() + "/missing.png").c_str())));
    EXPECT_FALSE(LBitmap::GetBitmap(WString(text.c_str())));
    EXPECT_FALSE(LBitmap::GetBitmap(WString(folder.GetPath().c_str())));
}

// File names differ by letter case on this system: two files, two pictures.
TEST_F(Bitmaps, FilesAreSharedByTheirExactPath) {
    QVTest::ScratchFolder folder;
    const std::string lower =
        folder.Put("a.png", QVTest::EncodePng(QVTest::PngPicture(1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3})));
    const std::string upper =
        folder.Put("A.png", QVTest::EncodePng(QVTest::PngPicture(1, 1, PNG_COLOR_TYPE_GRAY, 8, {9})));
    const RCPtr<LBitmap> first = LBitmap::GetBitmap(WString(lower.c_str()));
    const RCPtr<LBitmap> second = LBitmap::GetBitmap(WString(upper.c_str()));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->GetPixel(0, 0).ToARGB(), 0xFF010203u);
    EXPECT_EQ(second->GetPixel(0, 0).ToARGB(), 0xFF090909u);
    EXPECT_EQ(LBitmap::GetBitmap(WString(lower.c_str())).Get(), first.Get());
    EXPECT_EQ(first->GetName(), WString(lower.c_str()));
}

TEST_F(Bitmaps, SubBitmapAreasAreCutToThePixelStore) {
    // A 50 x 70 store whose pixel (x, y) is 0xFF00xxyy.
    RCPtr<LBitmap> owner = Filled(50, 70, 0);
    const RCPtr<LBitmapData> data = owner->LockData();
    for (int32_t y = 0; y < 70; ++y) {
        for (int32_t x = 0; x < 50; ++x) {
            *data->GetPixelPointer(x, y) = 0xFF000000u | static_cast<uint32_t>(x << 8 | y);
        }
    }
    const RCPtr<LBitmap> middle = owner->CreateSubBitmap(10, 20, 30, 40);
    struct Case {
        const RCPtr<LBitmap>* from;
        RectT<int32_t> asked;
        RectT<int32_t> area;
    };
    const Case cases[] = {
        {&middle, {5, 5, 0, 10}, {10, 20, 30, 40}},  // no size: the whole area
        {&middle, {5, 5, 3, -1}, {10, 20, 30, 40}},
        {&middle, {5, 6, 3, 4}, {15, 26, 3, 4}},
        {&middle, {35, 45, 10, 10}, {45, 65, 5, 5}},  // past the store's right and bottom
        {&owner, {-5, -7, 10, 10}, {0, 0, 5, 3}},
        {&owner, {50, 0, 10, 10}, {0, 0, 0, 0}},  // nothing left
        {&owner, {-20, 0, 10, 10}, {0, 0, 0, 0}},
        {&middle, {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}, {0, 0, 0, 0}},
        {&middle, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {0, 0, 9, 19}},
    };
    for (const Case& c : cases) {
        const RectT<int32_t>& a = c.asked;
        const RCPtr<LBitmap> sub = (*c.from)->CreateSubBitmap(a.x, a.y, a.width, a.height);
        EXPECT_EQ(sub->GetArea(), c.area) << a.x << ", " << a.y << ", " << a.width << ", " << a.height;
        EXPECT_EQ(sub->GetParent().Get(), owner.Get());
        EXPECT_EQ(sub->GetGdiplusBitmap(), owner->GetGdiplusBitmap());
        EXPECT_TRUE(sub->GetName().IsEmpty() && sub->GetCacheKey().IsEmpty());
    }

    // BitmapPixels are read through the area, and only inside it.
    const RCPtr<LBitmap> corner = middle->CreateSubBitmap(35, 45, 10, 10);
    EXPECT_EQ(corner->GetPixel(0, 0).ToARGB(), 0xFF002D41u);
    EXPECT_EQ(corner->GetPixel(4, 4).ToARGB(), 0xFF003145u);
    for (const PointT<int32_t> outside :
         {PointT<int32_t>{5, 0}, {0, 5}, {-1, 0}, {0, -1}, {INT32_MAX, INT32_MIN}}) {
        EXPECT_EQ(corner->GetPixel(outside.x, outside.y), Color()) << outside.x << ", " << outside.y;
    }
}

TEST_F(Bitmaps, AnEmptyCutHasNoPixelsAndTintsAndClonesToNothing) {
    const RCPtr<LBitmap> owner = Filled(4, 4, 0xFF123456);
    const RCPtr<LBitmap> empty = owner->CreateSubBitmap(10, 10, 5, 5);
    EXPECT_EQ(empty->GetArea(), (RectT<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(empty->GetPixel(0, 0), Color());
    const RCPtr<LBitmap> tinted =
        LBitmap::CreatePartBitmap(Solid({1, 0, 0, 1}), 1.0f, {4, 4}, empty, nullptr);
    EXPECT_EQ(tinted->GetArea(), (RectT<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(tinted->GetGdiplusBitmap(), nullptr);
    EXPECT_EQ(tinted->LockData()->GetPixelPointer(0, 0), nullptr);
    EXPECT_EQ(BitmapPixels(owner), std::vector<uint32_t>(16, 0xFF123456));
}

TEST_F(Bitmaps, LockedDataCoversTheOwnersAreaAndChecksItsBounds) {
    const RCPtr<LBitmap> owner = Filled(5, 3, 0xFF000000);
    const RCPtr<LBitmap> sub = owner->CreateSubBitmap(1, 1, 2, 2);
    const RCPtr<LBitmapData> data = sub->LockData();
    EXPECT_EQ(data->GetBitmap().Get(), owner.Get());
    EXPECT_EQ(data->GetLockMode(), LBitmapData::kLockRead);
    EXPECT_EQ(data->GetWidth(), 5);
    EXPECT_EQ(data->GetHeight(), 3);
    EXPECT_EQ(data->GetPitch(), 20);
    EXPECT_EQ(data->GetPixelPointer(4, 2) - data->GetPixelPointer(0, 0), 14);
    EXPECT_EQ(data->GetPixelPointer(5, 0), nullptr);
    EXPECT_EQ(data->GetPixelPointer(0, 3), nullptr);
    EXPECT_EQ(data->GetPixelPointer(-1, 0), nullptr);
    *data->GetPixelPointer(2, 1) = 0x80ABCDEF;
    EXPECT_EQ(sub->GetPixel(1, 0).ToARGB(), 0x80ABCDEFu);

    // A lock of the sub-bitmap's own area starts at its corner.
    const LBitmapData own(sub, LBitmapData::kLockReadWrite, nullptr);
    EXPECT_EQ(own.GetWidth(), 2);
    EXPECT_EQ(*own.GetPixelPointer(1, 0), 0x80ABCDEFu);
    EXPECT_EQ(own.GetPixelPointer(2, 0), nullptr);

    const auto buffer = RCPtr<QV::LPixelBuffer<uint32_t>>(new QV::LPixelBuffer<uint32_t>(1, 1));
    EXPECT_TRUE(Raised(ThrownText([&] { LBitmapData(owner, LBitmapData::kLockRead, buffer); }),
                       "Domain Error : QV::LBitmapData::LBitmapData"));
}

TEST_F(Bitmaps, ClonesOwnACopyOfTheArea) {
    const RCPtr<LBitmap> named = LBitmap::GetBitmap(WString(u"::palette 3x2.png"));
    ASSERT_TRUE(named);
    const RCPtr<LBitmap> clone = named->CreateSubBitmap(1, 0, 2, 2)->Clone();
    EXPECT_FALSE(clone->GetParent());
    EXPECT_EQ(clone->GetArea(), (RectT<int32_t>{0, 0, 2, 2}));
    EXPECT_EQ(BitmapPixels(clone), (std::vector<uint32_t>{0x8000FF00, 0x000000FF, 0x000000FF, 0x8000FF00}));
    *clone->LockData()->GetPixelPointer(0, 0) = 0;
    EXPECT_EQ(BitmapPixels(named), kPalettePixels);
}

TEST_F(Bitmaps, SolidTintsBlendEachChannelAndKeepAlpha) {
    struct Case {
        uint32_t pixel;
        Color color;
        float alphaModifier;
        uint32_t tinted;
    };
    const Case cases[] = {
        // (1 x 0.5 + 0.5) x 255 = 255; (1 x 0.5 + 0) x 255 = 127.5, and half up gives 128.
        {0xFFFFFFFF, {1, 0, 0, 1}, 0.5f, 0xFFFF8080},
        {0x80FFFFFF, {1, 0, 0, 1}, 0.5f, 0x80FF8080},
        {0x00FFFFFF, {0, 0, 1, 1}, 1.0f, 0x000000FF},
        {0xFF6496C8, {1, 0.5f, 0, 0.25f}, 1.0f, 0xFF8B9096},
        {0xFF6496C8, {1, 0.5f, 0, 0.5f}, 0.5f, 0xFF8B9096},
        {0xFF6496C8, {1, 1, 1, 1}, 0.0f, 0xFF6496C8},
        // A modifier above 1 overshoots: each channel is cut to the byte range, never wrapped.
        {0xFF808080, {1, 0, 0, 1}, 2.0f, 0xFFFF0000},
        {0xFF808080, {0, 0, 0, 1}, 2.0f, 0xFF000000},
        {0xFF808080, {1, 1, 1, 1}, __builtin_nanf(""), 0xFF000000},
    };
    for (const Case& c : cases) {
        const RCPtr<LBitmap> bitmap = Filled(2, 1, c.pixel);
        LBitmap::ApplyColorizer(bitmap, Solid(c.color), c.alphaModifier);
        EXPECT_EQ(BitmapPixels(bitmap), std::vector<uint32_t>(2, c.tinted))
            << std::hex << c.pixel << " " << c.alphaModifier;
    }
    // A gradient of two equal colours is one colour.
    const RCPtr<LBitmap> bitmap = Filled(1, 1, 0xFFFFFFFF);
    LBitmap::ApplyColorizer(bitmap, Gradient(LColorizer::kRadialGradient, {1, 0, 0, 1}, {1, 0, 0, 1}), 0.5f);
    EXPECT_EQ(bitmap->GetPixel(0, 0).ToARGB(), 0xFFFF8080u);
}

TEST_F(Bitmaps, TintingASubBitmapChangesItsAreaOnly) {
    const RCPtr<LBitmap> owner = Filled(3, 1, 0xFFFFFFFF);
    LBitmap::ApplyColorizer(owner->CreateSubBitmap(1, 0, 1, 1), Solid({0, 0, 0, 1}), 1.0f);
    EXPECT_EQ(BitmapPixels(owner), (std::vector<uint32_t>{0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}));
}

TEST_F(Bitmaps, FilledAndColorizedBitmaps) {
    EXPECT_EQ(BitmapPixels(LBitmap::CreateFilledBitmap({3, 2}, {1, 0.5f, 0, 0.5f})),
              std::vector<uint32_t>(6, 0x80FF8000));
    const RCPtr<LBitmap> colorized = LBitmap::CreateColorizedBitmap(Solid({0, 0, 1, 1}), 0.5f, {2, 2});
    EXPECT_EQ(colorized->GetArea(), (RectT<int32_t>{0, 0, 2, 2}));
    EXPECT_EQ(BitmapPixels(colorized), std::vector<uint32_t>(4, 0x800000FF));
    EXPECT_EQ(BitmapPixels(LBitmap::CreateColorizedBitmap(
                  Gradient(LColorizer::kLinearGradient, {0, 1, 0, 1}, {0, 1, 0, 1}), 1.0f, {1, 1})),
              std::vector<uint32_t>(1, 0xFF00FF00));

    // A size from skin data past the store's limits makes a bitmap without pixels.
    const RCPtr<LBitmap> huge = LBitmap::CreateFilledBitmap({100000, 100000}, {1, 1, 1, 1});
    EXPECT_EQ(huge->GetGdiplusBitmap(), nullptr);
    EXPECT_EQ(huge->GetArea(), (RectT<int32_t>{0, 0, 0, 0}));
}

TEST_F(Bitmaps, PartBitmapsAreTintedCopies) {
    const RCPtr<LBitmap> named = LBitmap::GetBitmap(WString(u"::palette 3x2.png"));
    ASSERT_TRUE(named);
    const RCPtr<LColorizer> black = Solid({0, 0, 0, 1});
    for (const bool asMask : {false, true}) {
        const RCPtr<LBitmap> part = LBitmap::CreatePartBitmap(black, 1.0f, {7, 7}, asMask ? nullptr : named,
                                                              asMask ? named : nullptr);
        EXPECT_NE(part.Get(), named.Get());
        EXPECT_EQ(BitmapPixels(part), (std::vector<uint32_t>{0xFF000000, 0x80000000, 0x00000000, 0xFF000000,
                                                             0x00000000, 0x80000000}));
    }
    EXPECT_EQ(BitmapPixels(named), kPalettePixels) << "the shared bitmap is never tinted";
    EXPECT_EQ(BitmapPixels(LBitmap::CreatePartBitmap(black, 0.5f, {1, 2}, nullptr, nullptr)),
              std::vector<uint32_t>(2, 0x80000000));
}

TEST_F(Bitmaps, MisuseRaisesTheNamedErrors) {
    const RCPtr<LBitmap> bitmap = Filled(2, 2, 0xFFFFFFFF);
    const RCPtr<LColorizer> solid = Solid({1, 1, 1, 1});
    const RCPtr<LColorizer> gradient = Gradient(LColorizer::kLinearGradient, {1, 1, 1, 1}, {0, 0, 0, 1});
    struct Case {
        std::function<void()> call;
        const char* raised;
    };
    const Case cases[] = {
        {[&] {
             LBitmap::CreateFilledBitmap({0, 5}, {});
         },
         "Runtime Error : QV::LBitmap::CreateFilledBitmap"},
        {[&] {
             LBitmap::CreateFilledBitmap({5, -1}, {});
         },
         "Runtime Error : QV::LBitmap::CreateFilledBitmap"},
        {[&] {
             LBitmap::CreateColorizedBitmap(solid, 1, {0, 10});
         },
         "Runtime Error : QV::LBitmap::CreateColorizedBitmap"},
        {[&] {
             LBitmap::CreateColorizedBitmap(nullptr, 1, {1, 1});
         },
         "Runtime Error : QV::LBitmap::CreateColorizedBitmap"},
        {[&] {
             LBitmap::CreateColorizedBitmap(gradient, 1, {1, 1});
         },
         "Domain Error : QV::LBitmap::CreateGradientFilledBitmap"},
        {[&] { LBitmap::ApplyColorizer(bitmap, gradient, 1); },
         "Domain Error : QV::LBitmap::CreateGradientFilledBitmap"},
        {[&] { LBitmap::ApplyColorizer(nullptr, solid, 1); }, "Runtime Error : QV::LBitmap::ApplyColorizer"},
        {[&] { LBitmap::ApplyColorizer(bitmap, nullptr, 1); }, "Runtime Error : QV::LBitmap::ApplyColorizer"},
        {[&] {
             LBitmap::CreatePartBitmap(solid, 1, {1, 1}, bitmap, bitmap);
         },
         "Domain Error : QV::LBitmap::ApplyColorizer"},
    };
    for (const Case& c : cases) {
        const std::string text = ThrownText(c.call);
        EXPECT_TRUE(Raised(text, c.raised)) << text;
    }
    EXPECT_EQ(BitmapPixels(bitmap), std::vector<uint32_t>(4, 0xFFFFFFFF));
}

}  // namespace
