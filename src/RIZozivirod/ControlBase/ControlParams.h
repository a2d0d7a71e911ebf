#pragma once

#include <cstddef>
#include <cstdint>

#include "RIZozivirod/ControlBase/KeyCode.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/ReuseAllocator.h"

namespace QV {

class LControl;

// A control's condition bits before and after a change, and its drag origin. Each control keeps
// one and refills it before every broadcast: handlers copy what they keep. Pooled.
class LConditionsParam : public LRefCountedObject {
public:
    static RCPtr<LConditionsParam> Create();

    static void* operator new(size_t size);
    static void operator delete(void* p);
    static ReuseAllocator<LConditionsParam, 1>& GetAllocator();

    uint32_t previous = 0;
    uint32_t current = 0;
    PointT<double> origin;

protected:
    LConditionsParam() = default;
};

// The payload of "NID_VALUE_CHANGE": the normalized value and the user value. Pooled.
class LValueParam : public LRefCountedObject {
public:
    static RCPtr<LValueParam> Create(double normalized, double user);

    static void* operator new(size_t size);
    static void operator delete(void* p);
    static ReuseAllocator<LValueParam, 1>& GetAllocator();

    double normalizedValue;
    double userValue;

private:
    LValueParam(double normalized, double user) : normalizedValue(normalized), userValue(user) {}
};

// The payload of "NID_SIBLING_KEY": the key, the control it came from and the answer, -1 until a
// sibling handles the key (0) or declines (1).
class LSiblingKeyParam : public LRefCountedObject {
public:
    static RCPtr<LSiblingKeyParam> Create(const KeyCode& key, const RCPtr<LControl>& from);
    ~LSiblingKeyParam() override;

    KeyCode key;
    RCPtr<LControl> from;
    int32_t result = -1;

private:
    LSiblingKeyParam(const KeyCode& keyCode, const RCPtr<LControl>& fromControl);
};

// Refreshes the state of a control's menu items; holds its control, which counts the link as an
// internal reference.
class LMenuItemUpdater : public LRefCountedObject {
public:
    static RCPtr<LMenuItemUpdater> Create(const RCPtr<LControl>& control);
    ~LMenuItemUpdater() override;

    const RCPtr<LControl>& GetControl() const { return mControl; }
    void DropControl();

private:
    explicit LMenuItemUpdater(const RCPtr<LControl>& control);

    RCPtr<LControl> mControl;
};

}  // namespace QV
