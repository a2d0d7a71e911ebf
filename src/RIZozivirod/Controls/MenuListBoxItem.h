#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/CheckedListBoxItem.h"
#include "RIZozivirod/Controls/Label.h"

namespace QV {

class LLookDescriptor;

// A row of a popup menu ("Framework.MenuItem"): a checked list box item whose check box shows
// the item's check mark, with a "hotKeyLabel" part that shows the command's key chord at the
// right.
class LMenuListBoxItem : public LCheckedListBoxItem {
public:
    LMenuListBoxItem(const RCPtr<LControl>& parent, const WString& name);

    bool SetLookStateWithParts(int32_t look, int32_t spare) override;
    // The row's look, and the same look for the key-chord label, so that the chord keeps its
    // contrast on the highlighted row; a label with fewer looks keeps the one it has.
    int32_t SelectLook(int32_t index) override;

    RCPtr<LLabel> GetHotKeyLabel() const;
    int32_t SetHotKeyText(const WString& text);
    int32_t SetHotKeyLook(const RCPtr<LLookDescriptor>& look);

protected:
    ~LMenuListBoxItem() override;

private:
    void SelectHotKeyLook(int32_t index);
};

}  // namespace QV
