#include "RIZozivirod/Renderer/FontRenderer/FreetypeFontRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H
#include FT_GLYPH_H

#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>

#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Renderer/FontRenderer/FontFileInfo.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"

namespace QV {
namespace {

constexpr FT_UInt kMaxFaces = 8;
constexpr FT_UInt kMaxSizes = 16;
constexpr FT_ULong kMaxBytes = 4194304;

// FreeType's state for the process, shared by the renderers alive.
struct FreetypeState {
    int32_t users = 0;
    FT_Library library = nullptr;
    FTC_Manager manager = nullptr;
    FTC_CMapCache characterMaps = nullptr;
    FTC_ImageCache glyphImages = nullptr;
};

// Made on first use and never destroyed.
FreetypeState& State() {
    static FreetypeState* const state = new FreetypeState();
    return *state;
}

// Face ids are font-file ids plus one, so that id 0 is not a null pointer.
FTC_FaceID FaceIdOf(int32_t fileId) {
    return reinterpret_cast<FTC_FaceID>(static_cast<intptr_t>(fileId) + 1);
}

FT_Error RequestFace(FTC_FaceID faceId, FT_Library library, FT_Pointer, FT_Face* face) {
    const int32_t fileId = static_cast<int32_t>(reinterpret_cast<intptr_t>(faceId) - 1);
    const WString& path = LFontFileInfo::GetFilePath(fileId);
    if (path.IsEmpty()) {
        return FT_Err_Cannot_Open_Resource;
    }
    return FT_New_Face(library, NString(path).GetString(), 0, face);
}

int16_t ToBoxValue(FT_Pos value) {
    return static_cast<int16_t>(
        std::clamp<FT_Pos>(value, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

// The face and size of a font at the screen's resolution; false when the font has no face.
bool LookupSize(const ConstRCPtr<LFont>& font, FT_Size& size) {
    FreetypeState& state = State();
    if (state.manager == nullptr || !font || !(font->GetSize() > 0.0f) || font->GetSize() > 10000.0f) {
        return false;
    }
    int32_t fileId;
    try {
        fileId = LFontFileInfo::GetFileID(font);
    } catch (const std::exception&) {
        // No family at all: the text is left out rather than breaking the frame.
        return false;
    }
    const FT_UInt dpi = static_cast<FT_UInt>(std::max(GetApplicationServices().GetScreenDpi(), 1));
    FTC_ScalerRec scaler{};
    scaler.face_id = FaceIdOf(fileId);
    scaler.width = 0;
    scaler.height = static_cast<FT_UInt>(font->GetSize() * 64.0f);
    scaler.pixel = 0;
    scaler.x_res = dpi;
    scaler.y_res = dpi;
    return FTC_Manager_LookupSize(state.manager, &scaler, &size) == 0 && size != nullptr;
}

// The rendered coverage of the glyph slot as 8 bits a pixel; a monochrome bitmap's set bits
// become 255.
RCPtr<LPixelBuffer<uint8_t>> CopyBitmap(const FT_Bitmap& bitmap) {
    const int32_t width = static_cast<int32_t>(bitmap.width);
    const int32_t rows = static_cast<int32_t>(bitmap.rows);
    RCPtr<LPixelBuffer<uint8_t>> copy(new LPixelBuffer<uint8_t>(width, rows));
    if (width == 0 || rows == 0 || bitmap.buffer == nullptr) {
        return copy;
    }
    for (int32_t y = 0; y < rows; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        uint8_t* out = copy->GetPixelPointer(0, y);
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int32_t x = 0; x < width; ++x) {
                out[x] = (row[x / 8] & (0x80 >> (x % 8))) != 0 ? 255 : 0;
            }
        } else {
            std::memcpy(out, row, static_cast<size_t>(width));
        }
    }
    return copy;
}

}  // namespace

LFreetypeFontRenderer::LFreetypeFontRenderer(const RCPtr<LGlyphProcessor>& first,
                                             const RCPtr<LGlyphProcessor>& second)
    : LFontRenderer(first, second) {
    FreetypeState& state = State();
    if (state.users++ > 0) {
        return;
    }
    LFontFileInfo::BuildFontIndex();
    if (FT_Init_FreeType(&state.library) != 0) {
        state.library = nullptr;
        return;
    }
    if (FTC_Manager_New(state.library, kMaxFaces, kMaxSizes, kMaxBytes, &RequestFace, nullptr,
                        &state.manager) != 0) {
        state.manager = nullptr;
        return;
    }
    // Made as the cache manager's companions; glyphs are cached by the processors instead.
    if (FTC_CMapCache_New(state.manager, &state.characterMaps) == 0) {
        FTC_ImageCache_New(state.manager, &state.glyphImages);
    }
}

LFreetypeFontRenderer::~LFreetypeFontRenderer() {
    FreetypeState& state = State();
    if (--state.users > 0) {
        return;
    }
    if (state.manager != nullptr) {
        FTC_Manager_Done(state.manager);
    }
    if (state.library != nullptr) {
        FT_Done_FreeType(state.library);
    }
    state = FreetypeState();
    LFontFileInfo::EmptyFontIndex();
}

int32_t LFreetypeFontRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                              int32_t& descent) {
    FT_Size size = nullptr;
    if (!LookupSize(font, size)) {
        return E_FAIL;
    }
    const FT_Size_Metrics& metrics = size->metrics;
    ascent = -static_cast<int32_t>(metrics.ascender >> 6);
    descent = -static_cast<int32_t>(metrics.descender >> 6);
    const int32_t dpi = std::max(GetApplicationServices().GetScreenDpi(), 1);
    height = std::max(static_cast<int32_t>(metrics.height >> 6),
                      static_cast<int32_t>(static_cast<float>(dpi) * font->GetSize() / 72.0f));
    height = std::max(height, descent - ascent);
    return S_OK;
}

int32_t LFreetypeFontRenderer::ProcessGlyphs(const WString& text, const ConstRCPtr<LFont>& font,
                                             const RCPtr<LGlyphProcessor>& processor, int32_t startIndex,
                                             float widthLimit, int32_t flags) {
    FT_Size size = nullptr;
    if (!processor || text.IsEmpty() || !LookupSize(font, size)) {
        return 0;
    }
    FT_Face face = size->face;
    const bool kerning = FT_HAS_KERNING(face);
    const bool monochrome = font->GetSize() < kMonochromeBelow;
    const int32_t length = text.GetLength();
    const char16_t* units = text.GetString();

    float penX = 0;
    float penY = 0;
    FT_UInt previous = 0;
    int32_t consumed = length;
    processor->Begin(font, flags);
    for (int32_t i = 0; i < length; ++i) {
        SGlyphRecord record;
        record.index = startIndex + i;
        record.code = units[i];
        const uint32_t need = processor->QueryGlyph(record);
        if (need != 0) {
            record.glyphIndex = FT_Get_Char_Index(face, record.code);
        }
        if (record.glyphIndex == 0) {
            continue;
        }
        FT_Glyph glyph = nullptr;
        if (need != 0) {
            if (FT_Load_Glyph(face, record.glyphIndex, FT_LOAD_DEFAULT) != 0 ||
                FT_Get_Glyph(face->glyph, &glyph) != 0) {
                continue;
            }
            record.advanceX = static_cast<int32_t>(face->glyph->advance.x);
            record.advanceY = static_cast<int32_t>(face->glyph->advance.y);
            if ((need & (LGlyphProcessor::kNeedBox | LGlyphProcessor::kNeedBitmap)) != 0) {
                FT_BBox box;
                FT_Glyph_Get_CBox(glyph, FT_GLYPH_BBOX_PIXELS, &box);
                record.left = ToBoxValue(box.xMin);
                record.top = ToBoxValue(-box.yMax);
                record.right = ToBoxValue(box.xMax);
                record.bottom = ToBoxValue(-box.yMin);
            }
            if ((need & LGlyphProcessor::kNeedBitmap) != 0) {
                const FT_Render_Mode first = monochrome ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
                const FT_Render_Mode second = monochrome ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
                if (FT_Render_Glyph(face->glyph, first) != 0 && FT_Render_Glyph(face->glyph, second) != 0) {
                    FT_Done_Glyph(glyph);
                    continue;
                }
                const FT_GlyphSlot slot = face->glyph;
                record.bitmap = CopyBitmap(slot->bitmap);
                // The box of the coverage itself, so that the atlas cell and the quad agree.
                record.left = ToBoxValue(slot->bitmap_left);
                record.top = ToBoxValue(-static_cast<FT_Pos>(slot->bitmap_top));
                record.right = ToBoxValue(static_cast<FT_Pos>(slot->bitmap_left) + slot->bitmap.width);
                record.bottom = ToBoxValue(static_cast<FT_Pos>(record.top) + slot->bitmap.rows);
            }
        }
        if (kerning) {
            if (previous == 0) {
                // The ink of the first glyph starts at the origin.
                if (record.left < 0) {
                    penX -= record.left;
                }
            } else {
                FT_Vector delta{};
                if (FT_Get_Kerning(face, previous, record.glyphIndex, FT_KERNING_DEFAULT, &delta) == 0) {
                    penX += static_cast<float>(delta.x) / 64.0f;
                }
            }
        }
        if (widthLimit > 0.0f && penX + static_cast<float>(record.advanceX) / 64.0f > widthLimit) {
            if (glyph != nullptr) {
                FT_Done_Glyph(glyph);
            }
            consumed = i;
            break;
        }
        record.penX = penX;
        record.penY = penY;
        processor->ProcessGlyph(record);
        if (glyph != nullptr) {
            FT_Done_Glyph(glyph);
        }
        penX += static_cast<float>(record.advanceX) / 64.0f;
        penY += static_cast<float>(record.advanceY) / 64.0f;
        previous = record.glyphIndex;
    }
    processor->End();
    return consumed;
}

}  // namespace QV
