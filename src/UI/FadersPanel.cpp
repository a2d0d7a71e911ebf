#include "UI/FadersPanel.h"

#include <new>
#include <string>

#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "UI/EditPanel.h"

namespace EditPanel = QV::EditPanel;

namespace {

// "fader1" .. "fader4": the panel that shows the fader of that place on either page.
QV::WString FaderPanelName(int32_t place) {
    return QV::WString((u"fader" + std::u16string(1, static_cast<char16_t>(u'1' + place))).c_str());
}

}  // namespace

LFadersPanel::LFadersPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name) {}

LFadersPanel::~LFadersPanel() = default;

int32_t LFadersPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LFadersPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return result;
    }
    const QV::RCPtr<QV::LButton> left = EditPanel::FindChildAs<QV::LButton>(this, u"leftArrowButton");
    QV_CHECK_NULL(left.Get(), "Cannot find child leftArrowButton");
    QV_CHECK_RESULT(mHandler->AddHandler(
        &LFadersPanel::OnArrowClicked, QV::RCPtr<QV::LNotificationDistributor>(left), u"NID_LEFT_CLICK", 0));
    const QV::RCPtr<QV::LButton> right = EditPanel::FindChildAs<QV::LButton>(this, u"rightArrowButton");
    QV_CHECK_NULL(right.Get(), "Cannot find child rightArrowButton");
    QV_CHECK_RESULT(mHandler->AddHandler(
        &LFadersPanel::OnArrowClicked, QV::RCPtr<QV::LNotificationDistributor>(right), u"NID_LEFT_CLICK", 0));
    return 0;
}

int32_t LFadersPanel::AttachToRootWindow() {
    const int32_t result = QV::LPanel::AttachToRootWindow();
    ShowPage(0);
    return result;
}

void LFadersPanel::ShowPage(int32_t page) {
    const QV::RCPtr<LFadersPanel> hold(this);
    // A number typed and not yet confirmed belongs to the fader it was typed for: it goes out
    // before that panel shows another fader.
    EditPanel::CommitPendingEdit(*this);
    if (page == 0 || page == 1) {
        for (int32_t place = 0; place < kFadersPerPage; ++place) {
            const QV::RCPtr<IAbsoluteController> panel =
                EditPanel::FindChildAs<IAbsoluteController>(this, FaderPanelName(place).GetString());
            if (!panel) {
                continue;
            }
            const int32_t fader = page * kFadersPerPage + place;
            panel->SetFirstParamID(this, GetFirstParamID() + fader, fader);
            EditPanel::SetChildText(
                dynamic_cast<QV::LControl*>(panel.Get()), u"headerLabel",
                QV::WString((u"FADER " + std::u16string(1, static_cast<char16_t>(u'1' + fader))).c_str()));
        }
    }
    // The panels show their new faders' values now, not after the engine's next report: an edit
    // made meanwhile would send the values of the faders shown before under the new ids.
    EditPanel::ShowStoredValues(*this, GetFirstParamID(), kFaderCount);
}

int32_t LFadersPanel::OnArrowClicked(const QV::RCPtr<QV::LNotificationDistributor>& source,
                                     const QV::RCPtr<QV::LNotification>&) {
    auto* button = dynamic_cast<QV::LButton*>(source.Get());
    if (button == nullptr) {
        return 1;
    }
    if (button == FindChild(u"leftArrowButton").Get()) {
        ShowPage(0);
    } else if (button == FindChild(u"rightArrowButton").Get()) {
        ShowPage(1);
    }
    return 1;
}

QV::RCPtr<IAbsoluteController> LFadersPanel::GetFader(int32_t faderIndex) {
    if (faderIndex < 0 || faderIndex >= kFaderCount) {
        return nullptr;
    }
    QV::RCPtr<IAbsoluteController> panel = EditPanel::FindChildAs<IAbsoluteController>(
        this, FaderPanelName(faderIndex % kFadersPerPage).GetString());
    if (!panel || panel->GetIndex() != faderIndex) {
        return nullptr;
    }
    return panel;
}

void LFadersPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                       const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LFadersPanel::UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                                const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
