#include "UI/RibbonControllersPanel.h"

#include <new>

#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace EditPanel = QV::EditPanel;

LRibbonControllersPanel::LRibbonControllersPanel(const QV::RCPtr<QV::LControl>& parent,
                                                 const QV::WString& name)
    : QV::LPanel(parent, name), mRecord(QV::EditRecord::kRibbonControllers) {}

LRibbonControllersPanel::~LRibbonControllersPanel() = default;

int32_t LRibbonControllersPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LRibbonControllersPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return QV::E_FAIL;
    }
    const QV::RCPtr<QV::LControl> settings = EditPanel::FindChildAs<QV::LControl>(this, u"settingsPanel");
    QV_CHECK_NULL(settings.Get(), "Cannot find child settingsPanel");
    QV::LEditBinder<LRibbonControllersPanel> bindSettings(*this, mHandler, mRecord, settings.Get());
    mDefaultBank = bindSettings.Choice(0, u"defaultController", {.part = "Can not find child comboBox"});
    mReturnMode = bindSettings.Choice(1, u"returnMode", {.part = "Can not find child comboBox"});
    static constexpr const char16_t* kBankHeaders[] = {u"BANK 1", u"BANK 2", u"BANK 3"};
    for (int32_t bank = 0; bank < 3; ++bank) {
        if (const QV::RCPtr<IAbsoluteController> controller = GetRibbonController(bank)) {
            EditPanel::SetChildText(dynamic_cast<QV::LControl*>(controller.Get()), u"headerLabel",
                                    kBankHeaders[bank]);
        }
    }
    return result;
}

QV::RCPtr<IAbsoluteController> LRibbonControllersPanel::GetRibbonController(int32_t controllerIndex) {
    static constexpr const char16_t* kBanks[] = {u"ribbonController1", u"ribbonController2",
                                                 u"ribbonController3"};
    if (controllerIndex < 0 || controllerIndex > 2) {
        return nullptr;
    }
    return EditPanel::FindChildAs<IAbsoluteController>(this, kBanks[controllerIndex]);
}

int32_t LRibbonControllersPanel::OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>&,
                                                  const QV::RCPtr<QV::LNotification>&) {
    EditPanel::SendRecord(*this, *this, mRecord);
    return 1;
}

int32_t LRibbonControllersPanel::SetParamValueLocal(const QV::ParamDescriptor&, const QV::Variant& value,
                                                    bool) {
    const QV::RCPtr<LRibbonControllersPanel> hold(this);
    return mRecord.Apply(value);
}

void LRibbonControllersPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                                  const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LRibbonControllersPanel::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
