#pragma once

#include <cstddef>
#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

// The condition change of one row control of a list box, with the row it shows (-1 when none),
// its look and its hover flag at the time of the change. Filled in once, never changed.
class LItemConditionsParam : public LConditionsParam {
public:
    static RCPtr<LItemConditionsParam> Create(int32_t itemIndex, int32_t lookIndex, bool hover,
                                              uint32_t previousBits, uint32_t currentBits,
                                              const PointT<double>& point);

    // Larger than the pooled base: allocated on its own.
    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* p) { ::operator delete(p); }

    int32_t itemIndex = -1;
    int32_t lookIndex = -1;
    uint8_t hover = 0;

private:
    LItemConditionsParam() = default;
};

// One row of a list box ("Framework.ListBoxItem", also "Framework.OverlayButton"). It holds no
// item of its own: the list box binds a text, a selection value and the alternate-look and
// separator flags to it, and recycles it for another item when the list scrolls. Its 14 looks:
// normal, hover, pressed and their alternate forms (0 to 5, 7 to 12 selected), 6 and 13 the
// disabled ones; a separator shows look 13.
class LListBoxItem : public LControl {
public:
    LListBoxItem(const RCPtr<LControl>& parent, const WString& name);

    void OnValueChanged() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t PostInitialize() override;
    WString GetToolTipText() override;
    // In drop-down mode the list box, not the row, takes the press: the moves and the release go
    // to the list, which follows the pointer over its rows.
    int32_t OnCaptureStart(int32_t button, int32_t x, int32_t y) override;

    virtual int32_t ComputeLookState();

    int32_t RefreshLook();
    bool SetSeparator(bool separator);

    bool AlternateLook = false;
    bool DropDownMode = false;
    bool IsSeparator = false;

protected:
    ~LListBoxItem() override;
};

}  // namespace QV
