#include "RIZozivirod/Renderer/Renderer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "RIZozivirod/Renderer/D3D9Renderer.h"
#include "UITestSupport/RecordingRenderer.h"

namespace QV {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

constexpr RectT<double> kNoClip = RenderState::kNoClip;

struct StateCase {
    const char* name;
    std::function<void(RecordingRenderer&)> steps;
    PointT<double> origin;
    RectT<double> clip;
    size_t saved;
    std::vector<std::string> calls;
};

TEST(RendererState, OriginClipAndSavedStatesFollowTheStateOperations) {
    const StateCase cases[] = {
        {"a new target", [](RecordingRenderer&) {}, {0, 0}, kNoClip, 0, {}},
        {"PushOrigin without a saved state does nothing",
         [](RecordingRenderer& r) {
             r.PushOrigin({3.6, 4.2});
         },
         {0, 0},
         kNoClip,
         0,
         {}},
        {"PushOrigin rounds half away from zero; the clip stays where it was on the target",
         [](RecordingRenderer& r) {
             r.PushState();
             r.SetClipRect({0, 0, 100, 100});
             r.PushOrigin({2.5, -2.5});
         },
         {3, -3},
         {-3, 3, 100, 100},
         2,
         {"SetClipRect 0,0,100,100", "Translate 3,-3"}},
        {"PushClip snaps the clip and moves the origin by the rounded corner of the bounds",
         [](RecordingRenderer& r) {
             r.PushClip({10.4, 20.6, 50, 50}, {0, 0, 100, 100}, nullptr, true);
         },
         {10, 21},
         {0, -1, 50, 50},
         1,
         {"SetClipRect 10,20,50,50", "Translate 10,21"}},
        {"PushClip with a clip outside the bounds clips everything",
         [](RecordingRenderer& r) {
             r.PushClip({0, 0, 10, 10}, {20, 20, 5, 5}, nullptr, true);
         },
         {0, 0},
         {20, 20, 0, 0},
         1,
         {"SetClipRect 20,20,0,0", "Translate 0,0"}},
        {"PushClip without intersect: bounds on the target, the clip as given",
         [](RecordingRenderer& r) {
             r.PushState();
             r.PushOrigin({5, 5});
             r.PushClip({8, 9, 10, 10}, {1.5, 2.5, 3, 4}, nullptr, false);
         },
         {8, 9},
         {1, 2, 3, 4},
         3,
         {"Translate 5,5", "SetClipRect 1,2,3,4", "Translate 3,4"}},
        {"nested clips intersect with the clip before them",
         [](RecordingRenderer& r) {
             r.PushClip({10, 10, 100, 100}, {0, 0, 100, 100}, nullptr, true);
             r.PushClip({50, 50, 100, 100}, {0, 0, 100, 100}, nullptr, true);
         },
         {60, 60},
         {0, 0, 40, 40},
         2,
         {"SetClipRect 10,10,90,90", "Translate 10,10", "SetClipRect 50,50,40,40", "Translate 50,50"}},
        {"PopState puts origin and clip back",
         [](RecordingRenderer& r) {
             r.PushClip({10.4, 20.6, 50, 50}, {0, 0, 100, 100}, nullptr, true);
             r.calls.clear();
             r.PopState();
         },
         {0, 0},
         kNoClip,
         0,
         {"Translate -10,-21", "SetClipRect -5e+15,-5e+15,1e+16,1e+16"}},
        {"PopState without a saved state does nothing",
         [](RecordingRenderer& r) { r.PopState(); },
         {0, 0},
         kNoClip,
         0,
         {}},
    };
    for (const StateCase& c : cases) {
        RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
        RCPtr<LRenderContextInfo> target = renderer->MakeTarget();
        renderer->RenderStart(target);
        renderer->calls.clear();
        c.steps(*renderer);
        const RenderState& state = target->GetState();
        EXPECT_EQ(state.origin, c.origin) << c.name;
        EXPECT_EQ(state.clip, c.clip) << c.name;
        EXPECT_EQ(target->GetSavedStates().size(), c.saved) << c.name;
        EXPECT_EQ(renderer->calls, c.calls) << c.name;
        while (!target->GetSavedStates().empty()) {
            renderer->PopState();
        }
        EXPECT_EQ(state.origin, (PointT<double>{0, 0})) << c.name;
        EXPECT_EQ(state.clip, kNoClip) << c.name;
        renderer->RenderFinish(target);
    }
}

TEST(RendererState, OpacityIsSavedAndRestoredAndStateOperationsNeedAFrame) {
    RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    RCPtr<LRenderContextInfo> target = renderer->MakeTarget();
    EXPECT_EQ(target->GetState().opacity, 1.0f);

    // Between frames nothing is changed.
    renderer->PushState();
    renderer->PushClip({10, 10, 10, 10}, {0, 0, 5, 5}, nullptr, true);
    renderer->Translate({4, 4});
    EXPECT_EQ(renderer->SetViewport({0, 0, 10, 10}), S_OK);
    EXPECT_THAT(target->GetSavedStates(), IsEmpty());
    EXPECT_EQ(target->GetState().origin, (PointT<double>{0, 0}));
    EXPECT_EQ(target->GetViewport(), (RectT<int32_t>{0, 0, 640, 480}));

    renderer->RenderStart(target);
    renderer->PushState();
    target->GetState().opacity = 0.25f;
    renderer->PushState();
    target->GetState().opacity = 0.5f;
    renderer->PopState();
    EXPECT_EQ(target->GetState().opacity, 0.25f);
    renderer->PopState();
    EXPECT_EQ(target->GetState().opacity, 1.0f);
    renderer->RenderFinish(target);
}

TEST(RendererState, ANestedStencilIsAFreshOneOfTheSameSize) {
    RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    RCPtr<LRenderContextInfo> target = renderer->MakeTarget();
    RCPtr<LStencil> stencil = LStencil::Create(30, 20);
    EXPECT_EQ(stencil->GetBounds(), (RectT<int32_t>{0, 0, 30, 20}));
    renderer->RenderStart(target);
    const RenderState& state = target->GetState();

    renderer->PushClip({0, 0, 30, 20}, {0, 0, 30, 20}, stencil, true);
    EXPECT_TRUE(state.hasStencil);
    EXPECT_EQ(state.stencil.Get(), stencil.Get());

    renderer->PushClip({0, 0, 30, 20}, {0, 0, 30, 20}, stencil, true);
    ASSERT_TRUE(state.stencil);
    EXPECT_NE(state.stencil.Get(), stencil.Get());
    EXPECT_EQ(state.stencil->GetWidth(), 30);
    EXPECT_EQ(state.stencil->GetHeight(), 20);
    EXPECT_EQ(state.stencil->GetBounds(), (RectT<int32_t>{0, 0, 30, 20}));

    // A clip without stencil keeps the one there.
    renderer->PushClip({0, 0, 30, 20}, {0, 0, 30, 20}, nullptr, true);
    EXPECT_TRUE(state.stencil);

    renderer->PopState();
    renderer->PopState();
    EXPECT_EQ(state.stencil.Get(), stencil.Get());
    renderer->PopState();
    EXPECT_FALSE(state.hasStencil);
    EXPECT_FALSE(state.stencil);
    renderer->RenderFinish(target);
    EXPECT_EQ(stencil->GetRefCount(), 1);
}

TEST(RendererFrames, ContextStackRulesAndTheirErrors) {
    RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    RCPtr<LRenderContextInfo> window = renderer->MakeTarget();
    RCPtr<LRenderContextInfo> offscreen = renderer->MakeTarget({0, 0, 64, 64}, true);

    const auto errorOf = [](const std::function<void()>& call) -> std::string {
        try {
            call();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_THAT(errorOf([&] { renderer->RenderStart(nullptr); }),
                StartsWith("Runtime Error : Render context is NULL : QV::LRenderer::RenderStart : "));
    EXPECT_THAT(errorOf([&] { renderer->RenderFinish(window); }),
                StartsWith("Runtime Error : RenderFinish context does not match RenderStart context : "
                           "QV::LRenderer::RenderFinish : "));

    renderer->RenderStart(window);
    EXPECT_THAT(errorOf([&] { renderer->RenderStart(window); }),
                StartsWith("Runtime Error : Render context reentered. : QV::LRenderer::RenderStart : "));
    // A nested frame into another target; it has to finish first.
    renderer->RenderStart(offscreen);
    EXPECT_EQ(renderer->GetCurrentContext(), offscreen.Get());
    EXPECT_THAT(errorOf([&] { renderer->RenderStart(window); }),
                StartsWith("Runtime Error : Render context reentered."));
    EXPECT_THAT(errorOf([&] { renderer->RenderFinish(window); }),
                StartsWith("Runtime Error : RenderFinish context does not match RenderStart context"));
    EXPECT_EQ(renderer->DrawRenderContext(offscreen, {0, 0}, {0, 0, 8, 8}), S_OK);
    renderer->RenderFinish(offscreen);
    EXPECT_EQ(renderer->GetCurrentContext(), window.Get());
    renderer->RenderFinish(window);
    EXPECT_EQ(renderer->GetContextCount(), 0u);
    EXPECT_EQ(window->GetRefCount(), 1);
}

TEST(RendererFrames, AFrameThatThrowsIsFinishedAndTheNextPaintsNormally) {
    RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    RCPtr<LRenderContextInfo> target = renderer->MakeTarget();
    for (bool finishFails : {false, true}) {
        renderer->failRenderFinish = finishFails;
        renderer->calls.clear();
        EXPECT_THROW(
            {
                CAutoRenderFrame frame(*renderer, target);
                renderer->PushState();
                renderer->PushClip({10, 10, 20, 20}, {0, 0, 20, 20}, nullptr, true);
                throw std::logic_error("painting failed");
            },
            std::logic_error)
            << finishFails;
        EXPECT_EQ(renderer->calls.back(), "RenderFinish") << finishFails;
        EXPECT_EQ(renderer->GetContextCount(), 0u) << finishFails;
        EXPECT_THAT(target->GetSavedStates(), IsEmpty()) << finishFails;
        EXPECT_EQ(target->GetState().origin, (PointT<double>{0, 0})) << finishFails;
        EXPECT_EQ(target->GetState().clip, kNoClip) << finishFails;
    }
    renderer->failRenderFinish = false;
    CAutoRenderFrame frame(*renderer, target);
    EXPECT_EQ(renderer->GetCurrentContext(), target.Get());
    EXPECT_EQ(frame.Finish(), S_OK);
    EXPECT_EQ(renderer->GetContextCount(), 0u);
}

TEST(RendererDrawing, DrawRectFillsAndFramesByTheColoursAlpha) {
    const Color clear(1, 0, 0, 0);
    const Color red(1, 0, 0, 1);
    const Color blue(0, 0, 1, 0.5f);
    struct Case {
        Color fill;
        Color border;
        std::vector<std::string> calls;
    } cases[] = {
        {red, blue, {"FillRect 1,2,3,4 FFFF0000 blend", "FrameRect 1,2,3,4 800000FF 2"}},
        {clear, blue, {"FrameRect 1,2,3,4 800000FF 2"}},
        {red, clear, {"FillRect 1,2,3,4 FFFF0000 blend"}},
        {clear, clear, {}},
    };
    for (const Case& c : cases) {
        RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
        EXPECT_EQ(renderer->DrawRect({1, 2, 3, 4}, c.fill, c.border, 2.0f), S_OK);
        EXPECT_EQ(renderer->calls, c.calls);
    }
}

TEST(RendererViewport, SizesPastTheImageLimitsAreRefused) {
    struct Case {
        RectT<int32_t> viewport;
        bool allowed;
    } cases[] = {
        {{0, 0, 0, 0}, true},         {{-10, -10, 640, 480}, true},
        {{0, 0, 16384, 4096}, true},  {{0, 0, 8192, 8192}, true},
        {{0, 0, 16385, 1}, false},    {{0, 0, 1, 16385}, false},
        {{0, 0, 16384, 4097}, false}, {{0, 0, 8193, 8192}, false},
        {{0, 0, -1, 10}, false},      {{0, 0, INT32_MAX, INT32_MAX}, false},
    };
    RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    RCPtr<LRenderContextInfo> target = renderer->MakeTarget({0, 0, 100, 100});
    renderer->RenderStart(target);
    for (const Case& c : cases) {
        const RectT<int32_t>& v = c.viewport;
        const std::string name = std::to_string(v.width) + " x " + std::to_string(v.height);
        EXPECT_EQ(LRenderContextInfo::IsViewportAllowed(v), c.allowed) << name;

        EXPECT_EQ(renderer->SetViewport(v), c.allowed ? S_OK : E_INVALIDARG) << name;
        EXPECT_EQ(target->GetViewport(), (c.allowed ? v : RectT<int32_t>{0, 0, 100, 100})) << name;
        target->SetViewport({0, 0, 100, 100});

        RCPtr<LRenderer> placeholder = LRenderer::Create(kRendererD3D9, {0, 0, 100, 100}, 0);
        RCPtr<LRenderContextInfo> made;
        EXPECT_EQ(placeholder->InitRenderContextInfo(v, 0, false, made), c.allowed ? S_OK : E_FAIL) << name;
        EXPECT_EQ(static_cast<bool>(made), c.allowed) << name;

        // A target made past the limits anyway keeps no size to allocate.
        RecordingRenderContextInfo direct(v, 0, false);
        EXPECT_EQ(direct.GetViewport().width * direct.GetViewport().height,
                  c.allowed ? v.width * v.height : 0)
            << name;
    }
    renderer->RenderFinish(target);
}

RCPtr<LRenderer> CreateRecordingRenderer(const RectT<int32_t>&, WindowHandle) {
    return RecordingRenderer::Create();
}

TEST(RendererFactory, TypesComeFromTheirRegisteredCreators) {
    RCPtr<LRenderer> placeholder = LRenderer::Create(kRendererD3D9, {0, 0, 100, 100}, 0);
    ASSERT_TRUE(placeholder);
    EXPECT_EQ(placeholder->GetRendererType(), kRendererD3D9);
    RCPtr<LRenderContextInfo> target;
    ASSERT_EQ(placeholder->InitRenderContextInfo({0, 0, 100, 100}, 42, true, target), S_OK);
    EXPECT_EQ(target->GetMaxSurfaceSize(), (PointT<int32_t>{0, 0}));
    EXPECT_EQ(target->GetWindow(), 42);
    EXPECT_TRUE(target->IsOffscreen());
    EXPECT_EQ(placeholder->RenderStart(target), S_OK);
    EXPECT_EQ(placeholder->GetCurrentContext(), nullptr);
    EXPECT_EQ(placeholder->DrawRenderContext(target, {0, 0}, {0, 0, 1, 1}), E_NOTIMPL);
    EXPECT_EQ(placeholder->CopyRenderContext(target, {1, 1}), E_NOTIMPL);
    int32_t height = 5, ascent = 6, descent = 7;
    EXPECT_EQ(placeholder->GetFontMetrics(nullptr, height, ascent, descent), S_OK);
    EXPECT_EQ(height + ascent + descent, 18);
    EXPECT_EQ(placeholder->MeasureText(u"text", nullptr), (RectT<float>{}));
    EXPECT_EQ(placeholder->RenderFinish(target), S_OK);

    const LRenderer::Creator previous = LRenderer::RegisterCreator(kRendererGDI, &CreateRecordingRenderer);
    EXPECT_NE(dynamic_cast<RecordingRenderer*>(LRenderer::Create(kRendererGDI, {0, 0, 10, 10}, 0).Get()),
              nullptr);
    EXPECT_EQ(LRenderer::RegisterCreator(kRendererGDI, previous), &CreateRecordingRenderer);

    for (int32_t type : {-1, 3, 99}) {
        try {
            LRenderer::Create(type, {0, 0, 10, 10}, 0);
            ADD_FAILURE() << type;
        } catch (const Exception<std::domain_error>& e) {
            EXPECT_THAT(e.what(),
                        StartsWith("Domain Error : QV::LRenderer::Create : RIZozivirod/Renderer/Renderer"));
        }
    }
}

}  // namespace
}  // namespace QV
