#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LFont;

// The measuring half of a renderer: what fonts and text blocks need to lay text out.
class LMeasurementRenderer : public virtual LRefCountedObject {
public:
    LMeasurementRenderer();

    // Tells this measurer from every other one of the process, including those that were made
    // and destroyed before it (serials are never reused), so that metrics remembered from it
    // are not taken for another's.
    uint64_t GetMeasurerSerial() const { return mMeasurerSerial; }
    // Changes whenever the faces the measurer resolves font names to may have changed (another
    // font configuration became current); 0 for a measurer that resolves no faces.
    virtual uintptr_t GetFontConfigurationStamp() { return 0; }

    // Pixels; the ascent is negative, measured upward from the baseline.
    virtual int32_t GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                   int32_t& descent) = 0;
    // (0, ascent, width, height) of the text set in the font.
    virtual RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) = 0;

private:
    static uint64_t NextSerial();

    const uint64_t mMeasurerSerial;
};

}  // namespace QV
