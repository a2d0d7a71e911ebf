#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/Renderer/MeasurementRenderer.h"
#include "RIZozivirod/Renderer/RenderContextInfo.h"
#include "RIZozivirod/Renderer/RenderState.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"
#include "RIZozivirod/Utilities/Graphics/Color.h"
#include "RIZozivirod/Utilities/Graphics/ColorRectList.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "RIZozivirod/Utilities/Graphics/Polyline.h"
#include "RIZozivirod/Utilities/Graphics/ResizeType.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// Renderer types of Create.
inline constexpr int32_t kRendererOpenGL = 0;
inline constexpr int32_t kRendererGDI = 1;
inline constexpr int32_t kRendererD3D9 = 2;

// The one drawing interface every control paints through. A renderer draws into the target on
// top of its stack of render contexts (RenderStart pushes, RenderFinish pops); the state
// operations (origin, clip, stencil, saved states) work on that target and do nothing while no
// frame is open. Backends override the abstract drawing operations and, where they keep a
// device of their own, RenderStart, RenderFinish, SetClipRect and Translate, calling the base
// first. User-interface thread only.
class LRenderer : public LMeasurementRenderer {
public:
    // Makes the renderer of one type for a window's client rectangle.
    using Creator = RCPtr<LRenderer> (*)(const RectT<int32_t>& clientRect, WindowHandle window);

    // The renderer of the type's registered creator; Domain Error for a type without one. Type 2
    // (the Direct3D 9 placeholder) is always there; backends register types 0 and 1.
    static RCPtr<LRenderer> Create(int32_t type, const RectT<int32_t>& clientRect, WindowHandle window);
    // Sets the creator of a type (null removes it) and returns the one it replaces.
    static Creator RegisterCreator(int32_t type, Creator creator);

    // A backend's registration as a namespace-scope object of its source file: the library's
    // loading registers it before anything can create a renderer.
    struct CreatorRegistration {
        CreatorRegistration(int32_t type, Creator creator) { RegisterCreator(type, creator); }
    };

    virtual int32_t GetRendererType() = 0;
    // A new target of this backend; 0, or E_FAIL when none was made.
    virtual int32_t InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreen,
                                          RCPtr<LRenderContextInfo>& target) = 0;
    // E_INVALIDARG for a viewport past the limits of LRenderContextInfo.
    virtual int32_t SetViewport(const RectT<int32_t>& viewport);
    virtual int32_t SetStencil(const ConstRCPtr<LStencil>& stencil);
    // Runtime Error for a null target or one already on the stack.
    virtual int32_t RenderStart(const RCPtr<LRenderContextInfo>& target);
    // Runtime Error unless the target is the current one.
    virtual int32_t RenderFinish(const RCPtr<LRenderContextInfo>& target);

    virtual int32_t DrawText(const WString& text, const ConstRCPtr<LFont>& font,
                             const PointT<int32_t>& position, const Color& color) = 0;
    virtual int32_t FrameRect(const RectT<int32_t>& rect, const Color& color, float penWidth) = 0;
    // Blended, or overwriting the pixels.
    virtual int32_t FillRect(const RectT<int32_t>& rect, const Color& color, bool blend) = 0;
    // A blended fill when the fill colour has alpha, then the frame when the border has.
    virtual int32_t DrawRect(const RectT<int32_t>& rect, const Color& fill, const Color& border,
                             float borderWidth);
    virtual int32_t DrawColorRectList(ColorRectListT<float>& rects, const PointT<double>& offset) = 0;
    virtual int32_t DrawLine(const PointT<int32_t>& from, const PointT<int32_t>& to, const Color& color,
                             float width) = 0;
    // Each pair of points is one segment.
    virtual int32_t DrawLineSegments(PolylineT<float>& polyline, const Color& color,
                                     const PointT<float>& offset, const PointT<float>& scale,
                                     bool keepCached) = 0;
    virtual int32_t DrawPolyline(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                                 const PointT<float>& scale, bool keepCached) = 0;
    virtual int32_t DrawPolygon(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                                const PointT<float>& scale, bool keepCached) = 0;
    virtual int32_t FillPolygon(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                                const PointT<float>& scale, bool keepCached) = 0;
    virtual int32_t DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& destination,
                               ResizeType resize) = 0;
    // Copies an area of an offscreen target's image into the current target; E_INVALIDARG
    // without an offscreen source or a current target.
    virtual int32_t DrawRenderContext(const RCPtr<LRenderContextInfo>& source,
                                      const PointT<int32_t>& destination,
                                      const RectT<int32_t>& sourceRect) = 0;
    // Redraws an offscreen target's own image shifted by the offset onto a cleared surface;
    // E_INVALIDARG for a target that is not offscreen.
    virtual int32_t CopyRenderContext(const RCPtr<LRenderContextInfo>& target,
                                      const PointT<int32_t>& offset) = 0;

    // Saves the state and moves the origin by the offset rounded to whole pixels; the clip stays
    // where it was on the target. Does nothing while no state is saved.
    virtual int32_t PushOrigin(const PointT<double>& offset);
    // Saves the state, clips to the clip rectangle (with intersect: within the bounds and the
    // current clip) snapped to whole pixels, and moves the origin to the bounds' corner rounded
    // to whole pixels (without intersect the bounds are in target coordinates).
    virtual int32_t PushClip(const RectT<double>& bounds, const RectT<double>& clip,
                             const ConstRCPtr<LStencil>& stencil, bool intersect);
    virtual int32_t PushState();
    virtual int32_t PopState();
    virtual int32_t SetClipRect(const RectT<double>& clip);
    virtual int32_t Translate(const PointT<double>& delta);

    // The target on top of the stack; null between frames.
    LRenderContextInfo* GetCurrentContext() const;
    uint32_t GetContextCount() const { return static_cast<uint32_t>(mContexts.size()); }

private:
    friend class CAutoRenderFrame;
    // Takes the target, and any target above it, off the stack without finishing them.
    void AbandonRenderContext(const LRenderContextInfo* target);

    std::vector<RCPtr<LRenderContextInfo>> mContexts;
};

// Keeps one frame of a target open for its scope: RenderStart on construction, RenderFinish by
// Finish, or by the destructor when the scope is left early (an exception thrown while
// painting). Leaving early first pops the states saved during the frame, so a throw mid-frame
// leaves neither the target on the renderer's stack nor its states pushed, and the next frame
// starts clean. When the backend's RenderFinish fails then, the target is taken off the stack
// all the same; such failures are swallowed, since nothing may leave a destructor.
class CAutoRenderFrame {
public:
    CAutoRenderFrame(LRenderer& renderer, const RCPtr<LRenderContextInfo>& target);
    CAutoRenderFrame(const CAutoRenderFrame&) = delete;
    CAutoRenderFrame& operator=(const CAutoRenderFrame&) = delete;
    ~CAutoRenderFrame();

    // The frame's normal end: RenderFinish, whose result or exception is the caller's.
    int32_t Finish();

private:
    LRenderer& mRenderer;
    RCPtr<LRenderContextInfo> mTarget;
    size_t mSavedStateCount;
    bool mFinished = false;
};

}  // namespace QV
