#include "RIZozivirod/Utilities/Graphics/Polyline.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>

#include "RIZozivirod/Utilities/Graphics/ColorRectList.h"

namespace QV {
namespace {

// Drawing caches key shapes by handle: a shape made where a freed one lived must not find the
// old one's drawing.
template <class Shape>
void ExpectFreshHandleAtAReusedAddress() {
    alignas(Shape) unsigned char storage[sizeof(Shape)];
    Shape* first = new (storage) Shape();
    const int64_t firstHandle = first->GetHandle();
    Shape copy(*first);
    first->~Shape();
    Shape* second = new (storage) Shape();
    EXPECT_NE(second->GetHandle(), firstHandle);
    EXPECT_NE(copy.GetHandle(), firstHandle);
    EXPECT_NE(copy.GetHandle(), second->GetHandle());
    Shape assigned;
    const int64_t assignedHandle = assigned.GetHandle();
    assigned = *second;
    EXPECT_EQ(assigned.GetHandle(), assignedHandle);
    second->~Shape();
}

TEST(DrawingShapeHandles, AreNeverReused) {
    ExpectFreshHandleAtAReusedAddress<PolylineT<float>>();
    ExpectFreshHandleAtAReusedAddress<ColorRectListT<float>>();
}

}  // namespace
}  // namespace QV
