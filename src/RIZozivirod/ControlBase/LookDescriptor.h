#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LBitmap;
class LColorizer;
class LVisualPart;

// One Part of a skin: an area of an image, or a colorizer fill, with its resize type. Makes the
// run-time part on first use and caches it while anything holds it.
class LVisualPartDescriptor : public virtual LRefCountedObject {
public:
    // An area of a named image (resource name "::..." or file path); an empty path names none.
    struct BitmapReference {
        WString path;
        int32_t x = 0;
        int32_t y = 0;
        int32_t width = 0;
        int32_t height = 0;
    };

    static RCPtr<LVisualPartDescriptor> Create(const WString& name, const BitmapReference& image,
                                               int32_t width, int32_t height, int32_t resizeType,
                                               const RCPtr<LColorizer>& colorizer, float alphaModifier,
                                               const BitmapReference& mask);
    ~LVisualPartDescriptor() override;

    // The run-time part: the cached one while anything else holds it, else a new one (null
    // without image and colorizer). An image that cannot be loaded leaves the colorizer.
    RCPtr<LVisualPart> GetVisualPart();
    // The image or mask named by the reference, cut to its rectangle; null when it cannot be
    // loaded.
    static RCPtr<LBitmap> LoadPartBitmap(const BitmapReference& reference);

    WString name;
    BitmapReference image;
    int32_t width = 0;
    int32_t height = 0;
    int32_t resizeType = 0;  // ResizeType: Stretch 0, Tile 1, Center 2
    RCPtr<LColorizer> colorizer;
    float alphaModifier = 1.0f;
    BitmapReference mask;

private:
    LVisualPartDescriptor() = default;

    friend class LVisualPart;
    // The part counts this link as an internal reference of its own.
    RCPtr<LVisualPart> mCachedPart;
};

// A visual part placed in a look. Bits of the mask say which offsets were given: 1 left, 2 top,
// 4 right, 8 bottom (15 for a client part).
class LDockedPart : public virtual LRefCountedObject {
public:
    static constexpr uint32_t kLeft = 1;
    static constexpr uint32_t kTop = 2;
    static constexpr uint32_t kRight = 4;
    static constexpr uint32_t kBottom = 8;

    struct Placement {
        uint32_t mask = 0;
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
        bool hasWidth = false;
        int32_t width = 0;
        bool hasHeight = false;
        int32_t height = 0;
    };

    static RCPtr<LDockedPart> Create(const RCPtr<LVisualPartDescriptor>& part, const Placement& placement);
    RCPtr<LVisualPart> GetVisualPart() const;

    RCPtr<LVisualPartDescriptor> part;
    Placement placement;

private:
    LDockedPart() = default;
};

// One Look of a skin: a client part, docked non-client parts and where its label text goes.
class LLookDescriptor : public virtual LRefCountedObject {
public:
    // Each edge of the text rectangle is factor x size + offset of the control's size.
    struct TextProperties {
        float leftFactor = 0.0f;
        int32_t leftOffset = 0;
        float rightFactor = 0.0f;
        int32_t rightOffset = 0;
        float hAlign = 0.0f;
        float topFactor = 0.0f;
        int32_t topOffset = 0;
        float bottomFactor = 0.0f;
        int32_t bottomOffset = 0;
        float vAlign = 0.0f;
    };

    static RCPtr<LLookDescriptor> Create(const WString& name);

    // The label's rectangle for a control of width x height; empty without text properties.
    RectT<double> GetTextRect(double width, double height) const;

    WString name;
    RCPtr<LDockedPart> clientPart;
    RCPtrArray<LDockedPart, 1, 0> nonClientParts;
    bool hasTextProperties = false;
    TextProperties text;
    RCPtr<LVisualPartDescriptor> textForegroundPart;

private:
    explicit LLookDescriptor(const WString& lookName) : name(lookName) {}
};

}  // namespace QV
