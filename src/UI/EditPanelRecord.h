#pragma once

#include <cstdint>
#include <span>

namespace QV {

// The byte layout of the parameter records the edit panels show: one byte per control, in record
// order. A choice (combo box) stores the index of its item; a number (number box) stores the value
// it shows plus a fixed offset (a zone's transpose -12..12 is kept as 0..24). Records travel as
// raw bytes, but the panels read every byte as a signed 8-bit number, so 0x80 and above arrive as
// negative values: no item for a choice, the range's minimum for a number.
struct RecordField {
    enum class Kind : uint8_t { Choice, Number };

    Kind kind = Kind::Choice;
    // The range a number box shows (unused for choices).
    int32_t minimum = 0;
    int32_t maximum = 0;
    // Stored byte = shown value + storedOffset.
    int32_t storedOffset = 0;

    static constexpr RecordField Choice() { return RecordField{Kind::Choice, 0, 0, 0}; }
    static constexpr RecordField Number(int32_t minimum, int32_t maximum, int32_t storedOffset = 0) {
        return RecordField{Kind::Number, minimum, maximum, storedOffset};
    }
};

namespace EditRecord {

// The item a choice byte selects: the byte as a signed number; negative means no item.
int32_t ChoiceOfByte(uint8_t byte);
// The value a number byte makes its box show: the signed byte less the offset, kept in the range.
double NumberOfByte(const RecordField& field, uint8_t byte);

// The byte a choice contributes: its item index, or, while it has no selection (an item index the
// box does not have was received), the byte received last, so an unknown value goes back to the
// keyboard as it came instead of as 255.
uint8_t ByteOfChoice(int32_t selectedIndex, uint8_t lastReceived);
// The byte a number contributes: the shown value plus the offset, rounded half away from zero as
// the box rounds what it shows (a value kept as 99.9999 is sent as the 100 the user sees).
uint8_t ByteOfNumber(const RecordField& field, double shown);

// The layouts, by record byte.
// Keybed: curve, split mode, split key (1..36, stored minus 1).
inline constexpr RecordField kKeybed[] = {RecordField::Choice(), RecordField::Choice(),
                                          RecordField::Number(1, 36, -1)};
// A keybed zone: transpose (-12..12, stored plus 12), MIDI to DIN, MIDI channel.
inline constexpr RecordField kKeybedZone[] = {RecordField::Number(-12, 12, 12), RecordField::Choice(),
                                              RecordField::Choice()};
// An absolute controller: type, controller number, minimum, maximum (each 0..127), MIDI channel.
inline constexpr RecordField kAbsoluteController[] = {RecordField::Choice(), RecordField::Number(0, 127),
                                                      RecordField::Number(0, 127),
                                                      RecordField::Number(0, 127), RecordField::Choice()};
// The touch ribbon's own settings: default bank, release mode.
inline constexpr RecordField kRibbonControllers[] = {RecordField::Choice(), RecordField::Choice()};
// Sustain: MIDI channel.
inline constexpr RecordField kSustain[] = {RecordField::Choice()};
// Program change: send on load (0 yes, 1 no), program MSB, program LSB, program number (each 0..127).
inline constexpr RecordField kProgramChange[] = {RecordField::Choice(), RecordField::Number(0, 127),
                                                 RecordField::Number(0, 127), RecordField::Number(0, 127)};
// Pitch wheel: MIDI channel, direction.
inline constexpr RecordField kPitchWheel[] = {RecordField::Choice(), RecordField::Choice()};

// A pad's MIDI settings: type, data 1, data 2, data 3 (each 0..127; byte 3 holds the curve instead
// for a note, which the panel packs itself), MIDI channel.
inline constexpr RecordField kPadMidi[] = {RecordField::Choice(), RecordField::Number(0, 127),
                                           RecordField::Number(0, 127), RecordField::Number(0, 127),
                                           RecordField::Choice()};
// A pad's four colours.
inline constexpr RecordField kPadColors[] = {RecordField::Choice(), RecordField::Choice(),
                                             RecordField::Choice(), RecordField::Choice()};

}  // namespace EditRecord

}  // namespace QV
