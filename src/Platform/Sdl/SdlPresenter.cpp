#include "Platform/Sdl/SdlPresenter.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

namespace Platform {

void SdlPresenter::SetSoftwareSurfaceHint() {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}

namespace {

// An XRGB or ARGB window surface of 32 bits takes the frame's rows as they are.
bool TakesFrameRows(const SDL_Surface& surface) {
    return surface.format->format == SDL_PIXELFORMAT_ARGB8888 ||
           surface.format->format == SDL_PIXELFORMAT_RGB888;
}

// The part of the rectangle inside width x height; empty when nothing is.
SDL_Rect Clipped(const QV::RectT<int32_t>& rect, int32_t width, int32_t height) {
    const int32_t left = std::max(rect.x, 0);
    const int32_t top = std::max(rect.y, 0);
    const int32_t right =
        static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(rect.x) + rect.width, width));
    const int32_t bottom =
        static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(rect.y) + rect.height, height));
    if (right <= left || bottom <= top) {
        return SDL_Rect{0, 0, 0, 0};
    }
    return SDL_Rect{left, top, right - left, bottom - top};
}

}  // namespace

IRenderPresenter::FrameBuffer SdlPresenter::GetFrameBuffer() {
    mGivenPixels = nullptr;
    SDL_Surface* surface = mWindow != nullptr ? SDL_GetWindowSurface(mWindow) : nullptr;
    if (surface == nullptr || surface->pixels == nullptr || SDL_MUSTLOCK(surface) ||
        !TakesFrameRows(*surface) || surface->pitch % 4 != 0 || surface->w <= 0 || surface->h <= 0) {
        return {};
    }
    mGivenPixels = surface->pixels;
    return {static_cast<uint8_t*>(surface->pixels), surface->w, surface->h, surface->pitch};
}

void SdlPresenter::Present(cairo_surface_t* frame, const std::vector<QV::RectT<int32_t>>& rects) {
    mLastCopiedPixels = 0;
    if (mWindow == nullptr || frame == nullptr || cairo_surface_status(frame) != CAIRO_STATUS_SUCCESS ||
        cairo_image_surface_get_format(frame) != CAIRO_FORMAT_ARGB32) {
        return;
    }
    mUpdated.clear();
    if (mGivenPixels != nullptr && cairo_image_surface_get_data(frame) == mGivenPixels) {
        // Drawn in the window surface itself: the rectangles only go to the screen. The surface
        // is not asked for again, which could free the pixels the frame is in.
        const int32_t frameWidth = cairo_image_surface_get_width(frame);
        const int32_t frameHeight = cairo_image_surface_get_height(frame);
        for (const QV::RectT<int32_t>& rect : rects) {
            const SDL_Rect shown = Clipped(rect, frameWidth, frameHeight);
            if (shown.w > 0) {
                mLastCopiedPixels += static_cast<int64_t>(shown.w) * shown.h;
                mUpdated.push_back(shown);
            }
        }
        if (!mUpdated.empty()) {
            SDL_UpdateWindowSurfaceRects(mWindow, mUpdated.data(), static_cast<int>(mUpdated.size()));
        }
        return;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(mWindow);
    // The surface may be a new one now.
    mGivenPixels = nullptr;
    if (surface == nullptr) {
        return;
    }
    cairo_surface_flush(frame);
    const uint8_t* source = cairo_image_surface_get_data(frame);
    const int32_t sourceStride = cairo_image_surface_get_stride(frame);
    const int32_t width = std::min(cairo_image_surface_get_width(frame), surface->w);
    const int32_t height = std::min(cairo_image_surface_get_height(frame), surface->h);
    // The frame is opaque where the window shows it; any format other than XRGB or ARGB of 32
    // bits is converted.
    const bool direct = TakesFrameRows(*surface);

    const bool locked = SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) == 0;
    if (SDL_MUSTLOCK(surface) && !locked) {
        return;
    }
    for (const QV::RectT<int32_t>& rect : rects) {
        const SDL_Rect shown = Clipped(rect, width, height);
        if (shown.w <= 0) {
            continue;
        }
        const int32_t left = shown.x;
        const int32_t top = shown.y;
        const int32_t right = shown.x + shown.w;
        const int32_t bottom = shown.y + shown.h;
        const uint8_t* from =
            source + static_cast<size_t>(top) * sourceStride + static_cast<size_t>(left) * 4;
        uint8_t* to = static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(top) * surface->pitch +
                      static_cast<size_t>(left) * surface->format->BytesPerPixel;
        if (direct) {
            for (int32_t row = top; row < bottom; ++row) {
                std::memcpy(to, from, static_cast<size_t>(right - left) * 4);
                from += sourceStride;
                to += surface->pitch;
            }
        } else {
            SDL_ConvertPixels(right - left, bottom - top, SDL_PIXELFORMAT_ARGB8888, from, sourceStride,
                              surface->format->format, to, surface->pitch);
        }
        mLastCopiedPixels += static_cast<int64_t>(right - left) * (bottom - top);
        mUpdated.push_back(SDL_Rect{left, top, right - left, bottom - top});
    }
    if (locked) {
        SDL_UnlockSurface(surface);
    }
    if (!mUpdated.empty()) {
        SDL_UpdateWindowSurfaceRects(mWindow, mUpdated.data(), static_cast<int>(mUpdated.size()));
    }
}

}  // namespace Platform
