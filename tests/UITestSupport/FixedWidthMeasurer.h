#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "RIZozivirod/Renderer/MeasurementRenderer.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"

namespace TestSupport {

// A measuring renderer of a fixed-width font: every character is charWidth wide, unless the
// whole text has a width of its own in widths; the measured rectangle starts at x 0 and is
// lineHeight high. Font metrics are (lineHeight, -ascent, descent), or E_FAIL with zeros while
// failMetrics is set. Its font configuration stamp is fontConfiguration. Counts its calls.
class FixedWidthMeasurer : public QV::LMeasurementRenderer {
public:
    float charWidth = 10.0f;
    int32_t lineHeight = 20;
    int32_t ascent = 16;
    int32_t descent = 4;
    bool failMetrics = false;
    uintptr_t fontConfiguration = 0;
    std::map<std::u16string, float> widths;
    int32_t measureCalls = 0;
    int32_t metricsCalls = 0;

    int32_t GetFontMetrics(const QV::ConstRCPtr<QV::LFont>& font, int32_t& height, int32_t& ascentOut,
                           int32_t& descentOut) override {
        ++metricsCalls;
        height = failMetrics || !font ? 0 : lineHeight;
        ascentOut = failMetrics || !font ? 0 : -ascent;
        descentOut = failMetrics || !font ? 0 : descent;
        return failMetrics || !font ? QV::E_FAIL : QV::S_OK;
    }

    uintptr_t GetFontConfigurationStamp() override { return fontConfiguration; }

    QV::RectT<float> MeasureText(const QV::WString& text, const QV::ConstRCPtr<QV::LFont>&) override {
        ++measureCalls;
        const std::u16string key(text.GetString(), static_cast<size_t>(text.GetLength()));
        auto found = widths.find(key);
        const float width =
            found != widths.end() ? found->second : charWidth * static_cast<float>(key.size());
        return {0.0f, static_cast<float>(-ascent), width, static_cast<float>(lineHeight)};
    }
};

}  // namespace TestSupport
