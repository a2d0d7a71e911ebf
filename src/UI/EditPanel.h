#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "UI/EditPanelRecord.h"

class LParameterizedModule;

namespace QV {

class LComboBox;

// The controls of one edit panel and the parameter record they make up, one byte per control.
// The panel binds each byte to its control once, in its Initialize; from then on packing and
// applying use those pointers only and never search the control tree. It remembers the bytes of
// the last record applied: a combo box that has no item for a received byte shows no selection,
// and that byte is sent back unchanged with the next edit. User-interface thread.
class LEditRecord {
public:
    explicit LEditRecord(std::span<const RecordField> layout);

    void BindChoice(size_t byte, const RCPtr<LComboBox>& comboBox);
    // A number box: its range is set here from the layout (linear).
    void BindNumber(size_t byte, const RCPtr<LControl>& numberBox);

    size_t GetLength() const { return mFields.size(); }
    // The record the controls show now.
    Variant Pack() const;
    std::vector<uint8_t> PackBytes() const;
    // Sets the controls from a record, in the given byte order (all bytes, in record order, when
    // empty). A record whose length is not the layout's is refused with E_FAIL and nothing
    // changes; otherwise 0. Every control whose state changes notifies as it is set.
    int32_t Apply(const Variant& value, std::span<const uint8_t> order = {});

private:
    struct Field {
        RecordField layout;
        RCPtr<LComboBox> comboBox;
        RCPtr<LControl> numberBox;
        uint8_t lastReceived = 0;
    };
    std::vector<Field> mFields;
};

namespace EditPanel {

// The direct child of that name as T; null when missing or of another class.
template <class T>
RCPtr<T> FindChildAs(const LControl* parent, const WChar* name) {
    if (parent == nullptr) {
        return nullptr;
    }
    const RCPtr<LControl> child = parent->FindChild(WString(name));
    return RCPtr<T>(dynamic_cast<T*>(child.Get()));
}

// The part of a number box a user types into: limits it to three characters.
void LimitNumberBoxText(const RCPtr<LControl>& numberBox);

// Sets the text of the child label of that name; nothing when there is none.
void SetChildText(const LControl* parent, const WChar* name, const WString& text);

// Hands the panel's record to the main control at the top of its tree, as an edit of the
// parameter the panel is bound to. A panel outside a main control's tree has nowhere to send it
// and drops it.
void SendRecord(LControl& panel, const LParameterizedModule& module, const LEditRecord& record);

}  // namespace EditPanel

}  // namespace QV
