#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/ListBoxItem.h"

namespace QV {

class LBitmap;

// A row of a checked list box ("Framework.CheckedListBoxItem"): a list box item with a required
// "checkBox" button child that shows the item's check flag, or its icon in an icon list. The row
// keeps its hover look while the pointer is over its check box.
class LCheckedListBoxItem : public LListBoxItem {
public:
    LCheckedListBoxItem(const RCPtr<LControl>& parent, const WString& name);

    int32_t Initialize() override;
    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    // Shows the look alone; true unless the look could not be chosen.
    virtual bool SetLookStateWithParts(int32_t look, int32_t spare);

    RCPtr<LButton> GetCheckBox() const;
    // The check box's SelectLook once the row is created; 1 before.
    int32_t SelectCheckBoxLook(int32_t look, int32_t spare);
    void ShowCheckBox(bool show);
    // Every look of the check box shows the bitmap stretched; null clears it.
    int32_t SetCheckBoxImage(const RCPtr<LBitmap>& bitmap);
    void SetCheckBoxValue(bool checked);

    int32_t OnCheckBoxHoverChange(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);

protected:
    ~LCheckedListBoxItem() override;

private:
    RCPtr<LNotificationHandler<LCheckedListBoxItem>> mItemHandler;
};

}  // namespace QV
