#include "RIZozivirod/System/Desktop/Clipboard.h"

#include <string>

#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

namespace {

// The clipboard controls reach; its owner puts it in place and takes it away again.
LClipboard*& CurrentClipboardSlot() {
    static LClipboard* current = nullptr;
    return current;
}

}  // namespace

RCPtr<LClipboard> LClipboard::GetCurrent() {
    return RCPtr<LClipboard>(CurrentClipboardSlot());
}

void LClipboard::SetCurrent(LClipboard* clipboard) {
    CurrentClipboardSlot() = clipboard;
}

RCPtr<LClipboard> LClipboard::Create(std::shared_ptr<Platform::IClipboardBackend> backend) {
    if (!backend) {
        backend = Platform::CreateDesktopClipboard();
    }
    return RCPtr<LClipboard>(new LClipboard(std::move(backend)));
}

LClipboard::LClipboard(std::shared_ptr<Platform::IClipboardBackend> backend) : mBackend(std::move(backend)) {}

LClipboard::~LClipboard() = default;

void LClipboard::Initialize() {
    mHandler = LNotificationHandler<LClipboard>::Create(this);
    const RCPtr<LNotificationDistributor> centre(GetMainNotificationCenter());
    const auto edit = [](int32_t kind) {
        return [kind](LClipboard& clipboard, const RCPtr<LNotificationDistributor>&,
                      const RCPtr<LNotification>&) {
            clipboard.PerformEdit(kind);
            return S_FALSE;
        };
    };
    QV_CHECK_RESULT(mHandler->AddHandler(edit(kEditCut), centre, u"NID_EDIT_CUT_REQ", 0));
    QV_CHECK_RESULT(mHandler->AddHandler(edit(kEditCopy), centre, u"NID_EDIT_COPY_REQ", 0));
    QV_CHECK_RESULT(mHandler->AddHandler(edit(kEditPaste), centre, u"NID_EDIT_PASTE_REQ", 0));
    QV_CHECK_RESULT(mHandler->AddHandler(edit(kEditDelete), centre, u"NID_EDIT_DELETE_REQ", 0));
}

void LClipboard::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                     const RCPtr<LNotification>& notification) {
    if (mHandler) {
        mHandler->HandleNotification(sender, notification);
    }
}

RCPtr<LRefCountedObject> LClipboard::GetText() {
    const uint32_t change = mBackend->GetChangeCount();
    if (change != mSeenChange && !mBackend->HasMarker()) {
        if (mBackend->HasText()) {
            std::string text;
            // A clipboard that cannot be read keeps the kept value; the next call tries again.
            if (mBackend->GetText(text)) {
                WString wide;
                wide.Assign(text.data(), static_cast<int32_t>(text.size()));
                mValue = RCPtr<LRefCountedObject>(LClipboardText::Create(wide));
                mSeenChange = change;
            }
        } else {
            mValue = nullptr;
        }
    }
    return mValue;
}

int32_t LClipboard::SetText(const RCPtr<LRefCountedObject>& value) {
    if (mWriting) {
        return S_FALSE;
    }
    mWriting = true;
    mValue = value;
    if (!value) {
        mWriting = false;
        return S_OK;
    }
    bool written;
    if (const auto* text = dynamic_cast<const LClipboardText*>(value.Get())) {
        written = mBackend->SetText(text->ToUTF8().GetString());
    } else {
        written = mBackend->SetMarker();
    }
    mSeenChange = mBackend->GetChangeCount();
    mWriting = false;
    return written ? S_OK : E_FAIL;
}

}  // namespace QV
