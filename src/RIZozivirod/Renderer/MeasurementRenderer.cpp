#include "RIZozivirod/Renderer/MeasurementRenderer.h"

#include <atomic>

namespace QV {

LMeasurementRenderer::LMeasurementRenderer() : mMeasurerSerial(NextSerial()) {}

uint64_t LMeasurementRenderer::NextSerial() {
    // Process-wide and never destroyed; the first measurer is 1, so 0 names none.
    static auto& last = *new std::atomic<uint64_t>(0);
    return ++last;
}

}  // namespace QV
