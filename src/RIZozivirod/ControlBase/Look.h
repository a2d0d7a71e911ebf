#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/ControlBase/LookDescriptor.h"
#include "RIZozivirod/ControlBase/VisualPart.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Renderer/RenderState.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "RIZozivirod/Utilities/Graphics/FontText.h"
#include "RIZozivirod/Utilities/Graphics/RectRegion.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

namespace QV {

class LRenderer;

// The run-time look of one control at one size: the client part over the client rectangle,
// non-client parts docked to the edges, an optional image part, and the label text in the
// colour of the text-foreground part. Laid out again on every size change; draws inside the
// dirty rectangles of a frame and answers which colour lies under a point. User-interface
// thread only. Skin data never makes it throw while drawing.
class LLook : public virtual LRefCountedObject {
public:
    static RCPtr<LLook> Create(const RCPtr<LLookDescriptor>& descriptor, bool wrap);
    int32_t Init(const RCPtr<LLookDescriptor>& descriptor, bool wrap);

    // The look's size; true (also when the size is the current one). The parts, the client
    // rectangle and the text box are laid out for it when next asked for or drawn: a control
    // gives all its looks every size it takes, mostly to show one of them.
    bool SetSize(const PointT<int32_t>& size);
    // Forward to the text block; its "changed" answer, or true without one.
    bool SetFont(const RCPtr<LFont>& font);
    bool SetText(const WString& text);

    // 1 when a part had nothing to draw with, else 0.
    virtual int32_t DrawNonClientParts(LRenderer& renderer, const RectRegion& dirty);
    virtual int32_t DrawClientArea(LRenderer& renderer, const RectRegion& dirty);
    // 0, or 1 without a text block.
    virtual int32_t DrawLabelText(LRenderer& renderer, const RectRegion& dirty, const PointT<double>& offset);

    // 0xAARRGGBB under a point of the look: the non-client parts first, then the image, then the
    // client part; 0x00FFFFFF where none has a colour.
    uint32_t GetPixelAt(const PointT<int32_t>& point) const;

    const RCPtr<LLookDescriptor>& GetDescriptor() const { return mDescriptor; }
    const PointT<int32_t>& GetSize() const { return mSize; }
    const RectT<int32_t>& GetClientRect() const {
        LayOut();
        return mClientRect;
    }
    const std::vector<RectT<int32_t>>& GetNonClientRects() const {
        LayOut();
        return mNonClientRects;
    }
    const RCPtr<LFontText>& GetTextBlock() const {
        LayOut();
        return mTextBlock;
    }
    const PointT<int32_t>& GetTextPosition() const {
        LayOut();
        return mTextPosition;
    }
    const RectT<int32_t>& GetStencilRect() const {
        LayOut();
        return mStencilRect;
    }
    const RCPtr<LVisualPart>& GetImagePart() const { return mImagePart; }
    void SetImagePart(const RCPtr<LVisualPart>& image) { mImagePart = image; }
    const ConstRCPtr<LStencil>& GetStencil() const {
        LayOut();
        return mStencil;
    }
    void SetImageOnly(bool imageOnly) { mImageOnly = imageOnly; }
    RectRegion& GetPaintRegion() { return mPaintRegion; }

private:
    LLook() = default;
    void LayOut() const {
        if (mLayoutDue) {
            LayOutParts();
        }
    }
    // The parts, client rectangle and text box for the current size.
    void LayOutParts() const;
    // The dirty rectangles in look coordinates (see the paint region).
    std::vector<RectT<int32_t>> DirtyRects(LRenderer& renderer, const RectRegion& dirty) const;

    RCPtr<LLookDescriptor> mDescriptor;
    RCPtr<LVisualPart> mTextForegroundPart;
    PointT<int32_t> mSize;
    // What follows from the size; laid out when due.
    mutable bool mLayoutDue = false;
    mutable RectT<int32_t> mClientRect;
    mutable std::vector<RectT<int32_t>> mNonClientRects;
    mutable std::vector<ConstRCPtr<LVisualPart>> mNonClientParts;
    RCPtr<LVisualPart> mClientPart;
    RCPtr<LVisualPart> mImagePart;
    bool mImageOnly = false;
    mutable RectT<int32_t> mStencilRect;
    mutable ConstRCPtr<LStencil> mStencil;
    RCPtr<LFontText> mTextBlock;
    mutable PointT<int32_t> mTextPosition;
    RectRegion mPaintRegion;
};

}  // namespace QV
