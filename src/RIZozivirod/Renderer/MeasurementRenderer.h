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
    // Pixels; the ascent is negative, measured upward from the baseline.
    virtual int32_t GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                   int32_t& descent) = 0;
    // (0, ascent, width, height) of the text set in the font.
    virtual RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) = 0;
};

}  // namespace QV
