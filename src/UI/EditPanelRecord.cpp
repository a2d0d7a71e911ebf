#include "UI/EditPanelRecord.h"

#include <algorithm>
#include <cmath>

namespace QV::EditRecord {

int32_t ChoiceOfByte(uint8_t byte) {
    return static_cast<int8_t>(byte);
}

double NumberOfByte(const RecordField& field, uint8_t byte) {
    const int32_t shown = static_cast<int8_t>(byte) - field.storedOffset;
    return std::clamp(shown, field.minimum, field.maximum);
}

uint8_t ByteOfChoice(int32_t selectedIndex, uint8_t lastReceived) {
    return selectedIndex < 0 ? lastReceived : static_cast<uint8_t>(selectedIndex & 0xFF);
}

uint8_t ByteOfNumber(const RecordField& field, double shown) {
    if (!std::isfinite(shown)) {
        shown = field.minimum;
    }
    const long stored = std::lround(std::clamp(shown, -1.0e6, 1.0e6) + field.storedOffset);
    return static_cast<uint8_t>(static_cast<unsigned long>(stored) & 0xFFu);
}

}  // namespace QV::EditRecord
