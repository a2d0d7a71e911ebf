#include "UI/EditPanel.h"

#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "UI/DriverCommon/EditorEngine.h"
#include "UI/DriverCommon/MainControl.h"

namespace QV {

LEditRecord::LEditRecord(std::span<const RecordField> layout) {
    mFields.reserve(layout.size());
    for (const RecordField& field : layout) {
        mFields.push_back(Field{field, nullptr, nullptr, 0});
    }
}

void LEditRecord::BindChoice(size_t byte, const RCPtr<LComboBox>& comboBox) {
    if (byte < mFields.size()) {
        mFields[byte].comboBox = comboBox;
    }
}

void LEditRecord::BindNumber(size_t byte, const RCPtr<LControl>& numberBox) {
    if (byte < mFields.size()) {
        Field& field = mFields[byte];
        field.numberBox = numberBox;
        if (numberBox) {
            numberBox->SetValueRange(field.layout.minimum, field.layout.maximum, 0);
        }
    }
}

std::vector<uint8_t> LEditRecord::PackBytes() const {
    std::vector<uint8_t> bytes;
    bytes.reserve(mFields.size());
    for (const Field& field : mFields) {
        if (field.layout.kind == RecordField::Kind::Choice) {
            const int32_t selected = field.comboBox ? field.comboBox->GetSelectedIndex() : -1;
            bytes.push_back(EditRecord::ByteOfChoice(selected, field.lastReceived));
        } else if (field.numberBox) {
            bytes.push_back(EditRecord::ByteOfNumber(field.layout, field.numberBox->GetValue()));
        } else {
            bytes.push_back(field.lastReceived);
        }
    }
    return bytes;
}

Variant LEditRecord::Pack() const {
    const std::vector<uint8_t> bytes = PackBytes();
    Variant value;
    value.SetBlob(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return value;
}

int32_t LEditRecord::Apply(const Variant& value, std::span<const uint8_t> order) {
    uint32_t length = 0;
    const auto* data = static_cast<const uint8_t*>(value.GetData(length));
    if (length != mFields.size() || (data == nullptr && !mFields.empty())) {
        return E_FAIL;
    }
    // Every byte is remembered before any control is set: the controls report each change at
    // once, and the records those reports build must already carry the new bytes.
    for (size_t i = 0; i < mFields.size(); ++i) {
        mFields[i].lastReceived = data[i];
    }
    auto apply = [&](size_t i) {
        Field& field = mFields[i];
        if (field.layout.kind == RecordField::Kind::Choice) {
            if (field.comboBox) {
                field.comboBox->SetSelectedIndex(EditRecord::ChoiceOfByte(data[i]));
            }
        } else if (field.numberBox) {
            field.numberBox->SetValue(EditRecord::NumberOfByte(field.layout, data[i]));
        }
    };
    if (order.empty()) {
        for (size_t i = 0; i < mFields.size(); ++i) {
            apply(i);
        }
    } else {
        for (const uint8_t i : order) {
            if (i < mFields.size()) {
                apply(i);
            }
        }
    }
    return 0;
}

namespace EditPanel {

void LimitNumberBoxText(const RCPtr<LControl>& numberBox) {
    if (const RCPtr<LTextBox> text = FindChildAs<LTextBox>(numberBox.Get(), u"textBox")) {
        text->SetMaxLength(3);
    }
}

void SetChildText(const LControl* parent, const WChar* name, const WString& text) {
    if (const RCPtr<LControl> child = FindChildAs<LControl>(parent, name)) {
        child->SetText(text);
    }
}

void ThrowMissingChild(const WChar* name, const char* message, const std::source_location& where) {
    const std::string text = message != nullptr
                                 ? std::string(message)
                                 : "Cannot find child " + std::string(NString(name).GetString());
    throw Exception<std::runtime_error>(ComposeExceptionText(
        ExceptionKind<std::runtime_error>(), QualifiedFunctionName(where.function_name()), where.file_name(),
        static_cast<int>(where.line()), "Null Pointer : " + text));
}

void ThrowFailedResult(int32_t result, const std::source_location& where) {
    throw Exception<FailedResultException>(ComposeExceptionText(
        ExceptionKind<FailedResultException>(), QualifiedFunctionName(where.function_name()),
        where.file_name(), static_cast<int>(where.line()), ResultToString(result)));
}

namespace {

RCPtr<LMainControl> MainControlOf(LControl& control) {
    const RCPtr<LControl> top = control.GetTopLevelControl();
    return RCPtr<LMainControl>(dynamic_cast<LMainControl*>(top.Get()));
}

}  // namespace

void SendRecord(LControl& panel, const LParameterizedModule& module, const LEditRecord& record) {
    SendValue(panel, module, record.Pack());
}

void SendValue(LControl& panel, const LParameterizedModule& module, const Variant& value) {
    if (const RCPtr<LMainControl> main = MainControlOf(panel)) {
        main->NotifyParamChanged(ParamDescriptor(module.GetFirstParamID()), value);
    }
}

void CommitPendingEdit(LControl& page) {
    RCPtr<LControl> control(&page);
    while (control && control->ContainsFocus() && !control->HasFocus()) {
        control = control->GetFocusChild();
    }
    if (control && control->HasFocus()) {
        if (auto* text = dynamic_cast<LTextBox*>(control.Get())) {
            text->Validate();
        }
    }
}

void ShowStoredValues(LControl& page, int32_t first, int32_t count) {
    const RCPtr<LMainControl> main = MainControlOf(page);
    if (!main) {
        return;
    }
    Array<ParamValue> values;
    GetEditorEngine().GetParamValues(ParamRange{first, count}, values, -1);
    for (uint32_t i = 0; i < values.GetCount(); ++i) {
        const ParamValue value = values.GetAt(i);
        main->ApplyParamValue(value.descriptor, value.value);
    }
}

}  // namespace EditPanel

}  // namespace QV
