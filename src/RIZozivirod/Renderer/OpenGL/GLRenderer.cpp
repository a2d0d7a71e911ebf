#include "RIZozivirod/Renderer/OpenGL/GLRenderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "Platform/Fonts/FontFace.h"
#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Renderer/FontRenderer/FreetypeFontRenderer.h"
#include "RIZozivirod/Renderer/OpenGL/GLGlyphRenderer.h"
#include "RIZozivirod/Renderer/OpenGL/GLPolygon.h"

namespace QV {
namespace {

RCPtr<LRenderer> CreateGLRenderer(const RectT<int32_t>& clientRect, WindowHandle window) {
    RCPtr<LGLGlyphRenderer> glyphs(new LGLGlyphRenderer());
    RCPtr<LFontRenderer> fonts(new LFreetypeFontRenderer(glyphs, glyphs));
    return RCPtr<LRenderer>(new LGLRenderer(fonts, window, clientRect));
}

const LRenderer::CreatorRegistration kGLRegistration(kRendererOpenGL, &CreateGLRenderer);

constexpr uint32_t kExclamationStyle = 0x30;
constexpr const char16_t* kErrorCaption = u"OpenGL Error";
constexpr const char16_t* kCreateContextFailed = u"wglCreateContext failed.";
constexpr const char16_t* kUpdateDriver =
    u"Updating your video card driver, with the latest driver from the manufacturer of your video card, may "
    u"solve this issue.";

// Scissor and pixel values far past any surface are held to this, so they stay integers.
constexpr double kCoordinateLimit = 1073741824.0;  // 2^30

double RoundGLHalfAway(double value) {
    return std::isnan(value) ? 0.0 : std::round(value);
}

void SetColor(const Color& color) {
    glColor4f(color.red, color.green, color.blue, color.alpha);
}

// A part of a texture that holds a framebuffer copy (rows bottom to top, the copied image
// imageHeight high) drawn upright with its top-left at (x, y).
void DrawFramebufferCopy(GLuint texture, int32_t textureWidth, int32_t textureHeight, int32_t imageHeight,
                         const RectT<int32_t>& source, float x, float y) {
    const float tw = static_cast<float>(textureWidth);
    const float th = static_cast<float>(textureHeight);
    const float u0 = static_cast<float>(source.x) / tw;
    const float u1 = static_cast<float>(source.x + source.width) / tw;
    const float vTop = static_cast<float>(imageHeight - source.y) / th;
    const float vBottom = static_cast<float>(imageHeight - source.y - source.height) / th;
    const float right = x + static_cast<float>(source.width);
    const float bottom = y + static_cast<float>(source.height);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, vTop);
    glVertex2f(x, y);
    glTexCoord2f(u0, vBottom);
    glVertex2f(x, bottom);
    glTexCoord2f(u1, vBottom);
    glVertex2f(right, bottom);
    glTexCoord2f(u1, vTop);
    glVertex2f(right, y);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

// The points of a shape as GL primitives, in the current matrix and colour.
void EmitShape(const PolylineT<float>& polyline, LGLRenderer::ShapeKind kind) {
    const std::vector<PointT<float>>& points = polyline.points;
    if (points.empty()) {
        return;
    }
    if (kind == LGLRenderer::kFill) {
        CGLPolygon polygon;
        polygon.Fill(points.data(), static_cast<uint32_t>(points.size()));
        return;
    }
    size_t count = points.size();
    GLenum mode = GL_LINE_STRIP;
    if (kind == LGLRenderer::kSegments) {
        mode = GL_LINES;
        count &= ~size_t{1};
    } else if (kind == LGLRenderer::kOutline) {
        mode = GL_LINE_LOOP;
    }
    glBegin(mode);
    for (size_t i = 0; i < count; ++i) {
        glVertex2f(points[i].x, points[i].y);
    }
    glEnd();
}

}  // namespace

intptr_t LGLRenderer::PixelStoreOf(const ConstRCPtr<LBitmap>& bitmap) {
    return reinterpret_cast<intptr_t>(bitmap ? bitmap->GetGdiplusBitmap() : nullptr);
}

LGLRenderer::LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, WindowHandle window,
                         const RectT<int32_t>& clientRect)
    : mFontRenderer(fontRenderer), mWindow(window), mLastPurgeTime(GetApplicationServices().GetTimeMs()) {
    for (std::unique_ptr<ShapeCache>& cache : mShapes) {
        cache = std::make_unique<ShapeCache>(kShapeCacheCapacity);
    }
    mTextures = std::make_unique<TextureCache>(kTextureCacheCapacity);
    std::string error;
    mContext = Platform::GetGLContextProvider().CreateContext(reinterpret_cast<void*>(window),
                                                              std::max(clientRect.width, 1),
                                                              std::max(clientRect.height, 1), error);
    if (mContext && !mContext->MakeCurrent()) {
        error = mContext->GetError();
        mContext.reset();
    }
    if (!mContext) {
        GetApplicationServices().ShowMessageBox(WString(kCreateContextFailed) + kUpdateDriver, kErrorCaption,
                                                kExclamationStyle);
        QV_THROW(std::runtime_error, error);
    }
    GLint dimensions[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dimensions);
    mMaxViewport = {dimensions[0], dimensions[1]};
    mContext->ReleaseCurrent();
}

LGLRenderer::~LGLRenderer() {
    // GL names go with the context current.
    const bool current = mContext->MakeCurrent();
    for (std::unique_ptr<ShapeCache>& cache : mShapes) {
        cache.reset();
    }
    mTextures.reset();
    mFontRenderer = nullptr;
    for (GLuint saved : mSavedUnderOffscreen) {
        if (saved != 0) {
            glDeleteTextures(1, &saved);
        }
    }
    if (current) {
        mContext->ReleaseCurrent();
    }
}

LGLRenderContextInfo* LGLRenderer::CurrentTarget() const {
    return static_cast<LGLRenderContextInfo*>(GetCurrentContext());
}

int32_t LGLRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                    int32_t& descent) {
    return mFontRenderer ? mFontRenderer->GetFontMetrics(font, height, ascent, descent) : E_FAIL;
}

uintptr_t LGLRenderer::GetFontConfigurationStamp() {
    return Platform::FontFace::GetConfigurationStamp();
}

RectT<float> LGLRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font) {
    return mFontRenderer ? mFontRenderer->MeasureText(text, font) : RectT<float>();
}

int32_t LGLRenderer::InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window,
                                           bool offscreen, RCPtr<LRenderContextInfo>& target) {
    if (!LRenderContextInfo::IsViewportAllowed(viewport) || viewport.width > mMaxViewport.x ||
        viewport.height > mMaxViewport.y) {
        return E_FAIL;
    }
    target = RCPtr<LRenderContextInfo>(new LGLRenderContextInfo(viewport, window, offscreen, mMaxViewport));
    if (mContext->MakeCurrent()) {
        ApplyFixedState();
        if (GetContextCount() == 0) {
            mContext->ReleaseCurrent();
        }
    }
    return S_OK;
}

void LGLRenderer::ApplyFixedState() {
    glClearColor(0, 0, 0, 0);
    glColor4f(1, 1, 1, 1);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.003921569f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_SCISSOR_TEST);
    // Texturing is switched on by each textured quad for its own drawing.
    glDisable(GL_TEXTURE_2D);
}

int32_t LGLRenderer::SetViewport(const RectT<int32_t>& viewport) {
    const int32_t result = LRenderer::SetViewport(viewport);
    if (result != S_OK || GetCurrentContext() == nullptr) {
        return result;
    }
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, viewport.width, viewport.height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    return S_OK;
}

void LGLRenderer::ApplyScissor(const RectT<double>& rect) {
    const LGLRenderContextInfo* target = CurrentTarget();
    if (target == nullptr) {
        return;
    }
    const RectT<int32_t>& viewport = target->GetViewport();
    double x = RoundGLHalfAway(rect.x);
    double width = RoundGLHalfAway(rect.width);
    double y = RoundGLHalfAway(viewport.height - (rect.y + rect.height));
    double height = RoundGLHalfAway(rect.height);
    if (x < 0) {
        width += x;
        x = 0;
    }
    if (y < 0) {
        height += y;
        y = 0;
    }
    if (width < 1 || height < 1) {
        // A box outside the viewport: nothing passes.
        glScissor(viewport.width, 0, 1, 1);
        return;
    }
    glScissor(static_cast<GLint>(std::min(x, kCoordinateLimit)),
              static_cast<GLint>(std::min(y, kCoordinateLimit)),
              static_cast<GLsizei>(std::min(width, kCoordinateLimit)),
              static_cast<GLsizei>(std::min(height, kCoordinateLimit)));
}

int32_t LGLRenderer::SetClipRect(const RectT<double>& clip) {
    LRenderer::SetClipRect(clip);
    if (LGLRenderContextInfo* target = CurrentTarget()) {
        const PointT<double>& origin = target->GetState().origin;
        ApplyScissor({clip.x + origin.x, clip.y + origin.y, clip.width, clip.height});
    }
    return S_OK;
}

int32_t LGLRenderer::Translate(const PointT<double>& delta) {
    LRenderer::Translate(delta);
    if (CurrentTarget() != nullptr && (delta.x != 0 || delta.y != 0)) {
        glTranslated(delta.x, delta.y, 0);
    }
    return S_OK;
}

int32_t LGLRenderer::RenderStart(const RCPtr<LRenderContextInfo>& target) {
    LGLRenderContextInfo* glTarget = dynamic_cast<LGLRenderContextInfo*>(target.Get());
    if (target && glTarget == nullptr) {
        return E_INVALIDARG;
    }
    const bool nested = GetContextCount() > 0;
    LRenderer::RenderStart(target);
    mContext->MakeCurrent();
    if (!nested) {
        ApplyFixedState();
    }
    const RectT<int32_t> viewport = glTarget->GetViewport();
    SetViewport(viewport);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    if (glTarget->IsOffscreen()) {
        glDisable(GL_SCISSOR_TEST);
        GLuint saved = 0;
        if (nested && viewport.width > 0 && viewport.height > 0) {
            // The outer frame's pixels under this one, put back when it ends.
            glGenTextures(1, &saved);
            glBindTexture(GL_TEXTURE_2D, saved);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, std::max(GLPowerOfTwo(viewport.width), viewport.width),
                         std::max(GLPowerOfTwo(viewport.height), viewport.height), 0, GL_BGRA,
                         GL_UNSIGNED_BYTE, nullptr);
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, viewport.width, viewport.height);
        }
        mSavedUnderOffscreen.push_back(saved);
        // The target's own picture, as the last frame left it, over its part of the surface.
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, viewport.width, viewport.height);
        glClear(GL_COLOR_BUFFER_BIT);
        if (glTarget->GetPictureTexture() != 0) {
            glDisable(GL_BLEND);
            glColor4f(1, 1, 1, 1);
            DrawFramebufferCopy(glTarget->GetPictureTexture(), glTarget->GetPictureWidth(),
                                glTarget->GetPictureHeight(), viewport.height,
                                {0, 0, viewport.width, viewport.height}, 0, 0);
            glEnable(GL_BLEND);
        }
        glEnable(GL_SCISSOR_TEST);
        DrainGLErrors();
    }
    const RenderState& state = glTarget->GetState();
    glTranslated(state.origin.x, state.origin.y, 0);
    ApplyScissor(
        {state.clip.x + state.origin.x, state.clip.y + state.origin.y, state.clip.width, state.clip.height});
    return S_OK;
}

int32_t LGLRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& target) {
    LGLRenderContextInfo* glTarget = CurrentTarget();
    if (glTarget == nullptr || glTarget != target.Get()) {
        return LRenderer::RenderFinish(target);  // raises the mismatch
    }
    DrainGLErrors();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    if (glTarget->IsOffscreen()) {
        glFlush();
        glTarget->TakePicture();
        GLuint saved = mSavedUnderOffscreen.empty() ? 0 : mSavedUnderOffscreen.back();
        if (!mSavedUnderOffscreen.empty()) {
            mSavedUnderOffscreen.pop_back();
        }
        if (saved != 0) {
            const RectT<int32_t>& viewport = glTarget->GetViewport();
            glPushMatrix();
            glLoadIdentity();
            glDisable(GL_SCISSOR_TEST);
            glDisable(GL_BLEND);
            glColor4f(1, 1, 1, 1);
            DrawFramebufferCopy(saved, std::max(GLPowerOfTwo(viewport.width), viewport.width),
                                std::max(GLPowerOfTwo(viewport.height), viewport.height), viewport.height,
                                {0, 0, viewport.width, viewport.height}, 0, 0);
            glEnable(GL_BLEND);
            glEnable(GL_SCISSOR_TEST);
            glPopMatrix();
            glDeleteTextures(1, &saved);
        }
    } else if (!mContext->IsDoubleBuffered()) {
        glFlush();
    } else if (!mContext->SwapKeepsBackBuffer()) {
        // Presenting by copy keeps the back buffer for the next frame's partial repaint.
        glFlush();
        const RectT<int32_t>& viewport = glTarget->GetViewport();
        GLint readBuffer = GL_BACK;
        GLint drawBuffer = GL_FRONT;
        glGetIntegerv(GL_READ_BUFFER, &readBuffer);
        glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
        glReadBuffer(GL_BACK);
        glDrawBuffer(GL_FRONT);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(0, viewport.width, 0, viewport.height, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_BLEND);
        glRasterPos4f(0, 0, 0, 1);
        glCopyPixels(0, 0, viewport.width, viewport.height, GL_COLOR);
        glEnable(GL_BLEND);
        glEnable(GL_SCISSOR_TEST);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glReadBuffer(static_cast<GLenum>(readBuffer));
        glDrawBuffer(static_cast<GLenum>(drawBuffer));
        glFlush();
    } else {
        mContext->SwapBuffers();
    }
    DrainGLErrors();
    const int32_t result = LRenderer::RenderFinish(target);
    if (LGLRenderContextInfo* previous = CurrentTarget()) {
        SetViewport(previous->GetViewport());
        const RenderState& state = previous->GetState();
        ApplyScissor({state.clip.x + state.origin.x, state.clip.y + state.origin.y, state.clip.width,
                      state.clip.height});
    } else {
        PurgeIfDue();
        mContext->ReleaseCurrent();
    }
    return result;
}

void LGLRenderer::PurgeIfDue() {
    const uint32_t now = GetApplicationServices().GetTimeMs();
    if (static_cast<int32_t>(now - mLastPurgeTime) <= static_cast<int32_t>(kPurgeIntervalMs)) {
        return;
    }
    mLastPurgeTime = now;
    for (std::unique_ptr<ShapeCache>& cache : mShapes) {
        cache->Purge(cache->GetPurgeMark());
        cache->SetPurgeMark(cache->GetClock());
    }
    mTextures->Purge(mTextures->GetPurgeMark());
    mTextures->SetPurgeMark(mTextures->GetClock());
    if (mFontRenderer) {
        if (auto* glyphs = dynamic_cast<LGLGlyphRenderer*>(mFontRenderer->GetGlyphProcessor().Get())) {
            glyphs->Purge();
        }
    }
}

int32_t LGLRenderer::DrawText(const WString& text, const ConstRCPtr<LFont>& font,
                              const PointT<int32_t>& position, const Color& color) {
    if (CurrentTarget() == nullptr || !mFontRenderer || text.IsEmpty()) {
        return S_OK;
    }
    SetColor(color);
    glPushMatrix();
    glTranslatef(static_cast<float>(position.x), static_cast<float>(position.y), 0);
    mFontRenderer->ProcessGlyphs(text, font, mFontRenderer->GetGlyphProcessor(), 0, 0.0f,
                                 LGlyphProcessor::kRender);
    glPopMatrix();
    return S_OK;
}

int32_t LGLRenderer::FrameRect(const RectT<int32_t>& rect, const Color& color, float penWidth) {
    if (CurrentTarget() == nullptr) {
        return S_OK;
    }
    const RectT<double> snapped = rect.ToDouble().SnapToPixels();
    // Lines run through pixel centres, so the outline covers the rectangle's edge pixels.
    const float left = static_cast<float>(snapped.x) + 0.5f;
    const float top = static_cast<float>(snapped.y) + 0.5f;
    const float right = static_cast<float>(snapped.x + snapped.width) + 0.5f;
    const float bottom = static_cast<float>(snapped.y + snapped.height) + 0.5f;
    glLineWidth(penWidth);
    SetColor(color);
    glBegin(GL_LINE_STRIP);
    glVertex2f(left, top);
    glVertex2f(right, top);
    glVertex2f(right, bottom);
    glVertex2f(left, bottom);
    glVertex2f(left, top);
    glEnd();
    return S_OK;
}

int32_t LGLRenderer::FillRect(const RectT<int32_t>& rect, const Color& color, bool blend) {
    LGLRenderContextInfo* target = CurrentTarget();
    if (target == nullptr) {
        return S_OK;
    }
    if (blend) {
        const RectT<double> snapped = rect.ToDouble().SnapToPixels();
        SetColor(color);
        glRectd(snapped.x, snapped.y, snapped.x + snapped.width, snapped.y + snapped.height);
        return S_OK;
    }
    // The pixels become the colour itself, alpha included, whatever the clip.
    const RenderState& state = target->GetState();
    ApplyScissor({rect.x + state.origin.x, rect.y + state.origin.y, static_cast<double>(rect.width),
                  static_cast<double>(rect.height)});
    glClearColor(color.red, color.green, color.blue, color.alpha);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    ApplyScissor(
        {state.clip.x + state.origin.x, state.clip.y + state.origin.y, state.clip.width, state.clip.height});
    return S_OK;
}

int32_t LGLRenderer::DrawColorRectList(ColorRectListT<float>& rects, const PointT<double>& offset) {
    if (CurrentTarget() == nullptr) {
        return S_OK;
    }
    glPushMatrix();
    glTranslatef(static_cast<float>(offset.x), static_cast<float>(offset.y), 0);
    for (size_t i = rects.entries.size(); i-- > 0;) {
        const ColorRectListT<float>::Entry& entry = rects.entries[i];
        const RectT<int32_t> scaled{RoundToInt32(static_cast<double>(entry.rect.x) * rects.scaleX),
                                    RoundToInt32(static_cast<double>(entry.rect.y) * rects.scaleY),
                                    RoundToInt32(static_cast<double>(entry.rect.width) * rects.scaleX),
                                    RoundToInt32(static_cast<double>(entry.rect.height) * rects.scaleY)};
        FillRect(scaled, Color::FromARGB(entry.argb), true);
    }
    glPopMatrix();
    return S_OK;
}

int32_t LGLRenderer::DrawLine(const PointT<int32_t>& from, const PointT<int32_t>& to, const Color& color,
                              float width) {
    if (CurrentTarget() == nullptr) {
        return S_OK;
    }
    glLineWidth(width);
    SetColor(color);
    glBegin(GL_LINES);
    glVertex2f(static_cast<float>(from.x) + 0.5f, static_cast<float>(from.y) + 0.5f);
    glVertex2f(static_cast<float>(to.x) + 0.5f, static_cast<float>(to.y) + 0.5f);
    glEnd();
    return S_OK;
}

int32_t LGLRenderer::DrawLineSegments(PolylineT<float>& polyline, const Color& color,
                                      const PointT<float>& offset, const PointT<float>& scale,
                                      bool keepCached) {
    return DrawShape(polyline, color, offset, scale, keepCached, kSegments);
}

int32_t LGLRenderer::DrawPolyline(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                                  const PointT<float>& scale, bool keepCached) {
    return DrawShape(polyline, color, offset, scale, keepCached, kOpenLine);
}

int32_t LGLRenderer::DrawPolygon(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                                 const PointT<float>& scale, bool keepCached) {
    return DrawShape(polyline, color, offset, scale, keepCached, kOutline);
}

int32_t LGLRenderer::FillPolygon(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                                 const PointT<float>& scale, bool keepCached) {
    return DrawShape(polyline, color, offset, scale, keepCached, kFill);
}

int32_t LGLRenderer::DrawShape(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                               const PointT<float>& scale, bool keepCached, ShapeKind kind) {
    if (CurrentTarget() == nullptr) {
        return S_OK;
    }
    // The list holds the shape's points only: offset, scale, colour and line width are set
    // around it, so one list serves every place and colour the shape is drawn in.
    glPushMatrix();
    glTranslatef(offset.x, offset.y, 0);
    if (kind != kFill) {
        // Lines run through pixel centres.
        glTranslatef(0.5f, 0.5f, 0);
    }
    glScalef(scale.x, scale.y, 1);
    SetColor(color);
    glLineWidth(polyline.lineWidth);
    const int64_t handle = polyline.GetHandle();
    if (!keepCached) {
        mShapes[kind]->Invalidate(handle);
        EmitShape(polyline, kind);
        glPopMatrix();
        return S_OK;
    }
    const bool changed = polyline.changed;
    polyline.changed = false;
    if (changed) {
        // The flag is cleared here, so no other operation's list of the shape may stay.
        for (std::unique_ptr<ShapeCache>& cache : mShapes) {
            cache->Invalidate(handle);
        }
    }
    RCPtr<LGLDisplayList>* entry = mShapes[kind]->GetEntry(polyline, changed);
    if (!*entry || (*entry)->Call(0, 1) != S_OK) {
        RCPtr<LGLDisplayList> list = LGLDisplayList::Create(1);
        if (list->Begin(0) == S_OK) {
            EmitShape(polyline, kind);
            list->End();
            ++mCompileCount;
            *entry = list;
            list->Call(0, 1);
        } else {
            EmitShape(polyline, kind);
        }
    }
    glPopMatrix();
    return S_OK;
}

int32_t LGLRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& destination,
                                ResizeType resize) {
    if (CurrentTarget() == nullptr) {
        return S_OK;
    }
    if (!bitmap) {
        return E_INVALIDARG;
    }
    const RectT<int32_t>& area = bitmap->GetArea();
    if (area.width <= 0 || area.height <= 0 || destination.width <= 0 || destination.height <= 0) {
        return S_OK;
    }
    if (destination.width == area.width && destination.height == area.height) {
        resize = ResizeType::Stretch;
    }
    if (resize != ResizeType::Stretch && resize != ResizeType::Tile && resize != ResizeType::Center) {
        QV_THROW(std::logic_error, "Invalid ResizeType passed to DrawBitmap");
    }
    RCPtr<LGLTexture>* entry = mTextures->GetEntry(bitmap, false);
    if (!*entry || (*entry)->GetName() == LGLTexture::kNoTexture || !glIsTexture((*entry)->GetName())) {
        RCPtr<LGLTexture> texture(new LGLTexture());
        texture->SetSource(bitmap);
        *entry = texture;
    }
    const LGLTexture& texture = **entry;
    if (texture.GetTextureWidth() <= 0) {
        return S_OK;
    }
    glColor4f(1, 1, 1, 1);
    const RectT<float> source{static_cast<float>(area.x), static_cast<float>(area.y),
                              static_cast<float>(area.width), static_cast<float>(area.height)};
    const float width = source.width;
    const float height = source.height;
    switch (resize) {
        case ResizeType::Stretch:
            texture.DrawQuad(source, static_cast<float>(destination.x), static_cast<float>(destination.y),
                             static_cast<float>(destination.x + destination.width),
                             static_cast<float>(destination.y + destination.height));
            break;
        case ResizeType::Tile:
            // Whole tiles: the clip cuts the last row and column.
            for (int64_t y = destination.y; y < int64_t{destination.y} + destination.height;
                 y += area.height) {
                for (int64_t x = destination.x; x < int64_t{destination.x} + destination.width;
                     x += area.width) {
                    texture.DrawQuad(source, static_cast<float>(x), static_cast<float>(y),
                                     static_cast<float>(x) + width, static_cast<float>(y) + height);
                }
            }
            break;
        case ResizeType::Center: {
            const float x = static_cast<float>(destination.x + (destination.width - area.width) / 2);
            const float y = static_cast<float>(destination.y + (destination.height - area.height) / 2);
            texture.DrawQuad(source, x, y, x + width, y + height);
            break;
        }
    }
    return S_OK;
}

int32_t LGLRenderer::DrawRenderContext(const RCPtr<LRenderContextInfo>& source,
                                       const PointT<int32_t>& destination, const RectT<int32_t>& sourceRect) {
    const LGLRenderContextInfo* picture = dynamic_cast<const LGLRenderContextInfo*>(source.Get());
    if (CurrentTarget() == nullptr || picture == nullptr || !picture->IsOffscreen()) {
        return E_INVALIDARG;
    }
    if (picture->GetPictureTexture() == 0 || sourceRect.width <= 0 || sourceRect.height <= 0) {
        return S_OK;
    }
    glColor4f(1, 1, 1, 1);
    DrawFramebufferCopy(picture->GetPictureTexture(), picture->GetPictureWidth(), picture->GetPictureHeight(),
                        picture->GetViewport().height, sourceRect, static_cast<float>(destination.x),
                        static_cast<float>(destination.y));
    return S_OK;
}

int32_t LGLRenderer::CopyRenderContext(const RCPtr<LRenderContextInfo>& target,
                                       const PointT<int32_t>& offset) {
    LGLRenderContextInfo* picture = dynamic_cast<LGLRenderContextInfo*>(target.Get());
    if (picture == nullptr || !picture->IsOffscreen()) {
        return E_INVALIDARG;
    }
    RenderStart(target);
    const RectT<int32_t> viewport = picture->GetViewport();
    glPushMatrix();
    glLoadIdentity();
    glScissor(0, 0, viewport.width, viewport.height);
    glClear(GL_COLOR_BUFFER_BIT);
    if (picture->GetPictureTexture() != 0) {
        // The old picture replaces what lies under it, transparent pixels included.
        glBlendFunc(GL_ONE, GL_ZERO);
        glDisable(GL_ALPHA_TEST);
        glColor4f(1, 1, 1, 1);
        DrawFramebufferCopy(picture->GetPictureTexture(), picture->GetPictureWidth(),
                            picture->GetPictureHeight(), viewport.height,
                            {0, 0, viewport.width, viewport.height}, static_cast<float>(offset.x),
                            static_cast<float>(offset.y));
        glEnable(GL_ALPHA_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glPopMatrix();
    return RenderFinish(target);
}

}  // namespace QV
