#include "UI/PresetEditorCommon/NumberBoxTextSelector.h"

#include <cmath>

#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/Controls/NumericUpDown.h"

LNumberBoxTextSelector::LNumberBoxTextSelector(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name) {}

LNumberBoxTextSelector::~LNumberBoxTextSelector() = default;

void LNumberBoxTextSelector::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                                 const QV::RCPtr<QV::LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mSelectorHandler && mSelectorHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LNumberBoxTextSelector::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mSelectorHandler) {
        mSelectorHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}

int32_t LNumberBoxTextSelector::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    mSelectorHandler = QV::LNotificationHandler<LNumberBoxTextSelector>::Create(this);
    mLabel = QV::RCPtr<QV::LLabel>(dynamic_cast<QV::LLabel*>(FindChild(u"label").Get()));
    mNumberBox =
        QV::RCPtr<QV::LNumericUpDown>(dynamic_cast<QV::LNumericUpDown*>(FindChild(u"numericUpDown").Get()));
    // Both parts are the control: a skin without either is refused here, not at the first value.
    QV_CHECK_NULL(mLabel.Get(), "Cannot find child label");
    QV_CHECK_RESULT(mSelectorHandler->AddHandler(&LNumberBoxTextSelector::OnValueChange,
                                                 QV::RCPtr<QV::LNotificationDistributor>(mNumberBox),
                                                 u"NID_VALUE_CHANGE", 0));
    UpdateLabel();
    return result;
}

int32_t LNumberBoxTextSelector::OnValueChange(const QV::RCPtr<QV::LNotificationDistributor>&,
                                              const QV::RCPtr<QV::LNotification>&) {
    UpdateLabel();
    return 1;
}

void LNumberBoxTextSelector::UpdateLabel() {
    if (!mLabel || !mNumberBox) {
        return;
    }
    const double value = std::trunc(mNumberBox->ValueFromNormalized(mNumberBox->GetNormalizedValue()));
    const QV::RCPtr<QV::LStringTable> table = mLabel->GetStringTable();
    if (!table || !(value >= 0.0)) {
        return;
    }
    QV::Array<QV::LStringTable::Entry> entries;
    table->GetSortedEntries(entries);
    if (value < static_cast<double>(entries.GetCount())) {
        mLabel->SetText(entries.GetAt(static_cast<uint32_t>(value)).second);
    }
}
