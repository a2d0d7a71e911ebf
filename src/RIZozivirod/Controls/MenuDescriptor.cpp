#include "RIZozivirod/Controls/MenuDescriptor.h"

#include "RIZozivirod/Utilities/Storage/StringArrayT.h"

namespace QV {

namespace {

bool IsDecimalDigit(WChar c) {
    return c >= u'0' && c <= u'9';
}

// Appends the entry when its number is the next one of the level: the tables number each level
// 0, 1, 2, ... and anything out of that sequence (a gap, a repeat, a negative or absurd number)
// is dropped.
void AppendNumbered(LMenuDescriptor::StringPairs& level, int32_t number, const WString& command,
                    const WString& text) {
    if (number < 0 || number >= LMenuDescriptor::kMaxEntriesPerLevel ||
        static_cast<int32_t>(level.GetCount()) != number) {
        return;
    }
    level.InsertItem(level.GetCount(), LMenuDescriptor::StringPair{command, text});
}

}  // namespace

// Root and item.

RCPtr<LMenuDescriptor> LMenuDescriptor::Create() {
    return RCPtr<LMenuDescriptor>(new LMenuDescriptor());
}

LMenuDescriptor::~LMenuDescriptor() = default;

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::Create(const WString& label, const WString& command,
                                                       bool enabled, bool checked) {
    RCPtr<LMenuItemDescriptor> item(new LMenuItemDescriptor());
    item->label = label;
    item->command = command;
    item->enabled = enabled ? 1 : 0;
    item->checked = checked ? 1 : 0;
    return item;
}

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::CreateSeparator() {
    RCPtr<LMenuItemDescriptor> item(new LMenuItemDescriptor());
    item->enabled = 1;
    item->separator = 1;
    return item;
}

LMenuItemDescriptor::~LMenuItemDescriptor() = default;

int32_t LMenuDescriptor::InsertItem(uint32_t index, const RCPtr<LMenuItemDescriptor>& item) {
    if (!item) {
        return E_INVALIDARG;
    }
    const int32_t result = mChildren.InsertItem(index, item);
    if (result >= 0) {
        item->SetParent(RCPtr<LMenuDescriptor>(this));
        return S_OK;
    }
    return result;
}

int32_t LMenuDescriptor::InsertItem(uint32_t index, const WString& label, const WString& command,
                                    bool enabled, bool checked) {
    return InsertItem(index, LMenuItemDescriptor::Create(label, command, enabled, checked));
}

int32_t LMenuDescriptor::InsertSeparator(uint32_t index) {
    return InsertItem(index, LMenuItemDescriptor::CreateSeparator());
}

int32_t LMenuDescriptor::GetItemState(uint32_t index, LMenuItemState& state) const {
    state = LMenuItemState{};
    if (index >= mChildren.GetCount()) {
        return E_INVALIDARG;
    }
    const RCPtr<LMenuItemDescriptor>& item = mChildren.GetAt(index);
    state.enabled = item->enabled;
    state.checked = item->checked;
    state.label = item->label;
    return S_OK;
}

RCPtr<LMenuItemDescriptor> LMenuDescriptor::GetItem(uint32_t index) const {
    return index < mChildren.GetCount() ? mChildren.GetAt(index) : nullptr;
}

void LMenuDescriptor::SetParent(const RCPtr<LMenuDescriptor>& parent) {
    if (parent.Get() == mParent.Get()) {
        return;
    }
    // The old parent's count drops before the link is released, so that release sees the
    // parent's true outside references.
    if (parent) {
        parent->AddInternalReferences(1);
    }
    if (mParent) {
        mParent->AddInternalReferences(-1);
    }
    mParent = parent;
}

int32_t LMenuDescriptor::Clear() {
    RCPtr<LMenuDescriptor> hold(this);
    while (mChildren.GetCount() > 0) {
        RCPtr<LMenuItemDescriptor> child;
        mChildren.RemoveItem(mChildren.GetCount() - 1, child);
        child->SetParent(nullptr);
    }
    SetParent(nullptr);
    return S_OK;
}

int32_t LMenuDescriptor::ReleaseInternalReferences() {
    return Clear();
}

void LMenuDescriptor::CloneChildrenInto(LMenuDescriptor& copy) const {
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i) {
        RCPtr<LMenuDescriptor> child = mChildren.GetAt(i)->Clone();
        RCPtr<LMenuItemDescriptor> item(dynamic_cast<LMenuItemDescriptor*>(child.Get()));
        copy.InsertItem(copy.GetItemCount(), item);
    }
}

RCPtr<LMenuDescriptor> LMenuDescriptor::Clone() const {
    RCPtr<LMenuDescriptor> copy = Create();
    CloneChildrenInto(*copy);
    return copy;
}

RCPtr<LMenuDescriptor> LMenuItemDescriptor::Clone() const {
    RCPtr<LMenuItemDescriptor> copy(new LMenuItemDescriptor());
    CloneChildrenInto(*copy);
    copy->label = label;
    copy->command = command;
    copy->enabled = enabled;
    copy->checked = checked;
    copy->separator = separator;
    copy->description = description;
    copy->hotKeyText = hotKeyText;
    return RCPtr<LMenuDescriptor>(copy.Get());
}

// The string-table reader. Entry ids (after "CONTEXT_MENU", the menu number and "."):
//   nn.command     item nn of the top level, sending command
//   nn.-           separator nn of the top level
//   nn.name.       submenu item nn of the top level, its items being the entries of name
//   name.nn.command, name.nn.-, name.nn.name2.   the same inside submenu name
// The text is the label, optionally followed by "|" and the description.

RCPtr<LMenuDescriptor> LMenuDescriptor::CreateFromStrings(const IArray<StringPair>& entries) {
    StringPairs topLevel;
    SubmenuMap submenus;
    for (uint32_t i = 0; i < entries.GetCount(); ++i) {
        const WString& id = entries.GetAt(i).first;
        const WString& text = entries.GetAt(i).second;
        const WStringArray pieces = id.Split(u".");
        const int32_t count = static_cast<int32_t>(pieces.GetCount());
        if (count < 2) {
            continue;
        }
        WString name;
        int32_t number = -1;
        const WString& first = pieces.GetAt(0);
        if (!first.IsEmpty()) {
            if (IsDecimalDigit(first.GetString()[0])) {
                number = first.ToInt();
            } else {
                name = first;
                number = pieces.GetAt(1).ToInt();
            }
        }
        const int32_t commandIndex = name.IsEmpty() ? 1 : 2;
        WString command;
        if (commandIndex < count) {
            command = pieces.GetAt(static_cast<uint32_t>(commandIndex));
            const int32_t length = id.GetLength();
            if (length > 0 && id.GetString()[length - 1] == u'.') {
                command += u'.';
            }
        }
        if (!name.IsEmpty()) {
            AppendNumbered(submenus[name], number, command, text);
        } else {
            AppendNumbered(topLevel, number, command, text);
        }
    }
    RCPtr<LMenuDescriptor> result;
    if (BuildFromPairs(topLevel, submenus, result) < 0) {
        return nullptr;
    }
    return result;
}

int32_t LMenuDescriptor::BuildFromPairs(const IArray<StringPair>& pairs, const SubmenuMap& submenus,
                                        RCPtr<LMenuDescriptor>& descriptor) {
    if (descriptor) {
        descriptor->Clear();
    } else {
        descriptor = Create();
    }
    std::map<WString, int32_t> expanding;
    return BuildLevel(pairs, submenus, *descriptor, expanding);
}

int32_t LMenuDescriptor::BuildLevel(const IArray<StringPair>& pairs, const SubmenuMap& submenus,
                                    LMenuDescriptor& descriptor, std::map<WString, int32_t>& expanding) {
    for (uint32_t i = 0; i < pairs.GetCount(); ++i) {
        const WString& command = pairs.GetAt(i).first;
        const WString& text = pairs.GetAt(i).second;
        WString label = text;
        WString description;
        const int32_t bar = text.Find(WString(u"|"));
        if (bar >= 0) {
            label = text.Left(bar);
            description = text.Mid(bar + 1);
        }
        const int32_t length = command.GetLength();
        if (length > 0 && command.GetString()[length - 1] == u'.') {
            const WString name = command.TrimRight(WString(u"."));
            auto found = submenus.find(name);
            // A submenu that names itself, directly or through others, is not expanded again:
            // the reference inside it is left out.
            if (found == submenus.end() || expanding[name] > 0) {
                continue;
            }
            RCPtr<LMenuItemDescriptor> item = LMenuItemDescriptor::Create(label, WString(), true, false);
            descriptor.InsertItem(descriptor.GetItemCount(), item);
            if (!description.IsEmpty()) {
                item->description = description;
            }
            ++expanding[name];
            BuildLevel(found->second, submenus, *item, expanding);
            --expanding[name];
        } else if (command == u"-") {
            descriptor.InsertSeparator(descriptor.GetItemCount());
        } else {
            RCPtr<LMenuItemDescriptor> item = LMenuItemDescriptor::Create(label, command, true, false);
            item->description = description;
            descriptor.InsertItem(descriptor.GetItemCount(), item);
        }
    }
    return S_OK;
}

// Activation parameter.

ReuseAllocator<LMenuActivationParam, 1>& LMenuActivationParam::GetAllocator() {
    return GetReuseAllocator<LMenuActivationParam, 1, true>();
}

void* LMenuActivationParam::operator new(size_t size) {
    return GetAllocator().Allocate(size);
}

void LMenuActivationParam::operator delete(void* p) {
    GetAllocator().Free(p);
}

}  // namespace QV
