#include "RIZozivirod/Renderer/OpenGL/GLGlyphRenderer.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

namespace QV {

LGLGlyphRenderer::LCachedFont::LCachedFont(const ConstRCPtr<LFont>& font) : mFont(font) {
    const int32_t points = font ? static_cast<int32_t>(std::clamp(font->GetSize(), 1.0f, 16384.0f)) : 1;
    mAtlasHeight = std::max(GLPowerOfTwo(points), 1);
    mPixels.assign(static_cast<size_t>(kAtlasWidth) * mAtlasHeight, 0);
    MarkDirty(0, 0, kAtlasWidth, mAtlasHeight);
}

bool LGLGlyphRenderer::LCachedFont::Place(int32_t width, int32_t height, bool allowReset, uint16_t& x,
                                          uint16_t& y) {
    const int32_t cellWidth = width + 2;
    const int32_t cellHeight = height + 2;
    // A cell reaching the right edge starts a new row, so the widest cell is one pixel short
    // of the atlas.
    if (width < 0 || height < 0 || cellWidth >= kAtlasWidth || cellHeight > kAtlasMaxHeight) {
        return false;
    }
    int32_t packX = mPackX;
    int32_t packY = mPackY;
    int32_t rowHeight = mRowHeight;
    if (packX + cellWidth >= kAtlasWidth) {
        packX = 0;
        packY += rowHeight;
        rowHeight = 0;
    }
    rowHeight = std::max(rowHeight, cellHeight);
    const int32_t needed = packY + rowHeight;
    if (needed > kAtlasMaxHeight) {
        if (!allowReset) {
            return false;
        }
        Reset();
        return Place(width, height, false, x, y);
    }
    if (needed > mAtlasHeight) {
        mAtlasHeight = GLPowerOfTwo(needed);
        mPixels.resize(static_cast<size_t>(kAtlasWidth) * mAtlasHeight, 0);
        MarkDirty(0, 0, kAtlasWidth, mAtlasHeight);
    }
    mPackX = packX + cellWidth;
    mPackY = packY;
    mRowHeight = rowHeight;
    x = static_cast<uint16_t>(packX + 1);
    y = static_cast<uint16_t>(packY + 1);
    return true;
}

void LGLGlyphRenderer::LCachedFont::Reset() {
    mGlyphs.RemoveAll();
    std::fill(mPixels.begin(), mPixels.end(), 0);
    mPackX = mPackY = mRowHeight = 0;
    MarkDirty(0, 0, kAtlasWidth, mAtlasHeight);
}

void LGLGlyphRenderer::LCachedFont::CopyIn(const LPixelBuffer<uint8_t>& bitmap, uint16_t x, uint16_t y) {
    const int32_t width = std::min(bitmap.GetWidth(), kAtlasWidth - x);
    const int32_t height = std::min(bitmap.GetHeight(), mAtlasHeight - y);
    for (int32_t row = 0; row < height; ++row) {
        std::memcpy(&mPixels[static_cast<size_t>(y + row) * kAtlasWidth + x], bitmap.GetPixelPointer(0, row),
                    static_cast<size_t>(width));
    }
    MarkDirty(x - 1, y - 1, bitmap.GetWidth() + 2, bitmap.GetHeight() + 2);
}

void LGLGlyphRenderer::LCachedFont::MarkDirty(int32_t x, int32_t y, int32_t width, int32_t height) {
    const float right = static_cast<float>(x + width);
    const float bottom = static_cast<float>(y + height);
    if (mDirtyWidth > 0 && mDirtyHeight > 0) {
        const float left = std::min(mDirtyX, static_cast<float>(x));
        const float top = std::min(mDirtyY, static_cast<float>(y));
        mDirtyWidth = std::max(mDirtyX + mDirtyWidth, right) - left;
        mDirtyHeight = std::max(mDirtyY + mDirtyHeight, bottom) - top;
        mDirtyX = left;
        mDirtyY = top;
    } else {
        mDirtyX = static_cast<float>(x);
        mDirtyY = static_cast<float>(y);
        mDirtyWidth = static_cast<float>(width);
        mDirtyHeight = static_cast<float>(height);
    }
}

void LGLGlyphRenderer::LCachedFont::UpdateTexture() {
    if (!(mDirtyWidth > FLT_EPSILON && mDirtyHeight > FLT_EPSILON)) {
        return;
    }
    const bool sameSize = mName != kNoTexture && glIsTexture(mName) && mTextureWidth == kAtlasWidth &&
                          mTextureHeight == static_cast<float>(mAtlasHeight) &&
                          mImageHeight == mTextureHeight;
    if (sameSize) {
        // Only the rows that changed.
        const int32_t top = std::clamp(static_cast<int32_t>(mDirtyY), 0, mAtlasHeight);
        const int32_t bottom = std::clamp(static_cast<int32_t>(mDirtyY + mDirtyHeight), top, mAtlasHeight);
        glBindTexture(mTarget, mName);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, kAtlasWidth);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(mTarget, 0, 0, top, kAtlasWidth, bottom - top, GL_ALPHA, GL_UNSIGNED_BYTE,
                        &mPixels[static_cast<size_t>(top) * kAtlasWidth]);
        DrainGLErrors();
    } else {
        GLImage image(GL_ALPHA, GL_UNSIGNED_BYTE, mPixels.data(), kAtlasWidth, mAtlasHeight, kAtlasWidth, 1);
        Create(image, GL_ALPHA, kNearest, 1.0f);
    }
    mDirtyX = mDirtyY = mDirtyWidth = mDirtyHeight = 0;
}

SCachedGlyph* LGLGlyphRenderer::LCachedFont::FindGlyph(uint32_t code) {
    return mGlyphs.Find(code, nullptr);
}

void LGLGlyphRenderer::LCachedFont::AddGlyph(const SCachedGlyph& glyph) {
    mGlyphs.Add(glyph);
}

uint8_t LGLGlyphRenderer::LCachedFont::GetCoverage(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= kAtlasWidth || y >= mAtlasHeight) {
        return 0;
    }
    return mPixels[static_cast<size_t>(y) * kAtlasWidth + x];
}

LGLGlyphRenderer::LGLGlyphRenderer() : mFonts(kCachedFonts) {}

void LGLGlyphRenderer::Begin(const ConstRCPtr<LFont>& font, int32_t flags) {
    mFlags = flags;
    mBounds = SGlyphBounds();
    mCurrentGlyph = SCachedGlyph();
    RCPtr<LCachedFont>* entry = mFonts.GetEntry(font, false);
    if (!*entry) {
        *entry = RCPtr<LCachedFont>(new LCachedFont(font));
    }
    mCurrentFont = *entry;
    if ((flags & kUpdateTexture) != 0) {
        mCurrentFont->UpdateTexture();
    }
}

void LGLGlyphRenderer::End() {
    mCurrentFont = nullptr;
}

uint32_t LGLGlyphRenderer::QueryGlyph(SGlyphRecord& record) {
    mCurrentGlyph = SCachedGlyph();
    if (!mCurrentFont) {
        return 0;
    }
    const SCachedGlyph* found = mCurrentFont->FindGlyph(record.code);
    if (found == nullptr) {
        return kNeedLoad | kNeedBox | kNeedBitmap;
    }
    mCurrentGlyph = *found;
    static_cast<SCachedGlyph&>(record) = *found;
    return 0;
}

void LGLGlyphRenderer::ProcessGlyph(SGlyphRecord& record) {
    if (!mCurrentFont) {
        return;
    }
    bool inAtlas = mCurrentGlyph.code != 0;
    if (!inAtlas) {
        SCachedGlyph glyph = record;
        if (record.bitmap && mCurrentFont->Place(record.bitmap->GetWidth(), record.bitmap->GetHeight(), true,
                                                 glyph.atlasX, glyph.atlasY)) {
            mCurrentFont->CopyIn(*record.bitmap, glyph.atlasX, glyph.atlasY);
            mCurrentFont->AddGlyph(glyph);
            if ((mFlags & kUpdateTexture) != 0) {
                mCurrentFont->UpdateTexture();
            }
            mCurrentGlyph = glyph;
            inAtlas = true;
        } else {
            mCurrentGlyph = record;
        }
    }
    const SCachedGlyph& glyph = mCurrentGlyph;
    const float width = static_cast<float>(glyph.right - glyph.left);
    const float height = static_cast<float>(glyph.bottom - glyph.top);
    // The text origin is the top of the line: the baseline lies the ascent below it.
    const float ascent = static_cast<float>(mCurrentFont->GetFontAscent());
    const float left = record.penX + glyph.left;
    const float top = glyph.top - ascent + record.penY;
    if ((mFlags & kDraw) != 0 && width > 0 && height > 0) {
        if (inAtlas) {
            mCurrentFont->DrawQuad(
                {static_cast<float>(glyph.atlasX), static_cast<float>(glyph.atlasY), width, height}, left,
                top, left + width, top + height);
        } else {
            DrawUncached(record, left, top);
        }
    }
    if ((mFlags & kAccumulateBounds) != 0) {
        mBounds.left = std::min(mBounds.left, record.penX);
        mBounds.top = std::min(mBounds.top, record.penY + glyph.top);
        mBounds.right = std::max(mBounds.right, record.penX + static_cast<float>(glyph.advanceX) / 64.0f);
        mBounds.bottom = std::max(mBounds.bottom, record.penY + glyph.bottom);
    }
    mCurrentGlyph = SCachedGlyph();
}

void LGLGlyphRenderer::DrawUncached(const SGlyphRecord& record, float left, float top) {
    if (!record.bitmap || record.bitmap->GetPixelPointer(0, 0) == nullptr) {
        return;
    }
    const int32_t width = record.bitmap->GetWidth();
    const int32_t height = record.bitmap->GetHeight();
    GLImage image(GL_ALPHA, GL_UNSIGNED_BYTE, record.bitmap->GetPixelPointer(0, 0), width, height, width, 1);
    RCPtr<LGLTexture> texture(new LGLTexture());
    texture->Create(image, GL_ALPHA, LGLTexture::kNearest, 1.0f);
    texture->DrawQuad({0, 0, static_cast<float>(width), static_cast<float>(height)}, left, top,
                      left + static_cast<float>(width), top + static_cast<float>(height));
}

RCPtr<LGLGlyphRenderer::LCachedFont> LGLGlyphRenderer::GetCachedFont(const ConstRCPtr<LFont>& font) {
    return *mFonts.GetEntry(font, false);
}

void LGLGlyphRenderer::Purge() {
    mFonts.Purge(mFonts.GetPurgeMark());
    mFonts.SetPurgeMark(mFonts.GetClock());
}

}  // namespace QV
