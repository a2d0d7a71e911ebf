#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

// The small text box near the pointer ("Framework.ToolTip"). The owner control makes one from the
// skin's "toolTip" descriptor as its own child each time it shows a tip, sets its text and calls
// Show; the tip appears 500 ms later (at once when another tip was hidden less than 50 ms ago),
// hides itself after 5 s on show, and leaves its parent when hidden. Never reused.
class LToolTip : public LControl {
public:
    static constexpr int32_t kHidden = 0;
    static constexpr int32_t kWaiting = 1;
    static constexpr int32_t kShown = 2;

    LToolTip(const RCPtr<LControl>& parent, const WString& name);

    bool IsTransparentAt(const PointT<int32_t>& point) override;
    void OnIdleTick() override;
    int32_t ReadCreateParams() override;
    int32_t PostInitialize() override;

    void Show();
    int32_t Hide();
    // The top-left corner at the pointer's x and 20 pixels below it, kept inside the window.
    void Place();
    int32_t GetState() const { return mState; }

protected:
    ~LToolTip() override = default;

private:
    void Appear();

    int32_t mState = kHidden;
    uint32_t mStateTime = 0;
};

}  // namespace QV
