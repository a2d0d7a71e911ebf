#include "Platform/Sdl/SdlPresenter.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

namespace Platform {

void SdlPresenter::SetSoftwareSurfaceHint() {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}

void SdlPresenter::Present(cairo_surface_t* frame, const std::vector<QV::RectT<int32_t>>& rects) {
    mLastCopiedPixels = 0;
    if (mWindow == nullptr || frame == nullptr || cairo_surface_status(frame) != CAIRO_STATUS_SUCCESS ||
        cairo_image_surface_get_format(frame) != CAIRO_FORMAT_ARGB32) {
        return;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(mWindow);
    if (surface == nullptr) {
        return;
    }
    cairo_surface_flush(frame);
    const uint8_t* source = cairo_image_surface_get_data(frame);
    const int32_t sourceStride = cairo_image_surface_get_stride(frame);
    const int32_t width = std::min(cairo_image_surface_get_width(frame), surface->w);
    const int32_t height = std::min(cairo_image_surface_get_height(frame), surface->h);
    // The frame is opaque where the window shows it; an XRGB or ARGB window surface of 32 bits
    // takes its rows as they are, any other format is converted.
    const bool direct = surface->format->format == SDL_PIXELFORMAT_ARGB8888 ||
                        surface->format->format == SDL_PIXELFORMAT_RGB888;

    mUpdated.clear();
    const bool locked = SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) == 0;
    if (SDL_MUSTLOCK(surface) && !locked) {
        return;
    }
    for (const QV::RectT<int32_t>& rect : rects) {
        const int32_t left = std::max(rect.x, 0);
        const int32_t top = std::max(rect.y, 0);
        const int32_t right =
            static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(rect.x) + rect.width, width));
        const int32_t bottom =
            static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(rect.y) + rect.height, height));
        if (right <= left || bottom <= top) {
            continue;
        }
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
