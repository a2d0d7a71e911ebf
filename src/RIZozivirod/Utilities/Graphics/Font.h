#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LMeasurementRenderer;

// A font: face name, size and style bits, shared through one process-wide list so that equal
// descriptions give the same object. Its line height, ascent and descent are measured once,
// by the application's measuring renderer, on first request. User-interface thread only.
class LFont : public virtual LRefCountedObject {
public:
    // Style bits, passed to the renderer unchanged.
    static constexpr int32_t kBold = 1;
    static constexpr int32_t kItalic = 2;
    static constexpr int32_t kUnderline = 4;
    static constexpr int32_t kStrikeout = 8;

    // The font of the list whose face equals face ignoring ASCII case, with an equal size and
    // style; a new one (with the next id, the first being 1) when there is none.
    static RCPtr<LFont> GetFont(const WString& face, float size, int32_t style);

    const WString& GetFace() const { return mFace; }
    float GetSize() const { return mSize; }
    int32_t GetStyle() const { return mStyle; }
    int32_t GetUniqueID() const { return mId; }

    // Line height in pixels, ascent (negative, upward from the baseline) and descent. Measured
    // on the first call; while no renderer can measure the font (none yet, or no face can be
    // made) the font stays unmeasured and these give 0.
    int32_t GetHeight() const;
    int32_t GetAscent() const;
    int32_t GetDescent() const;

    // Faces differ (ordinally), or sizes, or styles.
    bool operator!=(const LFont& other) const;

    // Takes the font out of the list: E_FAIL when it is not there, else S_OK.
    int32_t ReleaseInternalReferences() override;

private:
    LFont(const WString& face, float size, int32_t style, int32_t id);
    bool Measure() const;

    WString mFace;
    float mSize;
    int32_t mStyle;
    int32_t mId;
    mutable int32_t mHeight = -1;
    mutable int32_t mAscent = 0;
    mutable int32_t mDescent = 0;
};

}  // namespace QV
