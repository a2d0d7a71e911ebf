#include "RIZozivirod/Utilities/Graphics/Colorizer.h"

namespace QV {

LColorizer::LColorizer(const WString& name, int32_t type, const Color& color, const Color& endColor,
                       float startX, float startY, float endX, float endY)
    : name(name),
      type(type),
      color(color),
      endColor(endColor),
      startX(startX),
      startY(startY),
      endX(endX),
      endY(endY) {}

RCPtr<LColorizer> LColorizer::Create(const WString& name, int32_t type, const Color& color,
                                     const Color& endColor, float startX, float startY, float endX,
                                     float endY) {
    return RCPtr<LColorizer>(new LColorizer(name, type, color, endColor, startX, startY, endX, endY));
}

}  // namespace QV
