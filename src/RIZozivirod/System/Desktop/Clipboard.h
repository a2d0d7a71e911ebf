#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "Platform/Desktop/ClipboardBackend.h"
#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/ObjectBase/Wrapper.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LControl;

inline WString ClipboardTextToString(const WString& text) {
    return text;
}
// A text value on the clipboard.
using LClipboardText = LWrapperStringable<WString, &ClipboardTextToString, LRefCountedObject>;
// Made once, in the clipboard's unit. Strings have a virtual destructor and this is the one
// class derived from them that most units see; with its destructor inlinable there, an
// optimising build guesses it at every string destruction and inlines it on that path.
extern template class LWrapperStringable<WString, &ClipboardTextToString, LRefCountedObject>;

// The application's clipboard. It serves the edit commands "NID_EDIT_CUT_REQ",
// "NID_EDIT_COPY_REQ", "NID_EDIT_PASTE_REQ" and "NID_EDIT_DELETE_REQ" by handing them to the
// focused control's edit target, and keeps the last value put on or read from the desktop's
// clipboard: text goes to the desktop as text, any other value stays here and the desktop gets
// only the marker that this program holds a value. As long as the desktop's change counter has
// not moved since, reading answers the kept value without going to the desktop. User-interface
// thread only.
class LClipboard : public LNotificationClient {
public:
    // Edit kinds of a control's CanPerformEdit and PerformEdit.
    static constexpr int32_t kEditDelete = 0;
    static constexpr int32_t kEditCut = 1;
    static constexpr int32_t kEditCopy = 2;
    static constexpr int32_t kEditPaste = 3;

    // The control that has the keyboard focus in the application's active window, or null.
    using FocusControlSource = std::function<RCPtr<LControl>()>;

    // Over the desktop's clipboard (SDL's), or over the backend given.
    static RCPtr<LClipboard> Create(std::shared_ptr<Platform::IClipboardBackend> backend = nullptr);

    // The application's clipboard as controls reach it (their edit commands and the state of
    // their edit menus): the application's while it exists, null before and after. Tests put
    // their own in place. User-interface thread only.
    static RCPtr<LClipboard> GetCurrent();
    static void SetCurrent(LClipboard* clipboard);

    // Handles the four edit commands posted to the application's main notification centre.
    // Throws the failed-result exception when a registration fails.
    void Initialize();
    // Where the edit commands find the focus control; set by the application.
    void SetFocusControlSource(FocusControlSource source) { mFocusSource = std::move(source); }

    // The current value: the desktop's text when another program changed the clipboard since
    // the last read or write, else the kept value; null when the clipboard holds no text.
    RCPtr<LRefCountedObject> GetText();
    // Keeps the value and puts it on the desktop's clipboard (null empties the kept value
    // alone). 0, E_FAIL when the desktop's clipboard cannot be written (the value is kept all
    // the same), 1 when called while a write is in progress.
    int32_t SetText(const RCPtr<LRefCountedObject>& value);

    bool CanEditFocusedControl(int32_t kind);
    // The edit target's result; 1 when no control could perform it.
    int32_t PerformEdit(int32_t kind);

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;

    Platform::IClipboardBackend& GetBackend() { return *mBackend; }

protected:
    explicit LClipboard(std::shared_ptr<Platform::IClipboardBackend> backend);
    ~LClipboard() override;

private:
    // The focus control's edit target when it can perform the edit, else null.
    RCPtr<LControl> FindEditTarget(int32_t kind);

    std::shared_ptr<Platform::IClipboardBackend> mBackend;
    RCPtr<LNotificationHandler<LClipboard>> mHandler;
    FocusControlSource mFocusSource;
    uint32_t mSeenChange = 0;
    RCPtr<LRefCountedObject> mValue;
    bool mWriting = false;
};

}  // namespace QV
