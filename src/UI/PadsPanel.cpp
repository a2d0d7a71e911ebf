#include "UI/PadsPanel.h"

#include <new>

#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "UI/EditPanel.h"

namespace EditPanel = QV::EditPanel;

namespace {

constexpr const char16_t* kPadsPanelChildren[] = {u"pad1", u"pad2", u"pad3", u"pad4"};
constexpr const char16_t* kPadsPanelHeaders[] = {u"PAD 1", u"PAD 2", u"PAD 3", u"PAD 4",
                                                 u"PAD 5", u"PAD 6", u"PAD 7", u"PAD 8"};

}  // namespace

LPadsPanel::LPadsPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name) {}

LPadsPanel::~LPadsPanel() = default;

int32_t LPadsPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LPadsPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return result;
    }
    mLeftArrow = EditPanel::FindChildAs<QV::LButton>(this, u"leftArrowButton");
    QV_CHECK_NULL(mLeftArrow.Get(), "Cannot find child leftArrowButton");
    QV_CHECK_RESULT(mHandler->AddHandler(&LPadsPanel::OnArrowClicked,
                                         QV::RCPtr<QV::LNotificationDistributor>(mLeftArrow),
                                         u"NID_LEFT_CLICK", 0));
    mRightArrow = EditPanel::FindChildAs<QV::LButton>(this, u"rightArrowButton");
    QV_CHECK_NULL(mRightArrow.Get(), "Cannot find child rightArrowButton");
    QV_CHECK_RESULT(mHandler->AddHandler(&LPadsPanel::OnArrowClicked,
                                         QV::RCPtr<QV::LNotificationDistributor>(mRightArrow),
                                         u"NID_LEFT_CLICK", 0));
    return 0;
}

int32_t LPadsPanel::OnArrowClicked(const QV::RCPtr<QV::LNotificationDistributor>& source,
                                   const QV::RCPtr<QV::LNotification>&) {
    const auto* button = dynamic_cast<const QV::LButton*>(source.Get());
    if (button == nullptr) {
        return 1;
    }
    if (button == mLeftArrow.Get()) {
        ShowPage(0);
    } else if (button == mRightArrow.Get()) {
        ShowPage(1);
    }
    return 1;
}

int32_t LPadsPanel::AttachToRootWindow() {
    // The children first: the text boxes of the pads find their window (and their context menu).
    const int32_t result = QV::LPanel::AttachToRootWindow();
    ShowPage(0);
    return result;
}

void LPadsPanel::ShowPage(int32_t page) {
    const QV::RCPtr<LPadsPanel> hold(this);
    // A number typed and not yet entered belongs to the pad shown now: it is sent under that pad's
    // id before the panels change pads.
    EditPanel::CommitPendingEdit(*this);
    if (page == 0 || page == 1) {
        const int32_t first = GetFirstParamID();
        for (int32_t k = 0; k < kPadsShown; ++k) {
            const QV::RCPtr<QV::LControl> pad =
                EditPanel::FindChildAs<QV::LControl>(this, kPadsPanelChildren[k]);
            auto* module = dynamic_cast<IPad*>(pad.Get());
            if (module == nullptr) {
                continue;
            }
            const int32_t index = page * kPadsShown + k;
            module->SetFirstParamID(this, first + kIdsPerPad * index, index);
            EditPanel::SetChildText(pad.Get(), u"headerLabel", kPadsPanelHeaders[index]);
        }
    }
    // The panels show their new pads' values now, not when the engine's next notice comes.
    EditPanel::ShowStoredValues(*this, GetFirstParamID(), kPadCount * kIdsPerPad);
}

QV::RCPtr<IPad> LPadsPanel::GetPad(int32_t padIndex) {
    if (padIndex < 0 || padIndex >= kPadCount) {
        return nullptr;
    }
    const QV::RCPtr<IPad> pad = EditPanel::FindChildAs<IPad>(this, kPadsPanelChildren[padIndex % kPadsShown]);
    return pad && pad->GetIndex() == padIndex ? pad : nullptr;
}

void LPadsPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                     const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LPadsPanel::UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                              const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
