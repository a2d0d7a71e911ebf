#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/StringTable.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/LRCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LControl;
class LControlDescriptor;
class LLookDescriptor;

using ControlCreateFunction = RCPtr<LControl>& (*)(RCPtr<LControl>& out, const RCPtr<LControl>& parent,
                                                   const RCPtr<LControlDescriptor>& descriptor);

// A control's looks by index; a slot no entry named is null.
using LLookList = LRCPtrArray<LLookDescriptor, 1, 0>;

// What a control's position on one axis is measured from.
enum class PlacementReference : int32_t { kParent = 0, kClient = 1, kNamed = 2 };
// What a control's far edge on one axis is measured from (kSelf: the size is the offset alone).
enum class SizeReference : int32_t { kParent = 0, kClient = 1, kSelf = 2, kNamed = 3 };
// What a minimum or maximum size is measured from (kNamed: a child, or "Children").
enum class LimitReference : uint8_t { kSelf = 0, kNamed = 1 };
enum class TextOverflow : int32_t { kClip = 0, kExpand = 1, kWrap = 2 };

// Geometry and flags of one control, as its skin gives them. A passive record: the layout
// engine and the control base read it.
class LLayoutDescriptor : public virtual LRefCountedObject {
public:
    struct Placement {
        float anchor = 0.0f;  // fraction of the size that lies before the position
        PlacementReference reference = PlacementReference::kClient;
        WString referenceName;
        float factor = 0.0f;
        double offset = 0.0;
    };
    struct Size {
        SizeReference reference = SizeReference::kSelf;
        WString referenceName;
        float factor = 0.0f;
        double offset = 0.0;
    };
    struct Limit {
        LimitReference reference = LimitReference::kSelf;
        WString referenceName;
        float factor = 0.0f;
        double offset = 0.0;
    };

    static RCPtr<LLayoutDescriptor> Create();
    // A new descriptor with every field copied.
    RCPtr<LLayoutDescriptor> Clone() const;

    bool clipToParent = true;
    int32_t zOrder = 0;
    int32_t tabStop = 0;
    bool visible = true;
    bool enabled = true;
    bool xDocked = false;
    bool yDocked = false;
    Placement xPlacement;
    Placement yPlacement;
    Size xSize{SizeReference::kSelf, WString(), 0.0f, 16.0};
    Size ySize{SizeReference::kSelf, WString(), 0.0f, 40.0};
    Limit xMinimum;
    Limit yMinimum;
    Limit xMaximum;
    Limit yMaximum;
    WString textDecoration;
    TextOverflow xTextOverflow = TextOverflow::kClip;
    TextOverflow yTextOverflow = TextOverflow::kClip;
    int32_t layoutOrder = 0;

private:
    LLayoutDescriptor() = default;
    LLayoutDescriptor(const LLayoutDescriptor&) = default;
};

// One Skin element: a control's looks and font.
class LSkinDescriptor : public virtual LRefCountedObject {
public:
    static RCPtr<LSkinDescriptor> Create(const WString& name);

    WString name;
    RCPtr<LLookList> lookList;
    bool fontInheritsFromParent = false;
    bool fontSizeIsRelative = false;
    WString fontName;
    float fontSize = 0.0f;
    int32_t fontStyle = -1;  // -1: not given

private:
    explicit LSkinDescriptor(const WString& skinName) : name(skinName) {}
};

// One control of a skin (a SubControl), or the root of a top-level skin (class "Application").
// Owns its children, skin, layout and create parameters by reference; the parent link is a
// plain pointer, so a tree holds no reference to itself.
class LControlDescriptor : public virtual LRefCountedObject {
public:
    using ChildList = RCPtrArray<LControlDescriptor, 1, 0>;

    static RCPtr<LControlDescriptor> Create(const WString& className, const WString& name,
                                            LControlDescriptor* parent);

    const WString& GetClass() const { return mClass; }
    const WString& GetName() const { return mName; }
    LControlDescriptor* GetParent() const { return mParent; }
    const ChildList& GetChildren() const { return mChildren; }
    ChildList& GetChildren() { return mChildren; }
    void AddChild(const RCPtr<LControlDescriptor>& child);
    // Children by ascending layout order (children without layout count as order 0).
    void SortChildren();

    const RCPtr<LSkinDescriptor>& GetSkin() const { return mSkin; }
    void SetSkin(const RCPtr<LSkinDescriptor>& skin) { mSkin = skin; }
    const RCPtr<LLayoutDescriptor>& GetLayout() const { return mLayout; }
    void SetLayout(const RCPtr<LLayoutDescriptor>& layout) { mLayout = layout; }
    const RCPtr<LStringTable>& GetCreateParams() const { return mCreateParams; }
    void SetCreateParams(const RCPtr<LStringTable>& params) { mCreateParams = params; }
    ControlCreateFunction GetCreateFunction() const { return mCreateFunction; }
    void SetCreateFunction(ControlCreateFunction creator) { mCreateFunction = creator; }

    // Same class, parent, skin, layout, create parameters and cached creator, a children list of
    // its own holding the same children, and newName unless it is empty.
    RCPtr<LControlDescriptor> Clone(const WString& newName) const;

private:
    LControlDescriptor(const WString& className, const WString& name, LControlDescriptor* parent);

    WString mClass;
    WString mName;
    LControlDescriptor* mParent = nullptr;
    ChildList mChildren;
    RCPtr<LSkinDescriptor> mSkin;
    RCPtr<LLayoutDescriptor> mLayout;
    RCPtr<LStringTable> mCreateParams;
    ControlCreateFunction mCreateFunction = nullptr;
};

}  // namespace QV
