#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/Controls/Panel.h"

namespace QV {

class LButton;
class LListBox;

// A table ("Framework.listbox2ColumnSortable"): one list box per column, the children
// "listboxNoScroll1", "listboxNoScroll2", ..., each under its header button "buttonColumnHeader1",
// ... The table owns the scrolling (one vertical position in whole rows for every column) and
// keeps the columns in step: the same rows selected, the same hover and press looks across a
// row, and a click on a header sorts every column by that column's texts, ignoring case, the
// other way on the next click. It passes the columns' "NID_SELECTION_CHANGE",
// "NID_ITEM_ACTIVATED" and "NID_ITEM_DOUBLE_CLICKED" on as its own, without a parameter; a
// listener reads the selection from any column. Only the first column takes the focus.
class LMultiColumnListBox : public LPanel {
public:
    LMultiColumnListBox(const RCPtr<LControl>& parent, const WString& name);

    void UpdateVisibleRegion(const PointT<double>& oldOffset, const PointT<double>& newOffset) override;
    bool InvalidateChildRect(LControl* child) override;
    int32_t GetViewRect(RectT<double>& rect) override;
    int32_t Initialize() override;
    int32_t PostInitialize() override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    // Sorts every column by the texts of one column; a column out of range changes nothing.
    int32_t PerformSort(int32_t column);
    // The text of a cell; empty out of range.
    WString GetCellText(int32_t column, int32_t row);
    int32_t GetColumnCount() const { return static_cast<int32_t>(mColumns.size()); }
    RCPtr<LListBox> GetColumn(int32_t column) const;
    RCPtr<LButton> GetHeaderButton(int32_t column) const;
    // The direction the next sort by that column takes.
    bool IsNextSortAscending(int32_t column) const;
    // Every column at least one row high, without a maximum width or height the skin does not give.
    void ApplyColumnSizeLimits();

private:
    ~LMultiColumnListBox() override;

    int32_t OnHeaderClicked(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    int32_t OnColumnSelectionChanged(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification);
    int32_t OnColumnItemHoverChange(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);
    int32_t OnColumnItemActivated(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);
    int32_t OnColumnItemDoubleClicked(const RCPtr<LNotificationDistributor>& source,
                                      const RCPtr<LNotification>& notification);
    int32_t OnFirstColumnExtentChanged(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification);
    int32_t OnFirstColumnScrolled(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);
    int32_t IndexOfColumn(const LNotificationDistributor* source) const;
    // Rows of column 0: every column is expected to hold as many, and shorter ones are not read
    // past their end.
    int32_t RowCount() const;
    void UpdateExtent();
    static void DockVertically(LControl& control);

    RCPtr<LNotificationHandler<LMultiColumnListBox>> mTableHandler;
    std::vector<RCPtr<LListBox>> mColumns;
    std::vector<RCPtr<LButton>> mHeaderButtons;
    std::vector<bool> mSortAscending;
};

}  // namespace QV
