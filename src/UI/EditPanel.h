#pragma once

#include <cstdint>
#include <source_location>
#include <span>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "UI/EditPanelRecord.h"

class LParameterizedModule;

namespace QV {

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
    // The byte of the last record applied (0 before any, or past the end).
    uint8_t GetReceived(size_t byte) const { return byte < mFields.size() ? mFields[byte].lastReceived : 0; }
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

// The messages of lookups that fail, each after "Null Pointer : "; null gives
// "Cannot find child " and the name looked for.
struct Missing {
    const char* composite = nullptr;
    const char* part = nullptr;
    const char* label = nullptr;
};

// Throws the runtime error of a missing child ("Null Pointer : " and the message, by default
// "Cannot find child " and the name), naming the function, file and line of `where`.
[[noreturn]] void ThrowMissingChild(const WChar* name, const char* message,
                                    const std::source_location& where);
// Throws the Failed Result exception of a refused registration, naming `where`.
[[noreturn]] void ThrowFailedResult(int32_t result, const std::source_location& where);

// The direct child of that name as T; a missing one, or one of another class, throws as
// ThrowMissingChild.
template <class T>
RCPtr<T> RequireChild(const LControl* parent, const WChar* name, const char* message,
                      const std::source_location& where) {
    RCPtr<T> child = FindChildAs<T>(parent, name);
    if (!child) {
        ThrowMissingChild(name, message, where);
    }
    return child;
}

// Hands the panel's record to the main control at the top of its tree, as an edit of the
// parameter the panel is bound to. A panel outside a main control's tree has nowhere to send it
// and drops it.
void SendRecord(LControl& panel, const LParameterizedModule& module, const LEditRecord& record);
// The same with a record the panel packed itself.
void SendValue(LControl& panel, const LParameterizedModule& module, const Variant& value);

// Ends the typing in a text box below page, if the focus is in one, the way Enter does: a number
// typed and not yet entered reaches its box (and is sent as an edit) before a paging page binds its
// panels to other ids.
void CommitPendingEdit(LControl& page);
// Applies the engine's stored values of the ids first .. first + count - 1 to the view at once,
// through the main control at the top of page's tree, as if the engine had just sent them: each
// goes to the panel its id reaches now, and values no panel serves are dropped. A paging page
// calls it after binding its panels to other ids, so they never show the previous ids' values
// (nor send them under the new ids). Nothing without a main control.
void ShowStoredValues(LControl& page, int32_t first, int32_t count);

}  // namespace EditPanel

// Binds an edit panel's value controls in its Initialize, one call per labelled composite of the
// skin. Each call finds the composite among the parent's direct children, then its part (a combo
// box's "comboBox", a number box's "numericUpDown"), registers the panel's OnControlChanged for
// the part's value notification ("NID_SELECTION_CHANGE", "NID_VALUE_CHANGE") and binds the part
// to its record byte; a number box also gets the byte's range and a text of at most three
// characters. A missing composite or part throws the "Null Pointer : Cannot find child <name>"
// runtime error, a refused registration the Failed Result exception, both naming the calling
// function and line. A byte past the record's end binds nothing: a control the panel packs
// itself. Lives on the stack of the panel's Initialize.
//
//     QV::LEditBinder<LMyPanel> bind(*this, mHandler, mRecord);
//     mMidiChannel = bind.Choice(4, u"midiChannel");
//     mData1 = bind.Number(1, u"data1Value", {.composite = "Cannot find child data1"});
//     bind.Label(u"data1Value", u"CC #");
template <class Panel>
class LEditBinder {
public:
    // Composites are looked for among parent's children, the panel's own when parent is null.
    LEditBinder(Panel& panel, const RCPtr<LNotificationHandler<Panel>>& handler, LEditRecord& record,
                const LControl* parent = nullptr)
        : mHandler(handler), mRecord(record), mParent(parent != nullptr ? parent : &panel) {}

    RCPtr<LComboBox> Choice(size_t byte, const WChar* composite, const EditPanel::Missing& missing = {},
                            const std::source_location& where = std::source_location::current()) {
        const RCPtr<LComboBox> comboBox =
            Part<LComboBox>(composite, missing.composite, u"comboBox", missing.part, where);
        Register(comboBox, u"NID_SELECTION_CHANGE", where);
        mRecord.BindChoice(byte, comboBox);
        return comboBox;
    }

    RCPtr<LNumericUpDown> Number(size_t byte, const WChar* composite, const EditPanel::Missing& missing = {},
                                 const std::source_location& where = std::source_location::current()) {
        const RCPtr<LNumericUpDown> numberBox =
            Part<LNumericUpDown>(composite, missing.composite, u"numericUpDown", missing.part, where);
        Register(numberBox, u"NID_VALUE_CHANGE", where);
        mRecord.BindNumber(byte, numberBox);
        EditPanel::LimitNumberBoxText(numberBox);
        return numberBox;
    }

    // The composite's "controlNameLabel"; its text becomes text unless that is null.
    RCPtr<LControl> Label(const WChar* composite, const WChar* text = nullptr,
                          const EditPanel::Missing& missing = {},
                          const std::source_location& where = std::source_location::current()) {
        const RCPtr<LControl> label =
            Part<LControl>(composite, missing.composite, u"controlNameLabel", missing.label, where);
        if (text != nullptr) {
            label->SetText(WString(text));
        }
        return label;
    }

private:
    template <class T>
    RCPtr<T> Part(const WChar* composite, const char* compositeMessage, const WChar* part,
                  const char* partMessage, const std::source_location& where) const {
        const RCPtr<LControl> holder =
            EditPanel::RequireChild<LControl>(mParent, composite, compositeMessage, where);
        return EditPanel::RequireChild<T>(holder.Get(), part, partMessage, where);
    }

    void Register(const RCPtr<LControl>& control, const WChar* notification,
                  const std::source_location& where) {
        const int32_t result = mHandler->AddHandler(
            &Panel::OnControlChanged, RCPtr<LNotificationDistributor>(control), notification, 0);
        if (result < 0) {
            EditPanel::ThrowFailedResult(result, where);
        }
    }

    const RCPtr<LNotificationHandler<Panel>>& mHandler;
    LEditRecord& mRecord;
    const LControl* mParent;
};

}  // namespace QV
