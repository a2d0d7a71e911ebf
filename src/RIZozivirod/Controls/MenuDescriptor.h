#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "RIZozivirod/ObjectBase/TaggableObject.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/Pair.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/ReuseAllocator.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LMenuItemDescriptor;

// One item's state as menus ask it of the controls that own the commands.
struct LMenuItemState {
    uint8_t enabled = 0;
    uint8_t checked = 0;
    WString label;
};

// A node of a menu tree: a root (this class) or an item (LMenuItemDescriptor). Children are held
// in display order; each child holds its parent, and the parent counts that link as an internal
// reference, so a tree is freed when its last outside reference goes. Menus that show a tree
// work on a Clone and never change the one they were given. User-interface thread only.
class LMenuDescriptor : public LTaggableObject {
public:
    using StringPair = Pair<WString, WString>;
    using StringPairs = Array<StringPair>;
    // Submenu name -> its (command, text) entries, ordered by name.
    using SubmenuMap = std::map<WString, StringPairs>;

    // A submenu may hold at most this many entries per level, and item numbers beyond it are
    // dropped: the tables number items with two digits, so anything larger is a typing error.
    static constexpr int32_t kMaxEntriesPerLevel = 1024;

    static RCPtr<LMenuDescriptor> Create();
    // Reads a menu from string-table entries whose ids have the "CONTEXT_MENU" beginning (and a
    // menu number with its ".") removed, in ordinal id order; see the .cpp for the entry forms.
    static RCPtr<LMenuDescriptor> CreateFromStrings(const IArray<StringPair>& entries);
    // Fills descriptor (cleared first; a new root when null) from the (command, text) pairs,
    // expanding submenu references through the map. 0.
    static int32_t BuildFromPairs(const IArray<StringPair>& pairs, const SubmenuMap& submenus,
                                  RCPtr<LMenuDescriptor>& descriptor);

    // The array's failure code for an index beyond the count, else 0 and the item's parent set.
    int32_t InsertItem(uint32_t index, const RCPtr<LMenuItemDescriptor>& item);
    int32_t InsertItem(uint32_t index, const WString& label, const WString& command, bool enabled,
                       bool checked);
    int32_t InsertSeparator(uint32_t index);
    // Resets state, then copies the child's; E_INVALIDARG for an index not below the count.
    int32_t GetItemState(uint32_t index, LMenuItemState& state) const;
    void SetParent(const RCPtr<LMenuDescriptor>& parent);
    const RCPtr<LMenuDescriptor>& GetParent() const { return mParent; }
    // Drops every child (last first) and the parent link. 0.
    int32_t Clear();
    // A deep copy sharing nothing with this tree; the copy has no parent.
    virtual RCPtr<LMenuDescriptor> Clone() const;

    uint32_t GetItemCount() const { return mChildren.GetCount(); }
    RCPtr<LMenuItemDescriptor> GetItem(uint32_t index) const;

    int32_t ReleaseInternalReferences() override;

protected:
    LMenuDescriptor() = default;
    ~LMenuDescriptor() override;
    void CloneChildrenInto(LMenuDescriptor& copy) const;

private:
    static int32_t BuildLevel(const IArray<StringPair>& pairs, const SubmenuMap& submenus,
                              LMenuDescriptor& descriptor, std::map<WString, int32_t>& expanding);

    RCPtrArray<LMenuItemDescriptor, 1, 0> mChildren;
    RCPtr<LMenuDescriptor> mParent;
};

// One menu entry: a command item, a separator, or (with children) a submenu item.
class LMenuItemDescriptor : public LMenuDescriptor {
public:
    static RCPtr<LMenuItemDescriptor> Create(const WString& label, const WString& command, bool enabled,
                                             bool checked);
    static RCPtr<LMenuItemDescriptor> CreateSeparator();

    WString ToString() const override { return label; }
    RCPtr<LMenuDescriptor> Clone() const override;

    WString label;
    WString hotKeyText;
    WString description;
    WString command;
    uint8_t enabled = 0;
    uint8_t checked = 0;
    uint8_t separator = 0;

protected:
    LMenuItemDescriptor() = default;
    ~LMenuItemDescriptor() override;
};

// The parameter of every command a menu sends: the menu whose child was activated and the
// child's index (-1 when out of range). Pooled.
class LMenuActivationParam : public LRefCountedObject {
public:
    LMenuActivationParam(const RCPtr<LMenuDescriptor>& menuDescriptor, int32_t itemIndex)
        : menu(menuDescriptor), index(itemIndex) {}

    static void* operator new(size_t size);
    static void operator delete(void* p);
    static ReuseAllocator<LMenuActivationParam, 1>& GetAllocator();

    RCPtr<LMenuDescriptor> menu;
    int32_t index;

private:
    ~LMenuActivationParam() override = default;
};

}  // namespace QV
