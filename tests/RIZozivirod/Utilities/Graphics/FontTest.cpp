#include "RIZozivirod/Utilities/Graphics/Font.h"

#include <gtest/gtest.h>

#include "UITestSupport/FixedWidthMeasurer.h"
#include "UITestSupport/TestApplicationServices.h"

namespace QV {
namespace {

class FontTest : public ::testing::Test {
protected:
    void SetUp() override { services->measuringRenderer = measurer; }

    ScopedTestApplicationServices services;
    RCPtr<TestSupport::FixedWidthMeasurer> measurer{new TestSupport::FixedWidthMeasurer()};
};

TEST_F(FontTest, EqualDescriptionsShareOneFontFacesIgnoringCase) {
    RCPtr<LFont> arial = LFont::GetFont(u"FontTest Arial", 9.0f, 0);
    EXPECT_EQ(LFont::GetFont(u"fonttest ARIAL", 9.0f, 0), arial);
    RCPtr<LFont> bold = LFont::GetFont(u"FontTest Arial", 9.0f, LFont::kBold);
    RCPtr<LFont> larger = LFont::GetFont(u"FontTest Arial", 9.5f, 0);
    EXPECT_NE(bold, arial);
    EXPECT_NE(larger, arial);
    EXPECT_GT(bold->GetUniqueID(), arial->GetUniqueID());
    EXPECT_GT(larger->GetUniqueID(), bold->GetUniqueID());
    EXPECT_GE(arial->GetUniqueID(), 1);
    // The first description asked for is the one kept.
    EXPECT_EQ(LFont::GetFont(u"FONTTEST arial", 9.0f, 0)->GetFace(), WString(u"FontTest Arial"));

    // Inequality compares faces ordinally.
    RCPtr<LFont> other = LFont::GetFont(u"FontTest Other", 9.0f, 0);
    EXPECT_FALSE(*arial != *arial);
    EXPECT_TRUE(*arial != *bold);
    EXPECT_TRUE(*arial != *larger);
    EXPECT_TRUE(*arial != *other);
}

TEST_F(FontTest, MetricsAreMeasuredOnceAndOnlyWhenAFaceCouldBeMade) {
    RCPtr<LFont> font = LFont::GetFont(u"FontTest Metrics", 11.0f, 0);
    measurer->failMetrics = true;
    EXPECT_EQ(font->GetHeight(), 0);
    EXPECT_EQ(font->GetAscent(), 0);
    EXPECT_EQ(measurer->metricsCalls, 2);  // still unmeasured: every request asks again

    measurer->failMetrics = false;
    EXPECT_EQ(font->GetHeight(), 20);
    EXPECT_EQ(font->GetAscent(), -16);
    EXPECT_EQ(font->GetDescent(), 4);
    EXPECT_EQ(measurer->metricsCalls, 3);

    // Without any measuring renderer the font stays as it is.
    services->measuringRenderer = nullptr;
    RCPtr<LFont> unmeasured = LFont::GetFont(u"FontTest Metrics", 12.0f, 0);
    EXPECT_EQ(unmeasured->GetHeight(), 0);
    EXPECT_EQ(font->GetHeight(), 20);
}

// Whichever measurer came first must not decide a font's metrics for the rest of the process:
// another measurer, or the same one under another font configuration, measures again.
TEST_F(FontTest, MetricsFollowTheMeasurerAndTheFontConfiguration) {
    RCPtr<LFont> font = LFont::GetFont(u"FontTest Follows", 10.0f, 0);
    EXPECT_EQ(font->GetHeight(), 20);

    RCPtr<TestSupport::FixedWidthMeasurer> taller{new TestSupport::FixedWidthMeasurer()};
    taller->lineHeight = 28;
    taller->ascent = 22;
    taller->descent = 6;
    services->measuringRenderer = taller;
    EXPECT_EQ(font->GetHeight(), 28);
    EXPECT_EQ(font->GetAscent(), -22);
    EXPECT_EQ(font->GetDescent(), 6);
    EXPECT_EQ(taller->metricsCalls, 1);  // then kept while nothing changes

    taller->lineHeight = 40;
    taller->fontConfiguration = 1;
    EXPECT_EQ(font->GetHeight(), 40);
    EXPECT_EQ(taller->metricsCalls, 2);

    // Back with the first measurer, its own metrics again.
    services->measuringRenderer = measurer;
    taller = nullptr;
    EXPECT_EQ(font->GetHeight(), 20);
}

TEST_F(FontTest, ReleasingInternalReferencesTakesTheFontOutOfTheList) {
    RCPtr<LFont> font = LFont::GetFont(u"FontTest Released", 9.0f, 0);
    EXPECT_EQ(font->ReleaseInternalReferences(), S_OK);
    EXPECT_EQ(font->ReleaseInternalReferences(), E_FAIL);
    EXPECT_EQ(font->GetRefCount(), 1);
    RCPtr<LFont> again = LFont::GetFont(u"FontTest Released", 9.0f, 0);
    EXPECT_NE(again, font);
}

}  // namespace
}  // namespace QV
