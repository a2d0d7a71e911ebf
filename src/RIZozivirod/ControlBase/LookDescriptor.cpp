#include "RIZozivirod/ControlBase/LookDescriptor.h"

#include "RIZozivirod/ControlBase/VisualPart.h"
#include "RIZozivirod/Utilities/Graphics/Colorizer.h"

namespace QV {

RCPtr<LVisualPartDescriptor> LVisualPartDescriptor::Create(const WString& name, const BitmapReference& image,
                                                           int32_t width, int32_t height, int32_t resizeType,
                                                           const RCPtr<LColorizer>& colorizer,
                                                           float alphaModifier, const BitmapReference& mask) {
    RCPtr<LVisualPartDescriptor> part(new LVisualPartDescriptor());
    part->name = name;
    part->image = image;
    part->width = width;
    part->height = height;
    part->resizeType = resizeType;
    part->colorizer = colorizer;
    part->alphaModifier = alphaModifier;
    part->mask = mask;
    return part;
}

LVisualPartDescriptor::~LVisualPartDescriptor() {
    if (mCachedPart) {
        mCachedPart->DetachOwner();
    }
}

RCPtr<LDockedPart> LDockedPart::Create(const RCPtr<LVisualPartDescriptor>& part, const Placement& placement) {
    RCPtr<LDockedPart> docked(new LDockedPart());
    docked->part = part;
    docked->placement = placement;
    return docked;
}

RCPtr<LLookDescriptor> LLookDescriptor::Create(const WString& name) {
    return RCPtr<LLookDescriptor>(new LLookDescriptor(name));
}

RectT<double> LLookDescriptor::GetTextRect(double width, double height) const {
    if (!hasTextProperties) {
        return {};
    }
    const double left = static_cast<double>(text.leftFactor) * width + text.leftOffset;
    const double top = static_cast<double>(text.topFactor) * height + text.topOffset;
    const double right = static_cast<double>(text.rightFactor) * width + text.rightOffset;
    const double bottom = static_cast<double>(text.bottomFactor) * height + text.bottomOffset;
    return {left, top, right - left, bottom - top};
}

}  // namespace QV
