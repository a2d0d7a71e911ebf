#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/ScrollView.h"

namespace QV {

class LClipboard;

// The shared parameter of "NID_TEXTBOX_VALIDATING" and "NID_TEXTBOX_VALIDATED": the text the box
// will keep (handlers may replace it), the text it had when validation began, and whether it is
// accepted (handlers may refuse it).
class LTextValidationParams : public LRefCountedObject {
public:
    static RCPtr<LTextValidationParams> Create(const WString& text);

    WString text;
    WString initialText;
    bool accepted = true;

private:
    explicit LTextValidationParams(const WString& value) : text(value), initialText(value) {}
};

// The single-line text box ("Framework.TextBox"): a text with a caret, a selection anchored at
// one end, an optional character filter and maximum length, a hint shown while it is empty and
// unfocused, and optional horizontal scrolling that keeps the caret in view. Every change of the
// text, by typing, deleting, pasting, validation or a setter, goes through ChangeText, which
// sends "NID_TEXTBOX_TEXT_CHANGE" with the box as parameter. Caret and anchor always stay
// within 0 .. length.
//
// Looks (14): 0 normal, 1 hovered, 2 empty with hint, 3 focused, 4 focused and hovered, 6
// disabled, 9 the hint text drawn over look 2, 10 and 11 the selection drawn over 3 and 4.
//
// Keys: arrows, Ctrl+arrows by word, Home and End, each with Shift to select; Backspace,
// Delete, Shift+Delete, Ctrl+Delete; Enter validates. Ctrl+letter chords are left to the
// shortcuts (copy, cut, paste); the context menu offers Cut, Copy, Paste and Delete through the
// application's clipboard. Validation ("NID_TEXTBOX_VALIDATING", then "NID_TEXTBOX_VALIDATED"
// when accepted) runs on Enter and when the focus leaves. User-interface thread only.
class LTextBox : public LScrollView {
public:
    // Seconds the caret stays shown, and hidden, while blinking.
    static constexpr double kCaretOnTime = 0.5;
    static constexpr double kCaretOffTime = 0.3;

    LTextBox(const RCPtr<LControl>& parent, const WString& name);

    // New slot, after LScrollView's.
    virtual int32_t SetTextInternal(const WString& text, bool resetCaret);  // 97

    int32_t SetText(const WString& text) override;
    PointT<double> SetScrollOffset(const PointT<double>& offset) override;
    bool IsEditTarget() override;
    bool CanPerformEdit(int32_t edit) override;
    int32_t PerformEdit(int32_t edit) override;
    int32_t SetFocus(bool forward) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t AttachToRootWindow() override;
    int32_t GetCommandState(const WString& command, uint8_t& enabled) override;
    int32_t ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    int32_t HandleLeftButtonDown(const RCPtr<LMouseButtonParam>& param) override;
    int32_t HandleMouseMove(const RCPtr<LPointWithModifiersParam>& param) override;
    int32_t HandleLeftClick(const RCPtr<LMouseButtonParam>& param) override;
    int32_t HandleKeyDown(const RCPtr<LKeyParam>& param) override;
    void OnIdleTick() override;
    int32_t PaintContent(const RCPtr<LRenderer>& renderer) override;
    int32_t Initialize() override;
    WString GetToolTipText() override;
    bool AcceptsInput() override;

    // The text model. 0 when the text changed, 1 when it was the current text (then nothing
    // else happens).
    int32_t ChangeText(const WString& text, bool resetCaret);
    int32_t GetTextLength() const;
    // E_INVALIDARG outside 0 .. length; 1 when the caret is already there; 0 after a move.
    int32_t SetCaretPosition(int32_t index, bool force);
    int32_t GetCaretPosition() const { return mCaret; }

    // Selection.
    void ClearSelection();
    // (0, -1) selects everything, first -1 clears; otherwise both ends must be characters.
    void SelectRange(int32_t first, int32_t last, bool repaint = true);
    void SelectTo(int32_t index, bool repaint = true);
    void SetSelection(int32_t start, int32_t length, int32_t anchor, bool repaint = true);
    int32_t GetSelectionStart() const { return mSelectionStart; }
    int32_t GetSelectionLength() const { return mSelectionLength; }
    int32_t GetAnchor() const { return mAnchor; }
    bool HasSelection() const { return mSelectionLength > 0; }
    WString GetSelectedText() const;

    // Configuration. n <= 0 is unlimited; a shorter limit cuts the text and puts the caret at its
    // end.
    void SetMaxLength(int32_t n);
    int32_t GetMaxLength() const { return mMaxLength; }
    // The characters typing accepts (an empty filter accepts every printable character).
    void SetCharacterFilter(const WString& characters);
    const WString& GetCharacterFilter() const { return mCharacterFilter; }
    // Axis 0 horizontal, 1 vertical; only the horizontal one scrolls the content.
    void SetAutoScroll(int32_t axis, bool on);
    WString GetHintText() const { return mHintText; }

    // Geometry, in the box's own coordinates (content coordinates for cells).
    RectT<float> GetTextArea() const;
    RectT<float> GetCharacterRect(int32_t index) const;
    RectT<float> GetRangeRect(int32_t first, int32_t last) const;
    int32_t HitTestCharacter(const PointT<double>& point) const;
    int32_t GetLineText(int32_t line, WString& text, int32_t maxCharacters) const;
    const RectT<float>& GetCaretRect() const { return mCaretRect; }
    bool IsCaretShown() const { return mCaretShown; }
    // White over a dark background (average of the channels below 129), else black.
    static uint32_t CaretColorFor(uint32_t background);

    // Refreshes after a change of text, caret, selection, focus or scroll.
    void UpdateCaretRect();
    void ScrollCaretIntoView();
    void UpdateLooks();

    // Editing operations of the keys and commands.
    void InsertCharacter(WChar c);
    int32_t DeleteRange(int32_t start, int32_t count);
    int32_t DeleteSelection();
    int32_t ReplaceSelection(const WString& text);
    int32_t FindNextWordStart() const;
    int32_t FindPreviousWordStart() const;
    RCPtr<LTextValidationParams> Validate();

    // The character classes typing and word motion use, on UTF-16 units.
    static bool IsPrintableCharacter(WChar c);
    static bool IsSpaceCharacter(WChar c);
    // Only numbers made of an optional "-", digits and at most one "." are read; anything else
    // (blanks, exponents, hexadecimal, "nan", "inf") is no number.
    static bool ParseDecimal(const WString& text, double& value);

protected:
    ~LTextBox() override;

private:
    struct LineOrigin {
        float x = 0;
        float y = 0;
        float firstLineHeight = 0;
        int32_t lineCount = 0;
    };
    LineOrigin GetLineOrigin() const;
    float MeasureWidth(const WString& text) const;
    float MeasureHeight(const WString& text) const;
    float MaximumScrollX() const;
    void ClampCaretAndAnchor();
    void InvalidateAll();
    void ShowCaretNow();
    int32_t PasteText(const WString& text);
    static RCPtr<LClipboard> GetClipboard();

    WString mCharacterFilter;
    bool mFilterInclusive = true;
    WString mHintText;
    int32_t mCaret = 0;
    int32_t mSelectionStart = 0;
    int32_t mSelectionLength = 0;
    int32_t mAnchor = 0;
    int32_t mMaxLength = 0;
    bool mAutoScrollX = false;
    bool mAutoScrollY = false;
    RectT<float> mCaretRect{};
    double mNextBlinkTime = 0;
    bool mCaretShown = true;
    bool mScrollGuard = false;
    bool mHoldsIdleWork = false;
};

}  // namespace QV
