#include "RIZozivirod/Renderer/OpenGL/GLDisplayList.h"

#include <gtest/gtest.h>

#include "RIZozivirod/Renderer/OpenGL/GLPolygon.h"
#include "RIZozivirod/Utilities/Storage/Result.h"
#include "UITestSupport/HeadlessGL.h"

namespace QV {
namespace {

TEST(GLDisplayListTest, ListsAreMadeOnFirstBeginAndCalledInRange) {
    TestSupport::OffscreenGL gl(16, 16);
    ASSERT_TRUE(gl.IsReady());
    EXPECT_FALSE(LGLDisplayList::Create(0));

    RCPtr<LGLDisplayList> fresh = LGLDisplayList::Create(1);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->Call(0, 1), E_FAIL);
    EXPECT_EQ(fresh->End(), E_FAIL);

    RCPtr<LGLDisplayList> list = LGLDisplayList::Create(1);
    EXPECT_EQ(list->Begin(1), E_FAIL);
    ASSERT_EQ(list->Begin(0), S_OK);
    glColor4f(1, 0, 0, 1);
    glRectf(2, 2, 6, 6);
    ASSERT_EQ(list->End(), S_OK);
    // Compiling draws nothing; calling draws the shape.
    EXPECT_EQ(gl.Pixel(3, 3), 0u);
    EXPECT_EQ(list->Call(0, 1), S_OK);
    EXPECT_EQ(gl.Pixel(3, 3), 0xFFFF0000u);
    const struct {
        int32_t first;
        int32_t count;
    } outside[] = {{0, 2}, {1, 1}, {-1, 1}, {0, -1}};
    for (const auto& c : outside) {
        EXPECT_EQ(list->Call(c.first, c.count), E_INVALIDARG) << c.first << "," << c.count;
    }
}

TEST(GLDisplayListTest, ConcavePolygonFillsWithoutItsNotch) {
    TestSupport::OffscreenGL gl(48, 48);
    ASSERT_TRUE(gl.IsReady());
    // An L: the square (20..40, 20..40) is its notch.
    const PointT<float> shape[] = {{0, 0}, {40, 0}, {40, 20}, {20, 20}, {20, 40}, {0, 40}};
    RCPtr<LGLDisplayList> list = LGLDisplayList::Create(1);
    ASSERT_EQ(list->Begin(0), S_OK);
    glColor4f(0, 0, 1, 1);
    CGLPolygon().Fill(shape, 6);
    ASSERT_EQ(list->End(), S_OK);
    ASSERT_EQ(list->Call(0, 1), S_OK);
    EXPECT_EQ(gl.Pixel(10, 10), 0xFF0000FFu);
    EXPECT_EQ(gl.Pixel(35, 10), 0xFF0000FFu);
    EXPECT_EQ(gl.Pixel(10, 35), 0xFF0000FFu);
    EXPECT_EQ(gl.Pixel(30, 30), 0u);
    EXPECT_EQ(gl.Pixel(44, 44), 0u);
}

}  // namespace
}  // namespace QV
