#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LMeasurementRenderer;

// A font: face name, size and style bits, shared through one process-wide list so that equal
// descriptions give the same object. Its line height, ascent and descent are measured by the
// application's measuring renderer on request and kept until another renderer measures or
// another font configuration becomes current. User-interface thread only.
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

    // Line height in pixels, ascent (negative, upward from the baseline) and descent, as the
    // current measuring renderer measures them under the current font configuration. Without a
    // measuring renderer the last measurement stands; a font no renderer has measured yet (none
    // so far, or no face can be made) gives 0.
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
    // The last measurement and what it was made with: the measurer's serial (0 for none yet)
    // and the font configuration.
    mutable uint64_t mMeasuredBy = 0;
    mutable uintptr_t mMeasuredUnder = 0;
    mutable int32_t mHeight = 0;
    mutable int32_t mAscent = 0;
    mutable int32_t mDescent = 0;
};

}  // namespace QV
