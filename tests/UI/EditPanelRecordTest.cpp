#include "UI/EditPanelRecord.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"

namespace {

using QV::RecordField;
namespace EditRecord = QV::EditRecord;

// Record byte -> what the control shows, for the number fields of every layout.
TEST(EditPanelRecordTest, NumberBytesShowSignedAndClamped) {
    const RecordField splitKey = EditRecord::kKeybed[2];
    const RecordField transpose = EditRecord::kKeybedZone[0];
    const RecordField data = EditRecord::kAbsoluteController[1];
    struct Case {
        RecordField field;
        uint8_t byte;
        double shown;
    };
    const Case cases[] = {
        {splitKey, 0x00, 1},    {splitKey, 0x23, 36},   {splitKey, 0x24, 36},  // past the top
        {splitKey, 0xFF, 1},                                                   // -1 + 1 = 0, below the range
        {transpose, 0x0C, 0},   {transpose, 0x00, -12}, {transpose, 0x18, 12},
        {transpose, 30, 12},                                              // 30 - 12 = 18, clamped
        {transpose, 0x80, -12},                                           // -128
        {data, 0x07, 7},        {data, 0x7F, 127},      {data, 0x90, 0},  // 0x90 is -112
        {data, 0xFF, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EditRecord::NumberOfByte(c.field, c.byte), c.shown)
            << "byte " << int(c.byte) << " offset " << c.field.storedOffset;
    }
}

TEST(EditPanelRecordTest, ChoiceBytesAreSignedItemIndexes) {
    EXPECT_EQ(EditRecord::ChoiceOfByte(0x00), 0);
    EXPECT_EQ(EditRecord::ChoiceOfByte(0x0F), 15);
    EXPECT_EQ(EditRecord::ChoiceOfByte(0x7F), 127);
    EXPECT_EQ(EditRecord::ChoiceOfByte(0x80), -128);
    EXPECT_EQ(EditRecord::ChoiceOfByte(0xFF), -1);
}

// A choice without a selection sends back what came in for it, never 255.
TEST(EditPanelRecordTest, UnselectedChoiceSendsTheByteLastReceived) {
    EXPECT_EQ(EditRecord::ByteOfChoice(2, 0x03), 2);
    EXPECT_EQ(EditRecord::ByteOfChoice(-1, 0x03), 0x03);
    EXPECT_EQ(EditRecord::ByteOfChoice(-1, 0x90), 0x90);
    EXPECT_EQ(EditRecord::ByteOfChoice(-1, 0x00), 0x00);
}

// Shown value -> record byte: the offset applied, rounded half away from zero, low 8 bits.
TEST(EditPanelRecordTest, NumbersPackRoundedWithTheirOffset) {
    const RecordField splitKey = EditRecord::kKeybed[2];
    const RecordField transpose = EditRecord::kKeybedZone[0];
    const RecordField data = EditRecord::kAbsoluteController[2];
    struct Case {
        RecordField field;
        double shown;
        uint8_t byte;
    };
    const Case cases[] = {
        {splitKey, 36, 35}, {splitKey, 1, 0},  {transpose, -12, 0},      {transpose, 12, 24},
        {transpose, 0, 12}, {data, 100, 100},  {data, 99.99999999, 100},  // a box's normalized round trip may
                                                                          // land just under
        {data, 6.5, 7},     {data, 6.4999, 6}, {transpose, -11.5, 1},     // 0.5 stored
        {splitKey, 1.5, 1},                                               // 0.5 stored
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EditRecord::ByteOfNumber(c.field, c.shown), c.byte) << c.shown;
    }
}

// Every integer of every number range survives the trip through a box's normalized value.
TEST(EditPanelRecordTest, EveryShownIntegerRoundTripsThroughANormalizedValue) {
    const RecordField fields[] = {EditRecord::kKeybed[2], EditRecord::kKeybedZone[0],
                                  EditRecord::kAbsoluteController[3]};
    for (const RecordField& field : fields) {
        const double span = field.maximum - field.minimum;
        for (int32_t shown = field.minimum; shown <= field.maximum; ++shown) {
            const double normalized = (shown - field.minimum) / span;
            const double back = field.minimum + span * normalized;
            const uint8_t byte = EditRecord::ByteOfNumber(field, back);
            EXPECT_EQ(byte, static_cast<uint8_t>(shown + field.storedOffset));
            EXPECT_EQ(EditRecord::NumberOfByte(field, byte), shown);
        }
    }
}

// The layouts agree with the lengths the files and the keyboard use.
TEST(EditPanelRecordTest, LayoutsHaveTheModelsRecordLengths) {
    EXPECT_EQ(std::size(EditRecord::kKeybed), kDeviceParameterLengths[DEVICE__KEYBED__PARAMETER_LIST]);
    EXPECT_EQ(std::size(EditRecord::kKeybedZone),
              kDeviceParameterLengths[DEVICE__KEYBED__KEYBED_ZONE_1__PARAMETER_LIST]);
    EXPECT_EQ(std::size(EditRecord::kSustain),
              kDeviceParameterLengths[DEVICE__PITCHWHEEL_SLIDER_SUSTAIN__SUSTAIN__PARAMETER_LIST]);
    EXPECT_EQ(std::size(EditRecord::kPitchWheel),
              kDeviceParameterLengths[DEVICE__PITCHWHEEL_SLIDER_SUSTAIN__PITCH_WHEEL__PARAMETER_LIST]);
    EXPECT_EQ(std::size(EditRecord::kRibbonControllers),
              kDeviceParameterLengths[DEVICE__RIBBON_CONTROLERS__PARAMETER_LIST]);
    for (int32_t id = DEVICE__PITCHWHEEL_SLIDER_SUSTAIN__VOLUME_SLIDER__PARAMETER_LIST;
         id <= DEVICE__FADERS__ABSOLUTE_CONTROLLER_8__PARAMETER_LIST; ++id) {
        if (id != DEVICE__RIBBON_CONTROLERS__PARAMETER_LIST) {
            EXPECT_EQ(std::size(EditRecord::kAbsoluteController), kDeviceParameterLengths[id]) << id;
        }
    }
}

}  // namespace
