#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/PointerParams.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "RIZozivirod/ObjectBase/Wrapper.h"
#include "RIZozivirod/System/Desktop/Clipboard.h"

namespace QV {

namespace {

// Key codes of the text box's key table (key event, modifiers, virtual key).
enum : uint32_t {
    kTextKeyLeft = 0x20250000,
    kTextKeyRight = 0x20270000,
    kTextKeyUp = 0x20260000,
    kTextKeyDown = 0x20280000,
    kTextKeyHome = 0x20240000,
    kTextKeyEnd = 0x20230000,
    kTextKeyBackspace = 0x20080000,
    kTextKeyDelete = 0x202E0000,
    kTextKeyEnter = 0x200D0000,
    kTextCtrl = 0x01000000,
    kTextShift = 0x02000000,
};

// The pixels from either edge of the text area inside which a drag scrolls, and the speed per
// pixel beyond.
constexpr double kDragScrollMargin = 20.0;
constexpr double kDragScrollSpeed = 5.0;

// The clipboard's edit kind of an edit command, or -1 for another command.
int32_t EditKindOfCommand(const WString& command) {
    if (command == u"NID_EDIT_COPY_REQ") {
        return LClipboard::kEditCopy;
    }
    if (command == u"NID_EDIT_CUT_REQ") {
        return LClipboard::kEditCut;
    }
    if (command == u"NID_EDIT_DELETE_REQ") {
        return LClipboard::kEditDelete;
    }
    if (command == u"NID_EDIT_PASTE_REQ") {
        return LClipboard::kEditPaste;
    }
    return -1;
}

}  // namespace

// Character classes, decided on the UTF-16 units themselves so that the process's locale
// changes nothing.

bool LTextBox::IsPrintableCharacter(WChar c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
        return false;  // C0 and C1 controls, Tab among them, and DEL
    }
    // Line and paragraph separators would break the single line; the two noncharacters are no
    // text at all.
    return c != 0x2028 && c != 0x2029 && c != 0xFFFE && c != 0xFFFF;
}

bool LTextBox::IsSpaceCharacter(WChar c) {
    return c == u' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1680 || (c >= 0x2000 && c <= 0x2006) ||
           (c >= 0x2008 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x205F || c == 0x3000;
}

bool LTextBox::ParseDecimal(const WString& text, double& value) {
    const WChar* p = text.GetString();
    const int32_t length = text.GetLength();
    int32_t i = 0;
    bool negative = false;
    if (i < length && p[i] == u'-') {
        negative = true;
        ++i;
    }
    bool digits = false;
    bool point = false;
    double whole = 0;
    double fraction = 0;
    double scale = 1;
    for (; i < length; ++i) {
        const WChar c = p[i];
        if (c >= u'0' && c <= u'9') {
            digits = true;
            if (point) {
                scale /= 10;
                fraction += (c - u'0') * scale;
            } else {
                whole = whole * 10 + (c - u'0');
            }
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!digits) {
        return false;
    }
    value = negative ? -(whole + fraction) : whole + fraction;
    return std::isfinite(value);
}

// Keys.

int32_t LTextBox::HandleKeyDown(const RCPtr<LKeyParam>& param) {
    if (!param) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const uint32_t code = param->key.GetCode();
    const bool virtualKey = (code & KeyCode::kVirtualKeyMask) != 0 || (code & KeyCode::kNoKeyBit) != 0;
    if (!virtualKey) {
        if ((code & KeyCode::kDownBit) != 0) {
            return S_OK;  // a key event without a key
        }
        const WChar c = param->key.GetCharacter();
        if (!IsPrintableCharacter(c)) {
            return 1;
        }
        if (!mCharacterFilter.IsEmpty()) {
            const bool inFilter = mCharacterFilter.Find(WString(c)) >= 0;
            if (inFilter != mFilterInclusive) {
                return S_OK;
            }
        }
        InsertCharacter(c);
        return S_OK;
    }
    const int32_t length = GetTextLength();
    // The extra bit (keys of the extended block) does not change what a key means here.
    switch (code & ~KeyCode::kExtraBit) {
        case kTextKeyLeft:
            ClearSelection();
            if (mCaret > 0) {
                SetCaretPosition(mCaret - 1, false);
            }
            return S_OK;
        case kTextKeyRight:
            ClearSelection();
            if (mCaret < length) {
                SetCaretPosition(mCaret + 1, false);
            }
            return S_OK;
        case kTextShift | kTextKeyLeft:
            if (mCaret > 0) {
                const int32_t anchor = mAnchor;
                if (HasSelection()) {
                    if (mAnchor < mCaret) {
                        SetSelection(mSelectionStart, mSelectionLength - 1, anchor);
                    } else {
                        SetSelection(mSelectionStart - 1, mSelectionLength + 1, anchor);
                    }
                } else {
                    SetSelection(mCaret - 1, 1, mCaret);
                }
                SetCaretPosition(mCaret - 1, false);
            }
            return S_OK;
        case kTextShift | kTextKeyRight:
            if (mCaret < length) {
                const int32_t anchor = mAnchor;
                if (HasSelection()) {
                    if (mCaret < mAnchor) {
                        SetSelection(mSelectionStart + 1, mSelectionLength - 1, anchor);
                    } else {
                        SetSelection(mSelectionStart, mSelectionLength + 1, anchor);
                    }
                } else {
                    SetSelection(mCaret, 1, mCaret);
                }
                SetCaretPosition(mCaret + 1, false);
            }
            return S_OK;
        case kTextCtrl | kTextKeyLeft:
            ClearSelection();
            SetCaretPosition(FindPreviousWordStart(), false);
            return S_OK;
        case kTextCtrl | kTextKeyRight:
            ClearSelection();
            SetCaretPosition(FindNextWordStart(), false);
            return S_OK;
        case kTextCtrl | kTextShift | kTextKeyLeft:
            SelectTo(FindPreviousWordStart());
            return S_OK;
        case kTextCtrl | kTextShift | kTextKeyRight:
            SelectTo(FindNextWordStart());
            return S_OK;
        case kTextKeyHome:
            ClearSelection();
            SetCaretPosition(0, false);
            return S_OK;
        case kTextKeyEnd:
            ClearSelection();
            SetCaretPosition(length, false);
            return S_OK;
        case kTextShift | kTextKeyHome:
            if (mCaret > 0) {
                SetSelection(0, mAnchor, mAnchor);
                SetCaretPosition(0, false);
            }
            return S_OK;
        case kTextShift | kTextKeyEnd:
            if (mCaret < length) {
                SetSelection(mAnchor, length - mAnchor, mAnchor);
                SetCaretPosition(length, false);
            }
            return S_OK;
        case kTextKeyBackspace:
        case kTextShift | kTextKeyDelete:
            if (HasSelection()) {
                DeleteRange(mSelectionStart, mSelectionLength);
            } else if (mCaret > 0) {
                DeleteRange(mCaret - 1, 1);
            }
            return S_OK;
        case kTextKeyDelete:
            if (HasSelection()) {
                DeleteRange(mSelectionStart, mSelectionLength);
            } else if (mCaret < length) {
                DeleteRange(mCaret, 1);
            }
            return S_OK;
        case kTextCtrl | kTextKeyDelete:
            if (HasSelection()) {
                DeleteRange(mSelectionStart, mSelectionLength);
            } else {
                DeleteRange(mCaret, length - mCaret);
            }
            return S_OK;
        case kTextKeyEnter:
            return Validate()->accepted ? 1 : S_OK;
        default:
            break;
    }
    const uint32_t key = (code & KeyCode::kVirtualKeyMask) >> 16;
    if ((code & KeyCode::kDownBit) != 0 &&
        (key == 0x20 || (key >= 0x30 && key <= 0x39) || (key >= 0x41 && key <= 0x5A))) {
        // The character comes as its own event; with Ctrl, Alt or Cmd the chord is a shortcut.
        return (code & (KeyCode::kCtrlBit | KeyCode::kAltBit | KeyCode::kCmdBit)) != 0 ? 1 : S_OK;
    }
    return 1;  // the arrows up and down and every other key go on
}

// Editing.

void LTextBox::InsertCharacter(WChar c) {
    RCPtr<LControl> hold(this);
    WString text = GetText();
    if (HasSelection()) {
        text.Delete(mSelectionStart, mSelectionLength);
        mCaret = mSelectionStart;
        ClearSelection();
    }
    if (mMaxLength > 0 && text.GetLength() >= mMaxLength) {
        // Full: the text keeps its length (a replaced selection is still removed).
    } else {
        text.Insert(mCaret, WString(c));
    }
    const int32_t at = mCaret;
    if (ChangeText(text, false) == S_OK) {
        SetCaretPosition(std::min(at + 1, GetTextLength()), true);
    }
}

int32_t LTextBox::DeleteRange(int32_t start, int32_t count) {
    RCPtr<LControl> hold(this);
    WString text = GetText();
    const int32_t length = text.GetLength();
    if (start >= 0 && count > 0 && start < length && start + count <= length) {
        text.Delete(start, count);
    }
    const int32_t result = ChangeText(text, false);
    if (result == S_OK) {
        SetCaretPosition(start, true);
    }
    return result;
}

int32_t LTextBox::DeleteSelection() {
    return HasSelection() ? DeleteRange(mSelectionStart, mSelectionLength) : 1;
}

int32_t LTextBox::ReplaceSelection(const WString& replacement) {
    if (!HasSelection()) {
        return E_FAIL;
    }
    const int32_t length = GetTextLength();
    if (mMaxLength > 0 && length - mSelectionLength + replacement.GetLength() > mMaxLength) {
        return E_FAIL;
    }
    RCPtr<LControl> hold(this);
    const int32_t start = mSelectionStart;
    WString text = GetText();
    text.Delete(start, mSelectionLength);
    text.Insert(start, replacement);
    const int32_t result = ChangeText(text, false);
    SetCaretPosition(std::min(start + replacement.GetLength(), GetTextLength()), true);
    ClearSelection();
    return result;
}

int32_t LTextBox::FindNextWordStart() const {
    const WString& text = GetText();
    const WChar* p = text.GetString();
    const int32_t length = text.GetLength();
    int32_t i = std::clamp(mCaret, 0, length);
    while (i < length && IsSpaceCharacter(p[i])) {
        ++i;
    }
    while (i < length && !IsSpaceCharacter(p[i])) {
        ++i;
    }
    while (i < length && IsSpaceCharacter(p[i])) {
        ++i;
    }
    return i;
}

int32_t LTextBox::FindPreviousWordStart() const {
    const WString& text = GetText();
    const WChar* p = text.GetString();
    const int32_t length = text.GetLength();
    int32_t i = std::clamp(mCaret, 0, length);
    if (i == 0) {
        return 0;
    }
    --i;
    while (i > 0 && IsSpaceCharacter(p[i])) {
        --i;
    }
    while (i > 0 && !IsSpaceCharacter(p[i])) {
        --i;
    }
    return IsSpaceCharacter(p[i]) ? i + 1 : i;
}

// Pointer.

int32_t LTextBox::HandleLeftButtonDown(const RCPtr<LMouseButtonParam>& param) {
    if (!param) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const int32_t index = HitTestCharacter({static_cast<double>(param->x), static_cast<double>(param->y)});
    if ((param->modifiers & KeyCode::kShift) != 0) {
        SelectTo(index);
    } else {
        ClearSelection();
        SetCaretPosition(index, false);
        mAnchor = index;
    }
    return S_OK;
}

int32_t LTextBox::HandleLeftClick(const RCPtr<LMouseButtonParam>& param) {
    if (!param || (!param->doubleClick && (param->modifiers & KeyCode::kCtrl) == 0)) {
        return S_OK;
    }
    RCPtr<LControl> hold(this);
    // The word under the caret, without the blanks after it.
    ClearSelection();
    SetCaretPosition(FindPreviousWordStart(), false);
    int32_t end = FindNextWordStart();
    const WChar* p = GetText().GetString();
    while (end > mCaret && IsSpaceCharacter(p[end - 1])) {
        --end;
    }
    SelectTo(end);
    return S_OK;
}

int32_t LTextBox::HandleMouseMove(const RCPtr<LPointWithModifiersParam>& param) {
    if (!param || (GetConditions() & kLeftDragging) == 0) {
        return S_OK;
    }
    RCPtr<LControl> hold(this);
    const RectT<float> area = GetTextArea();
    const double left = std::trunc(area.x);
    const double right = std::trunc(area.x + area.width);
    const double top = std::trunc(area.y);
    const double bottom = std::trunc(area.y + area.height);
    const double x = std::clamp(static_cast<double>(param->x), left, std::max(left, right));
    const double y = std::clamp(static_cast<double>(param->y), top, std::max(top, bottom));
    SelectTo(HitTestCharacter({x, y}));
    if (!mAutoScrollX) {
        return S_OK;
    }
    double velocity = 0;
    if (param->x > right - kDragScrollMargin) {
        velocity = (std::min(static_cast<double>(param->x), right) - (right - kDragScrollMargin) + 1) *
                   kDragScrollSpeed;
    } else if (param->x < left + kDragScrollMargin) {
        velocity = (std::max(static_cast<double>(param->x), left) - (left + kDragScrollMargin) + 1) *
                   kDragScrollSpeed;
    }
    if (velocity == 0) {
        StopScrollAnimation(0);
        return S_OK;
    }
    StartScrollAnimation(0, velocity, MaximumScrollX(), 0, RCPtr<LControl>(this));
    return S_OK;
}

// Focus and conditions.

void LTextBox::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LScrollView::OnConditionsChanged(param);
    if (!param) {
        return;
    }
    RCPtr<LControl> hold(this);
    const uint32_t before = param->previous;
    const uint32_t now = param->current;
    const uint32_t changed = before ^ now;
    RCPtr<IRootWindow> window = GetRootWindow();
    if ((changed & kHasFocus) != 0 && (now & kHasFocus) != 0) {
        if (window) {
            window->SetTextInputFocus(true, hold, false);
        }
        ScrollCaretIntoView();
        UpdateLooks();
        ShowCaretNow();
        InvalidateAll();
        if (!mHoldsIdleWork) {
            mHoldsIdleWork = true;
            BeginIdleWork();
        }
    } else if ((changed & kHasFocus) != 0) {
        if (window) {
            window->SetTextInputFocus(false, hold, false);
        }
        if (mHoldsIdleWork) {
            mHoldsIdleWork = false;
            EndIdleWork();
        }
        mCaretShown = false;
        SetScrollOffset({0, 0});
        UpdateLooks();
        InvalidateAll();
    } else if ((changed & now & kHoverOrHighlighted) != 0) {
        SetCursor(static_cast<int32_t>(GetApplicationServices().GetCursor(WString(u"UI_CURSOR_IBEAM"))));
    } else if ((before & kLeftDragging) != 0 && (now & kLeftDragging) == 0) {
        StopScrollAnimation(0);
        StopScrollAnimation(1);
    }
    if ((changed & (kHoverOrHighlighted | kHasFocus | kEnabled)) != 0 ||
        ((before & kLeftDragging) != 0 && (now & kLeftDragging) == 0)) {
        UpdateLooks();
    }
}

int32_t LTextBox::SetFocus(bool forward) {
    if (HasFocus()) {
        Validate();
    }
    return LScrollView::SetFocus(forward);
}

bool LTextBox::AcceptsInput() {
    return Validate()->accepted;
}

// Validation.

RCPtr<LTextValidationParams> LTextBox::Validate() {
    RCPtr<LControl> hold(this);
    RCPtr<LTextValidationParams> params = LTextValidationParams::Create(GetText());
    RCPtr<LRefCountedObject> shared(params.Get());
    LNotificationDistributor::Notify(LNotification::Create(u"NID_TEXTBOX_VALIDATING", shared));
    if (params->accepted && params->text != GetText()) {
        ChangeText(params->text, false);
    }
    if (params->accepted) {
        LNotificationDistributor::Notify(LNotification::Create(u"NID_TEXTBOX_VALIDATED", shared));
    }
    return params;
}

// Edit commands.

RCPtr<LClipboard> LTextBox::GetClipboard() {
    return LClipboard::GetCurrent();
}

bool LTextBox::IsEditTarget() {
    return true;
}

bool LTextBox::CanPerformEdit(int32_t edit) {
    if (edit == LClipboard::kEditDelete || edit == LClipboard::kEditCut || edit == LClipboard::kEditCopy) {
        return HasSelection();
    }
    RCPtr<LClipboard> clipboard = GetClipboard();
    RCPtr<LRefCountedObject> value = clipboard ? clipboard->GetText() : nullptr;
    if (!value) {
        return false;
    }
    const WString text = value->ToString();
    return mMaxLength <= 0 || GetTextLength() - mSelectionLength + text.GetLength() <= mMaxLength;
}

int32_t LTextBox::PerformEdit(int32_t edit) {
    RCPtr<LControl> hold(this);
    RCPtr<LClipboard> clipboard = GetClipboard();
    switch (edit) {
        case LClipboard::kEditCopy:
        case LClipboard::kEditCut:
            if (!HasSelection() || !clipboard) {
                return E_FAIL;
            }
            clipboard->SetText(RCPtr<LRefCountedObject>(LClipboardText::Create(GetSelectedText()).Get()));
            if (edit == LClipboard::kEditCut) {
                DeleteSelection();
            }
            return S_OK;
        case LClipboard::kEditDelete:
            if (!HasSelection()) {
                return E_FAIL;
            }
            DeleteSelection();
            return S_OK;
        case LClipboard::kEditPaste: {
            RCPtr<LRefCountedObject> value = clipboard ? clipboard->GetText() : nullptr;
            if (!value) {
                return E_FAIL;
            }
            return PasteText(value->ToString());
        }
        default:
            return E_FAIL;
    }
}

int32_t LTextBox::PasteText(const WString& pasted) {
    if (HasSelection()) {
        return ReplaceSelection(pasted);
    }
    const int32_t length = GetTextLength();
    if (mMaxLength > 0 && length + pasted.GetLength() > mMaxLength) {
        return E_FAIL;
    }
    WString text = GetText();
    const int32_t at = std::clamp(mCaret, 0, length);
    text.Insert(at, pasted);
    if (ChangeText(text, false) != S_OK) {
        return E_FAIL;
    }
    SetCaretPosition(std::min(at + pasted.GetLength(), GetTextLength()), true);
    return S_OK;
}

int32_t LTextBox::GetCommandState(const WString& command, uint8_t& enabled) {
    const int32_t kind = EditKindOfCommand(command);
    if (kind < 0) {
        return 1;
    }
    RCPtr<LClipboard> clipboard = GetClipboard();
    enabled = clipboard && clipboard->CanEditFocusedControl(kind) ? 1 : 0;
    return S_OK;
}

}  // namespace QV
