#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Renderer/RenderContextInfo.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace QV {

// A retained picture a target draws into: an ARGB32 Cairo image surface (premultiplied) with
// its drawing context, made for a window's resolution. A surface is at least 1 x 1. When Cairo
// cannot make it (no memory) the surface and the context are in Cairo's error state and
// every drawing into them does nothing.
class LGDIRendererOffscreenSurface : public LRefCountedObject {
public:
    static RCPtr<LGDIRendererOffscreenSurface> Create(const PointT<int32_t>& size, WindowHandle window,
                                                      int32_t dpi);
    ~LGDIRendererOffscreenSurface() override;

    // Makes picture and context again at the size, transparent black.
    void Resize(const PointT<int32_t>& size);
    // Draws in pixels that are not its own from now on (a window's, width x height of 32 bits,
    // rows `stride` bytes apart, which must outlive this use); the picture is what they hold.
    void DrawIn(uint8_t* pixels, const PointT<int32_t>& size, int32_t stride);
    // True while drawing in pixels given to DrawIn.
    bool DrawsIn(const uint8_t* pixels) const {
        return mForeignPixels != nullptr && mForeignPixels == pixels;
    }
    bool DrawsInForeignPixels() const { return mForeignPixels != nullptr; }
    // Draws in a picture of its own again, a copy of the current one.
    void TakeOwnPicture();
    // The picture at the size, transparent black: the same picture cleared when it has that
    // size already (nothing is allocated), else made again.
    void Reset(const PointT<int32_t>& size);
    // Width and height of the picture; (0, 0) without one.
    PointT<int32_t> GetSize() const;
    // Draws the source rectangle of the picture at the point of the context, in pixels.
    // False when Cairo reported a failure.
    bool DrawTo(cairo_t* context, const PointT<int32_t>& point, const RectT<int32_t>& source) const;

    cairo_t* GetGraphics() const { return mGraphics; }
    cairo_surface_t* GetBitmap() const { return mBitmap; }
    WindowHandle GetWindow() const { return mWindow; }
    // Dots per inch the picture is made for: the screen's.
    int32_t GetDpi() const { return mDpi; }

private:
    LGDIRendererOffscreenSurface(WindowHandle window, int32_t dpi);
    void Destroy();

    WindowHandle mWindow;
    int32_t mDpi;
    cairo_surface_t* mBitmap = nullptr;
    cairo_t* mGraphics = nullptr;
    const uint8_t* mForeignPixels = nullptr;
};

}  // namespace QV
