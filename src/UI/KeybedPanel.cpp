#include "UI/KeybedPanel.h"

#include <new>

#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace EditPanel = QV::EditPanel;

LKeybedEditPanel::LKeybedEditPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name), mRecord(QV::EditRecord::kKeybed) {}

LKeybedEditPanel::~LKeybedEditPanel() = default;

int32_t LKeybedEditPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LKeybedEditPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return QV::E_FAIL;
    }
    const QV::RCPtr<QV::LControl> settings = EditPanel::FindChildAs<QV::LControl>(this, u"settings");
    QV_CHECK_NULL(settings.Get(), "Cannot find child settings");
    QV::LEditBinder<LKeybedEditPanel> bindSettings(*this, mHandler, mRecord, settings.Get());
    mCurve = bindSettings.Choice(0, u"keybedCurve", {.part = "Can not find child comboBox"});
    mSplitPoint = bindSettings.Number(2, u"splitPoint", {.part = "Can not find child numericUpDown"});
    bindSettings.Label(u"splitPoint", u"SPLIT KEY", {.label = "cannot find child controlNameLabel"});
    mSplitMode = bindSettings.Choice(1, u"splitMode", {.part = "Can not find child comboBox"});
    // The zones share one skin class; their headers say which is which.
    if (const QV::RCPtr<IKeybedZone> lower = GetKeybedZone(1)) {
        EditPanel::SetChildText(dynamic_cast<QV::LControl*>(lower.Get()), u"headerLabel", u"LOWER ZONE");
    }
    if (const QV::RCPtr<IKeybedZone> upper = GetKeybedZone(0)) {
        EditPanel::SetChildText(dynamic_cast<QV::LControl*>(upper.Get()), u"headerLabel", u"UPPER ZONE");
    }
    return result;
}

QV::RCPtr<IKeybedZone> LKeybedEditPanel::GetKeybedZone(int32_t zoneIndex) {
    if (zoneIndex == 0) {
        return EditPanel::FindChildAs<IKeybedZone>(this, u"upperZone");
    }
    if (zoneIndex == 1) {
        return EditPanel::FindChildAs<IKeybedZone>(this, u"lowerZone");
    }
    return nullptr;
}

int32_t LKeybedEditPanel::OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>&,
                                           const QV::RCPtr<QV::LNotification>&) {
    EditPanel::SendRecord(*this, *this, mRecord);
    return 1;
}

int32_t LKeybedEditPanel::SetParamValueLocal(const QV::ParamDescriptor&, const QV::Variant& value, bool) {
    const QV::RCPtr<LKeybedEditPanel> hold(this);
    return mRecord.Apply(value);
}

void LKeybedEditPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                           const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LKeybedEditPanel::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
