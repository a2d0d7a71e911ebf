#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

namespace QV {

class LKeyParam;
class LMouseButtonParam;
class LMouseWheelParam;
class LPointWithModifiersParam;

// What the root window hands input to. Pointer handlers answer 0 when they handled the event
// and 1 when it should go elsewhere.
class UITarget {
public:
    virtual int32_t OnMouseEnter(const RCPtr<LPointWithModifiersParam>& param) = 0;
    virtual int32_t OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) = 0;
    virtual int32_t OnMouseDown(const RCPtr<LMouseButtonParam>& param) = 0;
    virtual int32_t OnMouseUp(const RCPtr<LMouseButtonParam>& param) = 0;
    virtual int32_t OnMouseLeave(const RCPtr<LPointWithModifiersParam>& param) = 0;
    // Button 1 left, 2 middle, 4 right or 0; the press point in the target's own coordinates.
    // 0 when the capture is taken, 1 when refused.
    virtual int32_t OnCaptureStart(int32_t button, int32_t x, int32_t y) = 0;
    virtual int32_t OnCaptureEnd() = 0;
    virtual int32_t OnKey(const RCPtr<LKeyParam>& param) = 0;
    virtual int32_t OnMouseWheel(const RCPtr<LMouseWheelParam>& param) = 0;
    virtual int32_t OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) = 0;
    virtual int32_t OnSizeChanged(const PointT<int32_t>& size) = 0;
    // Whether the target lets the focus go to another control.
    virtual bool AcceptsInput() = 0;
    // True when the loss of the focus was handled.
    virtual bool OnFocusLost() = 0;

protected:
    ~UITarget() = default;
};

}  // namespace QV
