#include "RIZozivirod/Utilities/Graphics/FontText.h"

#include <algorithm>
#include <cmath>

#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Renderer/MeasurementRenderer.h"

namespace QV {
namespace {

RCPtr<LMeasurementRenderer> ApplicationMeasurer() {
    return GetApplicationServices().GetMeasuringRenderer();
}

// Position of the last unit c among the first count units of text, or -1.
int32_t LastOf(const WString& text, char16_t c, int32_t count) {
    const char16_t* units = text.GetString();
    for (int32_t i = std::min(count, text.GetLength()) - 1; i >= 0; --i) {
        if (units[i] == c) {
            return i;
        }
    }
    return -1;
}

// The text split at every line feed; empty paragraphs are kept, so there is always one.
std::vector<WString> SplitParagraphs(const WString& text) {
    std::vector<WString> paragraphs;
    const char16_t* units = text.GetString();
    const int32_t length = text.GetLength();
    int32_t start = 0;
    for (int32_t i = 0; i <= length; ++i) {
        if (i == length || units[i] == u'\n') {
            paragraphs.push_back(text.Mid(start, i - start));
            start = i + 1;
        }
    }
    return paragraphs;
}

bool IsBreakSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

}  // namespace

LFontText::LFontText(const WString& text, const RCPtr<LFont>& font) : mText(text), mFont(font) {}

RCPtr<LFontText> LFontText::Create(const WString& text, const RCPtr<LFont>& font) {
    return RCPtr<LFontText>(new LFontText(text, font));
}

void LFontText::Invalidate() {
    mLines.clear();
    mLineRects.clear();
}

bool LFontText::SetText(const WString& text) {
    if (text == mText) {
        return false;
    }
    mText = text;
    Invalidate();
    return true;
}

bool LFontText::SetFont(const RCPtr<LFont>& font) {
    const bool changed = (!font != !mFont) || (font && mFont && *font != *mFont);
    mFont = font;
    if (changed) {
        Invalidate();
    }
    return changed;
}

void LFontText::SetWrap(bool wrap) {
    if (wrap != mWrap) {
        mWrap = wrap;
        Invalidate();
    }
}

void LFontText::SetBoxSize(int32_t width, int32_t height) {
    if (width != mBoxWidth || height != mBoxHeight) {
        mBoxWidth = width;
        mBoxHeight = height;
        Invalidate();
    }
}

void LFontText::SetHorizontalAlignment(float factor) {
    if (factor != mHorizontalAlignment) {
        mHorizontalAlignment = factor;
        mLineRects.clear();
    }
}

void LFontText::SetVerticalAlignment(float factor) {
    if (factor != mVerticalAlignment) {
        mVerticalAlignment = factor;
        mLineRects.clear();
    }
}

float LFontText::MeasuredWidth(LMeasurementRenderer* measurer, const WString& text) const {
    if (measurer == nullptr) {
        return 0.0f;
    }
    const RectT<float> r = measurer->MeasureText(text, mFont);
    return r.x + r.width;
}

// The break is the longest prefix ending before a space that fits (after the following word's
// hyphen when that still fits), else the longest fitting prefix ending after a hyphen of the
// first word, else that word's first hyphenated part or the whole word. Widths grow with the
// prefix, so the candidates are measured from the shortest up and the first that does not fit
// ends the search: each is measured at most once, the whole text only when every space
// candidate fits.
int32_t LFontText::BreakLine(LMeasurementRenderer* measurer, int32_t width, const WString& text) const {
    const float limit = static_cast<float>(width);
    const char16_t* units = text.GetString();
    const int32_t length = text.GetLength();
    auto fits = [&](int32_t count) { return MeasuredWidth(measurer, text.Left(count)) <= limit; };

    // The longest prefix at a space (not at the very start) that fits, and where the text is
    // cut after it: at the next space, or its end.
    int32_t fitting = -1;
    int32_t end = length;
    for (int32_t i = 1; i < length; ++i) {
        if (units[i] != u' ') {
            continue;
        }
        if (!fits(i)) {
            end = i;
            break;
        }
        fitting = i;
    }
    if (end == length && MeasuredWidth(measurer, text) < limit) {
        return length;
    }
    if (fitting >= 1) {
        // A hyphen in the word after the space may carry that word's first part along.
        const int32_t h = 1 + LastOf(text, u'-', end);
        if (h > fitting && fits(h)) {
            return h;
        }
        return fitting;
    }
    // No usable space: the first word (up to the first space past the start). Its breaks after a
    // hyphen, one that ends the word excepted, from the shortest up.
    int32_t lastFitting = -1;
    int32_t first = -1;
    for (int32_t i = 0; i < end - 1; ++i) {
        if (units[i] != u'-') {
            continue;
        }
        if (first < 0) {
            first = i + 1;
        }
        if (!fits(i + 1)) {
            break;
        }
        lastFitting = i + 1;
    }
    if (lastFitting >= 1) {
        return lastFitting;
    }
    return first >= 1 ? first : end;
}

void LFontText::WrapLines(LMeasurementRenderer* measurer, int32_t width, std::vector<WString>& out) const {
    out.clear();
    for (WString p : SplitParagraphs(mText)) {
        const int32_t length = p.GetLength();
        int32_t n = BreakLine(measurer, width, p);
        WString line = n >= length ? p : p.Left(n);
        int32_t consumed = n;
        while (consumed < length) {
            // The next line starts after the white space at the break.
            const char16_t* units = p.GetString();
            int32_t start = n;
            while (start < p.GetLength() && IsBreakSpace(units[start])) {
                ++start;
            }
            WString rest = p.Mid(start);
            p = rest;
            if (rest.IsEmpty()) {
                // Only white space was left: it ends the paragraph.
                break;
            }
            out.push_back(line);
            n = BreakLine(measurer, width, rest);
            line = rest.Left(n);
            consumed = (length - rest.GetLength()) + n;
        }
        out.push_back(line);
    }
}

void LFontText::PositionLines(LMeasurementRenderer* measurer) {
    mLineRects.clear();
    if (mLines.empty()) {
        mLines.emplace_back();
    }
    const float count = static_cast<float>(mLines.size());
    const float lineHeight = mFont ? static_cast<float>(mFont->GetHeight()) : 0.0f;
    const float top = (static_cast<float>(mBoxHeight) - lineHeight * count) * mVerticalAlignment;
    for (size_t i = 0; i < mLines.size(); ++i) {
        RectT<float> r{};
        if (measurer != nullptr) {
            r = measurer->MeasureText(mLines[i], mFont);
        }
        const float w = r.x + r.width;
        mLineRects.push_back({(static_cast<float>(mBoxWidth) - w) * mHorizontalAlignment,
                              lineHeight * static_cast<float>(i) + top, w, r.height});
    }
}

int32_t LFontText::Layout() {
    RCPtr<LMeasurementRenderer> measurer = ApplicationMeasurer();
    if (mLines.empty()) {
        if (mWrap) {
            WrapLines(measurer.Get(), mBoxWidth, mLines);
        } else {
            mLines = SplitParagraphs(mText);
        }
    }
    if (mLineRects.empty()) {
        PositionLines(measurer.Get());
    }
    return static_cast<int32_t>(mLineRects.size());
}

WString LFontText::GetLine(int32_t i) const {
    return i >= 0 && static_cast<size_t>(i) < mLines.size() ? mLines[i] : WString();
}

RectT<float> LFontText::GetLineRect(int32_t i) const {
    return i >= 0 && static_cast<size_t>(i) < mLineRects.size() ? mLineRects[i] : RectT<float>{};
}

PointT<int32_t> LFontText::GetTextSize() {
    Layout();
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    for (const RectT<float>& r : mLineRects) {
        left = std::min(left, r.x);
        top = std::min(top, r.y);
        right = std::max(right, r.x + r.width);
        bottom = std::max(bottom, r.y + r.height);
    }
    constexpr double kLimit = 8388608.0;  // 2^23
    auto size = [&](float extent) {
        return RoundToInt32(std::clamp(static_cast<double>(extent), -kLimit, kLimit));
    };
    return {size(right - left), size(bottom - top)};
}

int32_t LFontText::GetNaturalWidth() const {
    RCPtr<LMeasurementRenderer> measurer = ApplicationMeasurer();
    float widest = 0.0f;
    for (const WString& line : SplitParagraphs(mText)) {
        widest = std::max(widest, MeasuredWidth(measurer.Get(), line));
    }
    return RoundToInt32(std::trunc(static_cast<double>(widest + 0.99f)));
}

int32_t LFontText::GetHeightForWidth(int32_t width) const {
    size_t count;
    if (mWrap) {
        std::vector<WString> lines;
        WrapLines(ApplicationMeasurer().Get(), width, lines);
        count = lines.size();
    } else {
        count = SplitParagraphs(mText).size();
    }
    return static_cast<int32_t>(count) * (mFont ? mFont->GetHeight() : 0);
}

}  // namespace QV
