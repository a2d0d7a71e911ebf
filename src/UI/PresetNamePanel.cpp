#include "UI/PresetNamePanel.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "RIZozivirod/Controls/TextBox.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "UI/DriverCommon/MainControl.h"
#include "UI/EditPanel.h"

LPresetNameEditPanel::LPresetNameEditPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name) {}

LPresetNameEditPanel::~LPresetNameEditPanel() = default;

int32_t LPresetNameEditPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LPresetNameEditPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return QV::E_FAIL;
    }
    mTextBox = QV::EditPanel::FindChildAs<QV::LTextBox>(this, u"textBox");
    // A missing text box is refused by the registration (no source).
    QV_CHECK_RESULT(mHandler->AddHandler(&LPresetNameEditPanel::OnControlChanged,
                                         QV::RCPtr<QV::LNotificationDistributor>(mTextBox),
                                         u"NID_TEXTBOX_TEXT_CHANGE", 0));
    mTextBox->SetMaxLength(kNameLength);
    mTextBox->SetAutoScroll(0, true);
    mTextBox->SetCharacterFilter(QV::WString(kCharacterSet));
    return result;
}

std::array<uint8_t, LPresetNameEditPanel::kNameLength> LPresetNameEditPanel::PackName(
    const QV::WString& text) {
    static constexpr std::u16string_view kSet(kCharacterSet);
    std::array<uint8_t, kNameLength> record{};
    const QV::WString upper = text.ToUpper();
    size_t length = 0;
    for (int32_t i = 0; i < upper.GetLength() && length < record.size(); ++i) {
        const char16_t c = upper.GetString()[i];
        if (kSet.find(c) != std::u16string_view::npos) {
            record[length++] = static_cast<uint8_t>(c);
        }
    }
    return record;
}

int32_t LPresetNameEditPanel::OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>&,
                                               const QV::RCPtr<QV::LNotification>&) {
    auto* main = dynamic_cast<QV::LMainControl*>(GetTopLevelControl().Get());
    if (main == nullptr || !mTextBox) {
        return 1;
    }
    const QV::RCPtr<QV::LMainControl> hold(main);
    const std::array<uint8_t, kNameLength> record = PackName(mTextBox->GetText());
    QV::Variant value;
    value.SetBlob(record.data(), static_cast<uint32_t>(record.size()));
    // An engine that never answers must not make the list grow without end.
    static constexpr size_t kUnechoedLimit = 64;
    if (mUnechoed.empty() || mUnechoed.back() != record) {
        if (mUnechoed.size() == kUnechoedLimit) {
            mUnechoed.pop_front();
        }
        mUnechoed.push_back(record);
    }
    main->NotifyParamChanged(QV::ParamDescriptor(GetFirstParamID()), value);
    return 1;
}

int32_t LPresetNameEditPanel::SetParamValueLocal(const QV::ParamDescriptor& descriptor,
                                                 const QV::Variant& value, bool) {
    if (descriptor.paramID != GetFirstParamID() || !mTextBox) {
        return QV::E_FAIL;
    }
    const QV::RCPtr<LPresetNameEditPanel> hold(this);
    uint32_t length = 0;
    const auto* bytes = static_cast<const uint8_t*>(value.GetData(length));
    if (bytes != nullptr && length == kNameLength) {
        std::array<uint8_t, kNameLength> record{};
        std::copy_n(bytes, kNameLength, record.begin());
        const auto sent = std::find(mUnechoed.begin(), mUnechoed.end(), record);
        if (sent != mUnechoed.end()) {
            mUnechoed.erase(mUnechoed.begin(), sent + 1);
            if (!mUnechoed.empty()) {
                // A later edit is still on its way: the box holds newer text than this.
                return 0;
            }
        } else {
            // The engine's own value (a preset loaded, a device's answer) replaces the edits.
            mUnechoed.clear();
        }
    } else {
        mUnechoed.clear();
    }
    std::u16string text;
    for (uint32_t i = 0; bytes != nullptr && i < length; ++i) {
        if (bytes[i] != 0) {
            text.push_back(static_cast<char16_t>(bytes[i]));
        }
    }
    // The text box's change is the engine's own value: it must not go back as an edit.
    QV::CAutoNotificationDisabler<LPresetNameEditPanel> quiet(
        mHandler, QV::RCPtr<QV::LNotificationDistributor>(mTextBox), u"NID_TEXTBOX_TEXT_CHANGE");
    const QV::WString shown(text.c_str());
    const QV::WString current = mTextBox->GetText();
    if (current == shown) {
        return 0;
    }
    if (current.ToUpper() == shown) {
        // The typed name in capitals: the same characters, so the caret and the selection the
        // user is working with stay where they are.
        const int32_t caret = mTextBox->GetCaretPosition();
        const int32_t start = mTextBox->GetSelectionStart();
        const int32_t selected = mTextBox->GetSelectionLength();
        const int32_t anchor = mTextBox->GetAnchor();
        mTextBox->SetTextInternal(shown, false);
        mTextBox->SetSelection(start, selected, anchor);
        mTextBox->SetCaretPosition(caret, true);
        return 0;
    }
    mTextBox->SetTextInternal(shown, false);
    return 0;
}

void LPresetNameEditPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                               const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LPresetNameEditPanel::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
