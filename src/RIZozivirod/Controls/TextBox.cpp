#include "RIZozivirod/Controls/TextBox.h"

#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/Look.h"
#include "RIZozivirod/Controls/MenuDescriptor.h"
#include "RIZozivirod/Renderer/MeasurementRenderer.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "RIZozivirod/System/Desktop/Clipboard.h"
#include "RIZozivirod/Utilities/Graphics/Color.h"
#include "RIZozivirod/Utilities/Graphics/RectRegion.h"

namespace QV {

namespace {

constexpr double kTextExtentLimit = 4503599627370496.0;  // 2^52
constexpr double kCaretOffsetLimit = 8388608.0;          // 2^23
constexpr float kRegionEpsilon = 1.0f / 8388608.0f;      // 2^-23

int32_t RoundHalfAwayFromZero(double value) {
    return static_cast<int32_t>(value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5));
}

// The edit menu of every text box: string id, command.
constexpr struct {
    const char16_t* id;
    const char16_t* command;
} kEditMenuItems[] = {
    {u"EDIT_CUT", u"NID_EDIT_CUT_REQ"},
    {u"EDIT_COPY", u"NID_EDIT_COPY_REQ"},
    {u"EDIT_PASTE", u"NID_EDIT_PASTE_REQ"},
    {u"EDIT_DELETE", u"NID_EDIT_DELETE_REQ"},
};

}  // namespace

// Validation parameter.

RCPtr<LTextValidationParams> LTextValidationParams::Create(const WString& text) {
    return RCPtr<LTextValidationParams>(new LTextValidationParams(text));
}

// Construction and set-up.

LTextBox::LTextBox(const RCPtr<LControl>& parent, const WString& name) : LScrollView(parent, name) {}

LTextBox::~LTextBox() = default;

int32_t LTextBox::Initialize() {
    const int32_t result = LScrollView::Initialize();
    if (result < 0) {
        return result;
    }
    // The looks draw the text moved with the content, so a scrolled box shows its caret's part.
    SetTextFollowsScroll(true);
    UpdateCaretRect();
    return result;
}

int32_t LTextBox::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) {
    // The "LABEL" text of the box's string table is its hint, never its content.
    const WString before = GetText();
    const int32_t result = LScrollView::ApplyDescriptor(descriptor);
    WString hint;
    const RCPtr<LStringTable> strings = GetStringTable();
    if (strings && strings->GetString(u"LABEL", hint)) {
        SetText(before);
        mHintText = hint;
        if (!mHintText.IsEmpty() && GetLookCount() > 9) {
            GetLook(9)->SetText(mHintText);
            UpdateLooks();
        }
    }
    return result;
}

int32_t LTextBox::AttachToRootWindow() {
    const int32_t result = LScrollView::AttachToRootWindow();
    const RCPtr<LControlFactory> factory = LControlFactory::GetCurrent();
    const RCPtr<LStringTable> strings = factory ? factory->GetFrameworkStringTable() : nullptr;
    if (strings) {
        RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
        for (const auto& item : kEditMenuItems) {
            WString label;
            strings->GetString(item.id, label);
            menu->InsertItem(menu->GetItemCount(), label, WString(item.command), true, false);
        }
        SetContextMenu(RCPtr<LRefCountedObject>(menu.Get()));
    }
    return result;
}

// Text model.

int32_t LTextBox::SetText(const WString& text) {
    return ChangeText(text, true);
}

int32_t LTextBox::SetTextInternal(const WString& text, bool resetCaret) {
    return ChangeText(text, resetCaret);
}

int32_t LTextBox::GetTextLength() const {
    return GetText().GetLength();
}

int32_t LTextBox::ChangeText(const WString& text, bool resetCaret) {
    RCPtr<LControl> hold(this);
    if (!UpdateText(text, true)) {
        return 1;
    }
    if (LLook* look = GetLook(0); look != nullptr && look->GetTextBlock()) {
        const PointT<int32_t> size = look->GetTextBlock()->GetTextSize();
        SetClientExtent({std::clamp(static_cast<double>(size.x), -kTextExtentLimit, kTextExtentLimit),
                         std::clamp(static_cast<double>(size.y), -kTextExtentLimit, kTextExtentLimit)});
    }
    ClearSelection();
    if (resetCaret) {
        SetCaretPosition(0, true);
    } else {
        // A caret or anchor beyond a shorter text comes back to its end.
        ClampCaretAndAnchor();
        UpdateCaretRect();
    }
    ScrollCaretIntoView();
    if (!mHintText.IsEmpty() && GetLookCount() > 9) {
        GetLook(9)->SetText(mHintText);
        UpdateLooks();
    }
    LNotificationDistributor::Notify(
        LNotification::Create(u"NID_TEXTBOX_TEXT_CHANGE", RCPtr<LRefCountedObject>(hold.Get())));
    return S_OK;
}

void LTextBox::ClampCaretAndAnchor() {
    const int32_t length = GetTextLength();
    mCaret = std::clamp(mCaret, 0, length);
    mAnchor = std::clamp(mAnchor, 0, length);
}

int32_t LTextBox::SetCaretPosition(int32_t index, bool force) {
    if (index < 0 || index > GetTextLength()) {
        return E_INVALIDARG;
    }
    if (index == mCaret && !force) {
        if (!HasSelection()) {
            mAnchor = mCaret;
        }
        return 1;
    }
    const bool moved = index != mCaret;
    mCaret = index;
    if (!HasSelection()) {
        mAnchor = mCaret;
    }
    UpdateCaretRect();
    ScrollCaretIntoView();
    ShowCaretNow();
    InvalidateAll();
    return moved ? S_OK : 1;
}

void LTextBox::ShowCaretNow() {
    mCaretShown = true;
    mNextBlinkTime = GetApplicationServices().GetTime() + kCaretOnTime;
}

void LTextBox::InvalidateAll() {
    InvalidateRect({0, 0, GetFrame().width, GetFrame().height}, ClipsToParent());
}

// Selection.

void LTextBox::ClearSelection() {
    const bool had = mSelectionStart != 0 || mSelectionLength != 0;
    mSelectionStart = 0;
    mSelectionLength = 0;
    mAnchor = 0;
    if (had) {
        UpdateLooks();
    }
}

void LTextBox::SelectRange(int32_t first, int32_t last, bool repaint) {
    const int32_t length = GetTextLength();
    int32_t start = 0;
    int32_t count = 0;
    if (first == 0 && last == -1) {
        count = length;
    } else if (first == -1) {
        ClearSelection();
        return;
    } else if (first < 0 || first >= length || last < 0 || last >= length) {
        return;
    } else {
        start = std::min(first, last);
        count = std::abs(last - first) + 1;
    }
    const bool changed = start != mSelectionStart || count != mSelectionLength;
    mSelectionStart = start;
    mSelectionLength = count;
    mAnchor = start;
    if (changed && repaint) {
        UpdateLooks();
    }
}

void LTextBox::SetSelection(int32_t start, int32_t length, int32_t anchor, bool repaint) {
    if (length > 0) {
        SelectRange(start, start + length - 1, repaint);
    } else {
        const bool changed = start != mSelectionStart || mSelectionLength != 0;
        mSelectionStart = start;
        mSelectionLength = 0;
        if (changed && repaint) {
            UpdateLooks();
        }
    }
    mAnchor = anchor;
}

void LTextBox::SelectTo(int32_t index, bool repaint) {
    SetSelection(std::min(mAnchor, index), std::abs(index - mAnchor), mAnchor, repaint);
    SetCaretPosition(index, false);
}

WString LTextBox::GetSelectedText() const {
    return HasSelection() ? GetText().Mid(mSelectionStart, mSelectionLength) : WString();
}

// Configuration.

void LTextBox::SetMaxLength(int32_t n) {
    mMaxLength = std::max(n, 0);
    if (mMaxLength > 0 && GetTextLength() > mMaxLength) {
        if (ChangeText(GetText().Left(mMaxLength), false) == S_OK) {
            SetCaretPosition(GetTextLength(), true);
        }
    }
}

void LTextBox::SetCharacterFilter(const WString& characters) {
    mCharacterFilter = characters;
    mFilterInclusive = true;
}

void LTextBox::SetAutoScroll(int32_t axis, bool on) {
    (axis == 0 ? mAutoScrollX : mAutoScrollY) = on;
}

// Geometry.

float LTextBox::MeasureWidth(const WString& text) const {
    if (text.IsEmpty()) {
        return 0.0f;
    }
    RCPtr<LMeasurementRenderer> measurer = GetApplicationServices().GetMeasuringRenderer();
    if (!measurer) {
        return 0.0f;
    }
    const RectT<float> r = measurer->MeasureText(text, GetFont());
    return r.width;
}

float LTextBox::MeasureHeight(const WString& text) const {
    RCPtr<LMeasurementRenderer> measurer = GetApplicationServices().GetMeasuringRenderer();
    return measurer ? measurer->MeasureText(text, GetFont()).height : 0.0f;
}

LTextBox::LineOrigin LTextBox::GetLineOrigin() const {
    LineOrigin origin;
    LLook* look = GetLook(0);
    if (look == nullptr || !look->GetTextBlock()) {
        return origin;
    }
    const RCPtr<LFontText>& block = look->GetTextBlock();
    origin.lineCount = block->Layout();
    if (origin.lineCount > 0) {
        const RectT<float> first = block->GetLineRect(0);
        origin.x = first.x;
        origin.y = first.y;
        origin.firstLineHeight = first.height;
    }
    return origin;
}

RectT<float> LTextBox::GetTextArea() const {
    LLook* look = GetLook(0);
    if (look == nullptr || !look->GetDescriptor()) {
        return {};
    }
    const RectT<double> r = look->GetDescriptor()->GetTextRect(GetFrame().width, GetFrame().height);
    return {static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width),
            static_cast<float>(r.height)};
}

RectT<float> LTextBox::GetCharacterRect(int32_t index) const {
    const WString& text = GetText();
    if (index < 0 || index > text.GetLength()) {
        return {};
    }
    const RectT<float> area = GetTextArea();
    const LineOrigin origin = GetLineOrigin();
    const WString character = text.Mid(index, 1);
    return {area.x + origin.x + (index >= 1 ? MeasureWidth(text.Left(index)) : 0.0f), area.y + origin.y,
            MeasureWidth(character) - 1.0f, MeasureHeight(character)};
}

RectT<float> LTextBox::GetRangeRect(int32_t first, int32_t last) const {
    const int32_t length = GetTextLength();
    if (first < 0 || first > length || last < 0 || last > length) {
        return {};
    }
    if (first == last) {
        return GetCharacterRect(first);
    }
    const RectT<float> low = GetCharacterRect(std::min(first, last));
    const RectT<float> high = GetCharacterRect(std::max(first, last));
    return {low.x, low.y, high.x + high.width - low.x, low.height};
}

int32_t LTextBox::GetLineText(int32_t line, WString& text, int32_t maxCharacters) const {
    LLook* look = GetLook(0);
    if (look != nullptr && look->GetTextBlock() && look->GetTextBlock()->Layout() > 0) {
        text = look->GetTextBlock()->GetLine(line);
    } else {
        text = line == 0 ? GetText() : WString();
    }
    if (maxCharacters >= 0 && text.GetLength() > maxCharacters) {
        text = text.Left(maxCharacters);
    }
    return text.GetLength();
}

int32_t LTextBox::HitTestCharacter(const PointT<double>& point) const {
    const RectT<float> area = GetTextArea();
    const PointT<double>& scroll = GetScrollOffset();
    const double x =
        std::clamp(point.x, static_cast<double>(area.x), static_cast<double>(area.x + area.width)) + scroll.x;
    const double y =
        std::clamp(point.y, static_cast<double>(area.y), static_cast<double>(area.y + area.height)) +
        scroll.y;
    const LineOrigin origin = GetLineOrigin();
    int32_t line = 0;
    const double firstLineBottom = area.y + origin.firstLineHeight;
    const int32_t fontHeight = GetFont() ? GetFont()->GetHeight() : 0;
    if (y > firstLineBottom && fontHeight > 0) {
        line = static_cast<int32_t>((y - firstLineBottom) / fontHeight) + 1;
        line = std::max(0, std::min(line, origin.lineCount - 1));
    }
    WString text;
    const int32_t length = GetLineText(line, text, -1);
    int32_t lo = 0;
    int32_t hi = length - 1;
    while (lo <= hi) {
        const int32_t mid = (lo + hi) / 2;
        const RectT<float> cell = GetCharacterRect(mid);
        if (x > cell.x + cell.width) {
            lo = mid + 1;
        } else if (cell.x > x) {
            hi = mid - 1;
        } else {
            return mid + (x >= cell.x + cell.width * 0.5 ? 1 : 0);
        }
    }
    // Before the first character, after the last, or in the one-pixel seam between two cells:
    // the boundary where the search stopped, which is the nearest one.
    return std::clamp(lo, 0, length);
}

void LTextBox::UpdateCaretRect() {
    const RectT<float> area = GetTextArea();
    const LineOrigin origin = GetLineOrigin();
    const WString before = GetText().Left(std::clamp(mCaret, 0, GetTextLength()));
    mCaretRect = {area.x + origin.x + MeasureWidth(before) - 1.0f, area.y + origin.y, 1.0f,
                  static_cast<float>(GetFont() ? GetFont()->GetHeight() : 0)};
}

float LTextBox::MaximumScrollX() const {
    const RectT<float> area = GetTextArea();
    const double extent = GetClientExtent().x;
    return extent > area.width ? static_cast<float>(extent - area.width + 3.0) : 0.0f;
}

void LTextBox::ScrollCaretIntoView() {
    if ((!mAutoScrollX && !mAutoScrollY) || IsScrollAnimating(0) || IsScrollAnimating(1) || mScrollGuard ||
        !mAutoScrollX) {
        return;
    }
    const RectT<float> area = GetTextArea();
    const PointT<double> scroll = GetScrollOffset();
    const double caretInView = mCaretRect.x - scroll.x;
    // The caret stands one pixel left of the character boundary it marks (at the first character,
    // one pixel left of the text area): the boundary is what has to be in view.
    const double boundaryInView = caretInView + 1.0;
    double x = 0;
    if (boundaryInView < area.x) {
        x = std::max(0.0, static_cast<double>(mCaretRect.x) + 1.0 - area.x - 3.0);
    } else if (caretInView + mCaretRect.width > area.x + area.width) {
        x = mCaretRect.x + mCaretRect.width + 3.0 - (area.x + area.width);
    } else {
        return;
    }
    SetScrollOffset({x, scroll.y});
    UpdateCaretRect();
    UpdateLooks();
}

PointT<double> LTextBox::SetScrollOffset(const PointT<double>& offset) {
    if (mScrollGuard) {
        return GetScrollOffset();
    }
    mScrollGuard = true;
    RCPtr<LControl> hold(this);
    const PointT<double> result = LScrollView::SetScrollOffset(offset);
    if (IsScrollAnimating(0) && (result.x <= 0 || result.x >= MaximumScrollX())) {
        StopScrollAnimation(0);
    }
    RCPtr<IRootWindow> window = GetRootWindow();
    if ((GetConditions() & kLeftDragging) != 0 && window) {
        const PointT<int32_t> pointer = window->GetCursorPos();
        const PointT<double> origin = GetRectInWindow();
        SelectTo(HitTestCharacter({pointer.x - origin.x, pointer.y - origin.y}));
    } else {
        UpdateLooks();
    }
    mScrollGuard = false;
    return result;
}

// Looks.

void LTextBox::UpdateLooks() {
    const uint32_t lookCount = GetLookCount();
    if (lookCount == 0) {
        return;
    }
    if (!IsEnabled(true)) {
        ClearLookRegions();
        SelectLook(6);
        return;
    }
    const uint32_t conditions = GetConditions();
    const bool hot = (conditions & (kHoverOrHighlighted | kLeftDragging)) != 0;
    const bool focused = HasFocus();
    const int32_t base = focused ? (hot ? 4 : 3) : (hot ? 1 : 0);
    const RectT<float> area = GetTextArea();
    if (!focused && GetText().IsEmpty() && !mHintText.IsEmpty()) {
        LLook* hint = lookCount > 9 ? GetLook(9) : nullptr;
        if (hint == nullptr || !hint->GetTextBlock()) {
            return;
        }
        hint->GetTextBlock()->Layout();
        const float width = hint->GetTextBlock()->GetLineRect(0).width;
        const int32_t left = static_cast<int32_t>(std::floor(area.x + 0.5f));
        const int32_t top = static_cast<int32_t>(std::floor(area.y + 0.5f));
        RectRegion region;
        region.AddRect(left, top, left + static_cast<int32_t>(std::floor(width + 0.5f)),
                       top + static_cast<int32_t>(std::floor(area.height + 0.5f)));
        SetLookRegion(9, region);
        SetLookRegionExcluding(2, 9);
        SelectLook(2);
        SetLookWeight(9, 1.0f, false);
        return;
    }
    if (focused && HasSelection() && lookCount > 11) {
        const int32_t overlay = hot ? 11 : 10;
        RectT<float> selection = GetRangeRect(mSelectionStart, mSelectionStart + mSelectionLength - 1);
        const PointT<double>& scroll = GetScrollOffset();
        selection.x -= static_cast<float>(scroll.x);
        selection.y -= static_cast<float>(scroll.y);
        const float left = std::max(selection.x, area.x);
        const float top = std::max(selection.y, area.y);
        const float right = std::min(selection.x + selection.width, area.x + area.width);
        const float bottom = std::min(selection.y + selection.height, area.y + area.height);
        RectRegion region;
        if (right - left > kRegionEpsilon && bottom - top > kRegionEpsilon) {
            region.AddRect(RoundHalfAwayFromZero(left), RoundHalfAwayFromZero(top),
                           RoundHalfAwayFromZero(right), RoundHalfAwayFromZero(bottom));
        }
        ClearLookRegions();
        SetLookRegion(overlay, region);
        SetLookRegionExcluding(base, overlay);
        SelectLook(base);
        SetLookWeight(overlay, 1.0f, false);
        return;
    }
    ClearLookRegions();
    SelectLook(base);
}

// Caret.

void LTextBox::OnIdleTick() {
    LScrollView::OnIdleTick();
    if (!HasFocus()) {
        return;
    }
    const double now = GetApplicationServices().GetTime();
    if (now >= mNextBlinkTime) {
        mCaretShown = !mCaretShown;
        mNextBlinkTime = now + (mCaretShown ? kCaretOnTime : kCaretOffTime);
        InvalidateAll();
    }
}

uint32_t LTextBox::CaretColorFor(uint32_t background) {
    const uint32_t average =
        (((background >> 16) & 0xFF) + ((background >> 8) & 0xFF) + (background & 0xFF)) / 3;
    return average < 129 ? 0xFFFFFFFFu : 0xFF000000u;
}

int32_t LTextBox::PaintContent(const RCPtr<LRenderer>& renderer) {
    LScrollView::PaintContent(renderer);
    if (!renderer || !HasFocus() || !mCaretShown) {
        return S_OK;
    }
    const PointT<double>& scroll = GetScrollOffset();
    const double sx = std::clamp(scroll.x, -kCaretOffsetLimit, kCaretOffsetLimit);
    const double sy = std::clamp(scroll.y, -kCaretOffsetLimit, kCaretOffsetLimit);
    const PointT<int32_t> top{RoundHalfAwayFromZero(mCaretRect.x - sx),
                              RoundHalfAwayFromZero(mCaretRect.y - sy)};
    const PointT<int32_t> bottom{top.x, RoundHalfAwayFromZero(mCaretRect.y + mCaretRect.height - sy)};
    Color color;
    color.SetARGB(CaretColorFor(GetLookColorAt(top, GetCurrentLookIndex())));
    renderer->DrawLine(top, bottom, color, 1.0f);
    return S_OK;
}

WString LTextBox::GetToolTipText() {
    return IsTextClipped() ? GetText() : LScrollView::GetToolTipText();
}

}  // namespace QV
