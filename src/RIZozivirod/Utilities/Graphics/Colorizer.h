#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Graphics/Color.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// One Colorizer of a skin: a solid colour or a two-colour gradient that fills a part or tints
// its bitmap (LBitmap's colorizer operations). A passive record, made while a skin is read and
// shared by reference afterwards; it never changes.
class LColorizer : public virtual LRefCountedObject {
public:
    static constexpr int32_t kSolidFill = 0;
    static constexpr int32_t kLinearGradient = 1;
    static constexpr int32_t kRadialGradient = 2;

    LColorizer(const WString& name, int32_t type, const Color& color, const Color& endColor, float startX,
               float startY, float endX, float endY);
    static RCPtr<LColorizer> Create(const WString& name, int32_t type, const Color& color,
                                    const Color& endColor, float startX, float startY, float endX,
                                    float endY);

    // A solid fill, or a gradient whose two colours are the same, is one colour.
    bool IsSolid() const { return type == kSolidFill || color == endColor; }

    WString name;
    int32_t type = kSolidFill;
    Color color;
    // Zero for a solid fill, as are the gradient's end points.
    Color endColor;
    float startX = 0.0f;
    float startY = 0.0f;
    float endX = 0.0f;
    float endY = 0.0f;
};

}  // namespace QV
