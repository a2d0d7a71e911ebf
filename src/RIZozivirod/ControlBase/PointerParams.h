#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"

namespace QV {

// The pointer in the receiving control's coordinates (a wheel: in window client coordinates).
class LPointParam : public LRefCountedObject {
public:
    LPointParam(int32_t px, int32_t py) : x(px), y(py) {}

    int32_t x;
    int32_t y;
};

// Modifier flags Ctrl 0x1, Shift 0x8, Alt 0x40 (the key-code modifier flags without side bits)
// and the pointer index, 0 to 9.
class LPointWithModifiersParam : public LPointParam {
public:
    LPointWithModifiersParam(int32_t px, int32_t py, uint32_t keyModifiers, int32_t index)
        : LPointParam(px, py), modifiers(keyModifiers), pointerIndex(index) {}

    uint32_t modifiers;
    int32_t pointerIndex;
};

// Button 1 left, 2 middle, 4 right; doubleClick for the press of a double click and the release
// that ends it; buttonsHeld as the window's GetMouseButtons gave it at the event.
class LMouseButtonParam : public LPointWithModifiersParam {
public:
    LMouseButtonParam(int32_t px, int32_t py, uint32_t keyModifiers, int32_t index, int32_t whichButton,
                      bool isDoubleClick, uint32_t held)
        : LPointWithModifiersParam(px, py, keyModifiers, index),
          button(whichButton),
          doubleClick(isDoubleClick),
          buttonsHeld(held) {}

    int32_t button;
    bool doubleClick;
    uint32_t buttonsHeld;
};

// Direction 0 vertical toward the user, 1 vertical away, 2 horizontal left, 3 horizontal right.
class LMouseWheelParam : public LPointWithModifiersParam {
public:
    LMouseWheelParam(int32_t px, int32_t py, uint32_t keyModifiers, int32_t wheelDirection)
        : LPointWithModifiersParam(px, py, keyModifiers, 0), direction(wheelDirection) {}

    int32_t direction;
};

}  // namespace QV
