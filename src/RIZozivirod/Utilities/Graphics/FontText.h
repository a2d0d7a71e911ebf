#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LMeasurementRenderer;

// A block of text in a box: paragraphs at line breaks, optionally word-wrapped to the box width
// (at spaces, then after hyphens), each line placed by a horizontal and a vertical alignment
// factor (0 left or top, 0.5 centre, 1 right or bottom). Layout is lazy: a change empties the
// lines or only their places, and the next Layout computes what is missing. Measuring goes
// through the application's measuring renderer; without one every text measures 0 wide and
// lines are 0 high. User-interface thread only.
class LFontText : public virtual LRefCountedObject {
public:
    // Alignments 0, no wrap, a 0 x 0 box.
    static RCPtr<LFontText> Create(const WString& text, const RCPtr<LFont>& font);

    // False when the text is the one held; otherwise it is stored and the layout emptied.
    bool SetText(const WString& text);
    // Changed when exactly one of the old and the new font is null or both differ; the new
    // font object is stored in every case.
    bool SetFont(const RCPtr<LFont>& font);
    void SetWrap(bool wrap);
    void SetBoxSize(int32_t width, int32_t height);
    void SetHorizontalAlignment(float factor);
    void SetVerticalAlignment(float factor);

    const WString& GetText() const { return mText; }
    const RCPtr<LFont>& GetFont() const { return mFont; }
    bool GetWrap() const { return mWrap; }
    float GetHorizontalAlignment() const { return mHorizontalAlignment; }
    float GetVerticalAlignment() const { return mVerticalAlignment; }
    int32_t GetBoxWidth() const { return mBoxWidth; }
    int32_t GetBoxHeight() const { return mBoxHeight; }

    // Breaks and places what a change emptied; the number of lines.
    int32_t Layout();
    // After Layout: the text and the rectangle of line i; empty and (0, 0, 0, 0) past the end.
    WString GetLine(int32_t i) const;
    RectT<float> GetLineRect(int32_t i) const;
    // The laid-out block with the box's origin, rounded.
    PointT<int32_t> GetTextSize();
    // The widest unwrapped line, rounded up.
    int32_t GetNaturalWidth() const;
    // Lines at that width (wrapped or not, as set) times the line height; the block's own
    // lines stay as they are.
    int32_t GetHeightForWidth(int32_t width) const;

    // How many leading characters of text make its next line at width.
    int32_t BreakLine(LMeasurementRenderer* measurer, int32_t width, const WString& text) const;
    void WrapLines(LMeasurementRenderer* measurer, int32_t width, std::vector<WString>& out) const;
    void PositionLines(LMeasurementRenderer* measurer);

private:
    LFontText(const WString& text, const RCPtr<LFont>& font);
    // The right edge of the text's measured rectangle.
    float MeasuredWidth(LMeasurementRenderer* measurer, const WString& text) const;
    void Invalidate();

    WString mText;
    RCPtr<LFont> mFont;
    float mHorizontalAlignment = 0.0f;
    float mVerticalAlignment = 0.0f;
    bool mWrap = false;
    int32_t mBoxWidth = 0;
    int32_t mBoxHeight = 0;
    std::vector<WString> mLines;
    std::vector<RectT<float>> mLineRects;
};

}  // namespace QV
