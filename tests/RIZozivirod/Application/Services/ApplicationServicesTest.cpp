#include "RIZozivirod/Application/Services/ApplicationServices.h"

#include <gtest/gtest.h>

#include "RIZozivirod/Renderer/MeasurementRenderer.h"
#include "UITestSupport/TestApplicationServices.h"

namespace QV {
namespace {

TEST(ApplicationServices, TheDefaultStandsInBeforeAnApplication) {
    IApplicationServices& services = GetApplicationServices();
    ASSERT_NE(dynamic_cast<DefaultApplicationServices*>(&services), nullptr);
    const double start = services.GetTime();
    const uint32_t startMs = services.GetTimeMs();
    EXPECT_GE(start, 0.0);
    EXPECT_GE(services.GetTime(), start);
    EXPECT_GE(static_cast<int32_t>(services.GetTimeMs() - startMs), 0);
    EXPECT_EQ(services.GetScreenDpi(), 96);
    EXPECT_FALSE(services.GetMeasuringRenderer());
}

TEST(ApplicationServices, InstallersNestAndPutBackWhatWasThere) {
    IApplicationServices* const before = &GetApplicationServices();
    {
        ScopedTestApplicationServices outer;
        outer->AdvanceMs(1500);
        EXPECT_EQ(&GetApplicationServices(), &outer.Get());
        {
            ScopedTestApplicationServices inner;
            EXPECT_EQ(GetApplicationServices().GetTimeMs(), 0u);
        }
        EXPECT_EQ(GetApplicationServices().GetTimeMs(), 1500u);
        EXPECT_DOUBLE_EQ(GetApplicationServices().GetTime(), 1.5);
    }
    EXPECT_EQ(&GetApplicationServices(), before);
}

TEST(ApplicationServices, TheTestClockWrapsLikeTheMillisecondCounter) {
    ScopedTestApplicationServices services;
    services->SetTimeMs(0xFFFFFF00u);
    const uint32_t then = GetApplicationServices().GetTimeMs();
    services->AdvanceMs(0x200);
    EXPECT_EQ(GetApplicationServices().GetTimeMs(), 0x100u);
    EXPECT_EQ(static_cast<int32_t>(GetApplicationServices().GetTimeMs() - then), 0x200);
    EXPECT_DOUBLE_EQ(GetApplicationServices().GetTime(), 0.512);
}

}  // namespace
}  // namespace QV
