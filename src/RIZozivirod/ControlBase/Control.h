#pragma once

#include <cstdint>
#include <memory>

#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/ControlBase/ControlDescriptor.h"
#include "RIZozivirod/ControlBase/ControlParams.h"
#include "RIZozivirod/ControlBase/HotKeyTable.h"
#include "RIZozivirod/ControlBase/LayoutEngine.h"
#include "RIZozivirod/ControlBase/PointerParams.h"
#include "RIZozivirod/ControlBase/RootWindowInterface.h"
#include "RIZozivirod/ControlBase/StringTable.h"
#include "RIZozivirod/ControlBase/UITarget.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "RIZozivirod/ObjectBase/TaggableObject.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LBitmap;
class LFont;
class LKeyParam;
class LLook;
class LLookDescriptor;
class LNotificationCenter;
class LRenderer;
class LStencil;
class RectRegion;

// The base of every control: its place in the control tree (parent, children in creation, paint
// and tab order, root window through the top-level control), its copy of the layout record, its
// frame, looks, font and text, its conditions and value, and its notification handler. A control
// receives notifications only once its create function has finished (`created`); it sends its
// own synchronously through its distributor. User-interface thread only: nothing here locks,
// except the internal-reference counts of the object model.
//
// Coordinates: the frame lies in the parent's content space; the control's own space has (0, 0)
// at the frame's top left; its content space is its own space moved by the client part's origin
// and by minus the scroll offset.
class LControl : public virtual LNotificationClient,
                 public virtual LNotificationDistributor,
                 public virtual LTaggableObject,
                 public UITarget,
                 public ILayoutControl {
public:
    static constexpr int32_t kOrderCreation = 0;
    static constexpr int32_t kOrderPaint = 1;
    static constexpr int32_t kOrderTab = 2;

    // Condition bits.
    static constexpr uint32_t kHasFocus = 0x1;
    static constexpr uint32_t kContainsFocus = 0x2;
    static constexpr uint32_t kHover = 0x4;
    static constexpr uint32_t kCapture = 0x8;
    static constexpr uint32_t kLeftPressed = 0x10;
    static constexpr uint32_t kMiddlePressed = 0x20;
    static constexpr uint32_t kRightPressed = 0x40;
    static constexpr uint32_t kLeftDragging = 0x80;
    static constexpr uint32_t kMiddleDragging = 0x100;
    static constexpr uint32_t kRightDragging = 0x200;
    static constexpr uint32_t kEnabled = 0x400;
    static constexpr uint32_t kVisible = 0x800;
    static constexpr uint32_t kHoverOrHighlighted = 0x1000;

    // The children of one control in creation order, with the paint and tab orders sorted on
    // demand: any number of changes between two ordered reads costs one sort.
    class ChildControlList {
    public:
        explicit ChildControlList(LControl* owner) : mOwner(owner) {}
        ChildControlList(const ChildControlList&) = delete;
        ChildControlList& operator=(const ChildControlList&) = delete;

        uint32_t GetCount() const { return mItems.GetCount(); }
        // The child at index in order 0 (creation), 1 (paint) or 2 (tab); a bad index or order
        // raises a Runtime Error.
        const RCPtr<LControl>& GetAt(uint32_t index, int32_t order);
        const RCPtr<LControl>& GetAt(uint32_t index, int32_t order) const;
        // E_INVALIDARG for null, E_FAIL for a name a child already has, else 0.
        int32_t Add(const RCPtr<LControl>& child);
        // The child's index in creation order, or -1 when it is not here.
        int32_t Remove(const RCPtr<LControl>& child);
        // True when the list was empty.
        bool Clear();
        // 1 for the current name, E_FAIL for a sibling's name, E_INVALIDARG when not a child;
        // later siblings placed against the old name follow the new one.
        int32_t RenameChild(const RCPtr<LControl>& child, const WString& name);
        // The sort keys changed: the next ordered read sorts again.
        void MarkStale() { ++mChangeCount; }

    private:
        void Sort() const;

        LControl* mOwner;
        RCPtrArray<LControl, 1, 0> mItems;
        mutable Array<unsigned int> mTabOrder;
        mutable Array<unsigned int> mPaintOrder;
        uint32_t mChangeCount = 1;
        mutable uint32_t mSortedAt = 0;
    };

    // Marks a control excluded from hit testing for the guard's life.
    class CAutoControlFlag {
    public:
        explicit CAutoControlFlag(const RCPtr<LControl>& control);
        ~CAutoControlFlag();
        CAutoControlFlag(const CAutoControlFlag&) = delete;
        CAutoControlFlag& operator=(const CAutoControlFlag&) = delete;

    private:
        RCPtr<LControl> mControl;
    };

    // Attaches itself to parent (when given) and takes its string table from the factory.
    LControl(const RCPtr<LControl>& parent, const WString& name);
    LControl(const LControl&) = delete;
    LControl& operator=(const LControl&) = delete;

    // The number of controls alive in the process.
    static int32_t GetLiveCount();

    // Virtual operations, in slot order.
    virtual int32_t SetText(const WString& text);                                  // 0
    virtual double SetNormalizedValue(double value);                               // 1
    virtual void OnValueChanged();                                                 // 2
    virtual int32_t SetValueRange(double minimum, double maximum, int32_t taper);  // 3
    virtual void UpdateClientRectCache();                                          // 4
    virtual void CheckClientSizeChange();                                          // 5
    virtual void UpdateVisibleRegion(const PointT<double>& oldOffset,              // 6
                                     const PointT<double>& newOffset);
    virtual bool InvalidateChildRect(LControl* child);                       // 7
    virtual int32_t MeasureMinimumSize(PointT<double>& size);                // 8
    virtual int32_t GetMaximumSize(PointT<double>& size);                    // 9
    virtual bool SetClipToParent(bool clip);                                 // 10
    virtual PointT<double> SetScrollOffset(const PointT<double>& offset);    // 11
    virtual RCPtr<LStringTable> GetStringTable();                            // 12
    virtual bool IsEditTarget();                                             // 13
    virtual RCPtr<LControl> GetEditTarget();                                 // 14
    virtual bool CanPerformEdit(int32_t edit);                               // 15
    virtual int32_t PerformEdit(int32_t edit);                               // 16
    virtual int32_t SetDragMode(int32_t mode, uint32_t edges);               // 17
    virtual int32_t BeginDrag();                                             // 18
    virtual int32_t ResetDragOrigin();                                       // 19
    virtual int32_t DragBy(const RCPtr<LPointWithModifiersParam>& param);    // 20
    virtual void OnDragMoved(const RCPtr<LPointWithModifiersParam>& param);  // 21
    virtual int32_t EndDrag();                                               // 22
    virtual RCPtr<LControl> FindDropTarget(const RCPtr<LControl>& dragged,   // 23
                                           const PointT<double>& point);
    virtual bool CanAcceptDrop(const RCPtr<LControl>& dragged);                               // 24
    virtual uint32_t GetDragData(const RCPtr<LControl>& dragged);                             // 25
    virtual int32_t GetScrollRange(RectT<double>& range, const RCPtr<LControl>& forControl);  // 26
    virtual int32_t GetViewRect(RectT<double>& rect);                                         // 27
    virtual void ConstrainDragRect(RectT<double>& rect);                                      // 28
    virtual void OnDragEnter(const RCPtr<LControl>& dragged);                                 // 29
    virtual void OnDragOver(const RCPtr<LControl>& dragged, const PointT<double>& point);     // 30
    virtual void OnDragLeave(const RCPtr<LControl>& dragged);                                 // 31
    virtual int32_t OnDrop(const RCPtr<LControl>& dragged);                                   // 32
    virtual int32_t SetFocus(bool forward);                                                   // 33
    virtual void SetNotFocusable(bool notFocusable);                                          // 34
    virtual bool HasFocusableDescendant();                                                    // 35
    virtual void OnConditionsChanged(const RCPtr<LConditionsParam>& param);                   // 36
    virtual int32_t Close();                                                                  // 37
    virtual int32_t AttachToRootWindow();                                                     // 38
    virtual void OnChildrenChanged(LControl* child, int32_t index);                           // 39
    virtual bool SetVisible(bool visible);                                                    // 40
    virtual bool IsTransparentAt(const PointT<int32_t>& point);                               // 41
    virtual uint32_t GetLookColorAt(const PointT<int32_t>& point, int32_t index);             // 42
    virtual int32_t GetCommandState(const WString& command, uint8_t& enabled);                // 43
    virtual const RCPtr<LRefCountedObject>& GetContextMenu();                                 // 44
    virtual void PrepareContextMenu(const RCPtr<LRefCountedObject>& popup);                   // 45
    virtual int32_t SelectLook(int32_t index);                                                // 46
    virtual int32_t AddLook(const RCPtr<LLook>& look);                                        // 47
    virtual int32_t GetInitialWindowRect(RectT<double>& rect);                                // 48
    virtual void SetEnabled(bool enabled);                                                    // 49
    virtual int32_t ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor);             // 50
    virtual int32_t Paint(const RCPtr<LRenderer>& renderer, const RectRegion& region,         // 51
                          RCPtrArray<LControl, 1, 0>& unclipped, bool unclippedPass);
    virtual int32_t InvalidateFromChild(const RectT<double>& windowRect, bool clip,  // 52
                                        const RectT<double>& localRect);
    virtual int32_t InvalidateRect(const RectT<double>& rect, bool clip);     // 53
    virtual RCPtr<LControl> HitTest(const PointT<int32_t>& point, bool clip,  // 54
                                    PointT<int32_t>& hitPoint, int32_t& bestZ);
    virtual void OnFontChanged();                                                         // 55
    virtual int32_t RequestFocus();                                                       // 56
    virtual int32_t HandleLeftButtonDown(const RCPtr<LMouseButtonParam>& param);          // 57
    virtual int32_t HandleLeftButtonUp(const RCPtr<LMouseButtonParam>& param);            // 58
    virtual int32_t HandleMiddleButtonDown(const RCPtr<LMouseButtonParam>& param);        // 59
    virtual int32_t HandleMiddleButtonUp(const RCPtr<LMouseButtonParam>& param);          // 60
    virtual int32_t HandleRightButtonDown(const RCPtr<LMouseButtonParam>& param);         // 61
    virtual int32_t HandleRightButtonUp(const RCPtr<LMouseButtonParam>& param);           // 62
    virtual int32_t HandleMouseMove(const RCPtr<LPointWithModifiersParam>& param);        // 63
    virtual int32_t HandleMouseWheel(const RCPtr<LMouseWheelParam>& param);               // 64
    virtual int32_t HandleMouseHWheel(const RCPtr<LMouseWheelParam>& param);              // 65
    virtual int32_t DispatchClick(const RCPtr<LMouseButtonParam>& param);                 // 66
    virtual int32_t NotifyLeftClick(const RCPtr<LMouseButtonParam>& param);               // 67
    virtual int32_t NotifyMiddleClick(const RCPtr<LMouseButtonParam>& param);             // 68
    virtual int32_t NotifyRightClick(const RCPtr<LMouseButtonParam>& param);              // 69
    virtual int32_t HandleLeftClick(const RCPtr<LMouseButtonParam>& param);               // 70
    virtual int32_t HandleMiddleClick(const RCPtr<LMouseButtonParam>& param);             // 71
    virtual int32_t HandleRightClick(const RCPtr<LMouseButtonParam>& param);              // 72
    virtual bool ContainsPoint(const PointT<int32_t>& point);                             // 73
    virtual RCPtr<LControl> GetNextTabStop(const RCPtr<LControl>& child, bool backward);  // 74
    virtual int32_t HandleKeyDown(const RCPtr<LKeyParam>& param);                         // 75
    virtual int32_t SendSiblingKey(const RCPtr<LKeyParam>& param);                        // 76
    virtual void HandleUnprocessedKey(const RCPtr<LKeyParam>& param);                     // 77
    virtual void HandleNavigationKey(const RCPtr<LKeyParam>& param);                      // 78
    virtual int32_t SortByTabOrder(const RCPtr<LKeyParam>& param,                         // 79
                                   const RCPtrArray<LNotificationClient, 1, 0>& registrations,
                                   Array<uint32_t>& out);
    virtual int32_t UpdateFont();                                   // 80
    virtual void OnParentScrolled(const PointT<double>& oldOffset,  // 81
                                  const PointT<double>& newOffset);
    virtual void OnChildRectChanged(LControl* child);                             // 82
    virtual void OnIdleTick();                                                    // 83
    virtual int32_t PaintContent(const RCPtr<LRenderer>& renderer);               // 84
    virtual int32_t PaintOverlay(const RCPtr<LRenderer>& renderer);               // 85
    virtual int32_t CreateChildren(const RCPtr<LControlDescriptor>& descriptor);  // 86
    virtual int32_t Initialize();                                                 // 87
    virtual int32_t ReadCreateParams();                                           // 88
    virtual int32_t AttachChild(const RCPtr<LControl>& child,                     // 89
                                const RCPtr<LControlDescriptor>& descriptor);
    virtual int32_t PostInitialize();        // 90
    virtual WString GetToolTipText();        // 91
    virtual int32_t ShowToolTip(bool show);  // 92
    virtual RectT<double> GetVisibleRect();  // 93

    // LRefCountedObject.
    int32_t ReleaseInternalReferences() override;
    // LNotificationReceiver: delivery only once created, to the handler objects from the most
    // derived layer down.
    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    // UITarget.
    int32_t OnMouseEnter(const RCPtr<LPointWithModifiersParam>& param) override;
    int32_t OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) override;
    int32_t OnMouseDown(const RCPtr<LMouseButtonParam>& param) override;
    int32_t OnMouseUp(const RCPtr<LMouseButtonParam>& param) override;
    int32_t OnMouseLeave(const RCPtr<LPointWithModifiersParam>& param) override;
    int32_t OnCaptureStart(int32_t button, int32_t x, int32_t y) override;
    int32_t OnCaptureEnd() override;
    int32_t OnKey(const RCPtr<LKeyParam>& param) override;
    int32_t OnMouseWheel(const RCPtr<LMouseWheelParam>& param) override;
    int32_t OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) override;
    int32_t OnSizeChanged(const PointT<int32_t>& size) override;
    bool AcceptsInput() override;
    bool OnFocusLost() override;

    // ILayoutControl.
    RectT<double> GetLayoutFrame() const override { return mFrame; }
    PointT<double> GetLayoutScrollOffset() const override { return mScrollOffset; }
    RectT<double> GetLayoutClientRect() const override;
    const LLayoutDescriptor* GetLayoutDescriptor() const override { return mLayout.Get(); }
    uint32_t GetLayoutChildCount() const override { return mChildren.GetCount(); }
    const ILayoutControl* GetLayoutChild(uint32_t index) const override;
    const ILayoutControl* FindLayoutChild(const WString& name) const override;
    LLook* GetLayoutLook() const override { return GetLook(-1); }

    // Tree.
    const WString& GetName() const { return mName; }
    LControl* GetParent() const { return mParent; }
    // 1 when parent already is the parent; the failure of attaching to the new parent (the
    // control then stays detached); else 0.
    int32_t SetParent(const RCPtr<LControl>& parent);
    // E_FAIL on a control with a parent.
    int32_t SetRootWindow(const RCPtr<IRootWindow>& window);
    RCPtr<IRootWindow> GetRootWindow() const;
    RCPtr<LControl> GetTopLevelControl();
    RCPtr<LControl> FindChild(const WString& name) const;
    int32_t FindChildIndex(const LControl* child, int32_t order);
    uint32_t CollectDescendants(RCPtrArray<LControl, 1, 0>& out);
    ChildControlList& GetChildren() { return mChildren; }
    int32_t SetDragThreshold(int32_t pixels);
    static int32_t PostNotificationByName(const RCPtr<LRefCountedObject>& target, const WChar* name,
                                          const RCPtr<LRefCountedObject>& param);

    const RCPtr<LControlDescriptor>& GetDescriptor() const { return mDescriptor; }
    const RCPtr<LLayoutDescriptor>& GetLayout() const { return mLayout; }
    // Whether the control is clipped to its parent's area (a control without a layout is).
    bool ClipsToParent() const { return !mLayout || mLayout->clipToParent; }
    // How many of the control's axes are docked to its parent (0 to 2).
    int32_t DockedAxes() const {
        return mLayout ? (mLayout->xDocked ? 1 : 0) + (mLayout->yDocked ? 1 : 0) : 0;
    }
    const RectT<double>& GetFrame() const { return mFrame; }
    const PointT<double>& GetScrollOffset() const { return mScrollOffset; }
    int32_t GetUnclippedDescendantCount() const { return mUnclippedDescendantCount; }
    bool IsCreated() const { return mCreated; }
    void SetOpacity(float opacity) { mOpacity = opacity; }
    // Whether the looks draw their text moved by the scroll offset (content that scrolls).
    void SetTextFollowsScroll(bool follow) { mTextFollowsScroll = follow; }
    float GetOpacity() const { return mOpacity; }
    const WString& GetText() const { return mText; }
    const LHotKeyTable& GetLocalHotKeys() const { return mLocalHotKeys; }
    bool WantsTab() const { return mWantsTab; }
    bool UsesParentToolTip() const { return mUseParentToolTip; }
    void SetUseParentToolTip(bool use) { mUseParentToolTip = use; }
    const RCPtr<LNotificationCenter>& GetNotificationCenter() const { return mNotificationCenter; }
    RCPtr<LMenuItemUpdater> GetMenuItemUpdater();

    // Strings, local hot keys, context menus and tool tips.
    // The string table's entry, empty without a table or entry.
    WString GetString(const WChar* id) const;
    // The first key bound to the command by the "LHK" entries; an invalid key when none.
    KeyCode GetHotKey(const WString& command) const;
    bool HasHotKey(const WString& command) const;
    int32_t SetContextMenu(const RCPtr<LRefCountedObject>& menu);
    // Opens the skin's "contextMenu" control at the pointer with the menu; nothing is shown
    // without such a control or when it is no popup menu. 0.
    int32_t ShowContextMenu(const RCPtr<LRefCountedObject>& menu);
    // The control whose tool tip stands for this one (USE_PARENT_TOOLTIP with no text of its own).
    RCPtr<LControl> GetTooltipOwner();

    // Conditions, focus, visibility, values and text.
    uint32_t GetConditions() const;
    void UpdateConditions();
    void SetHighlighted(bool highlighted);
    void SetCursor(int32_t cursorId);
    bool HasFocus() const { return mHasFocus; }
    bool ContainsFocus() const { return mContainsFocus; }
    bool HasCapture() const { return mCapture; }
    bool IsHover() const { return mHover; }
    bool CanTakeFocus();
    // CanTakeFocus() || HasFocusableDescendant(), walking the descendants once.
    bool CanTakeFocusOrHasFocusableDescendant();
    bool IsNotFocusable(bool recursive = false) const;
    void SetFocusScopeRoot(bool root) { mFocusScopeRoot = root; }
    // A container hands the focus on to its descendants and never holds it itself: it has no look
    // that shows the focus, so a Tab that stopped on it would seem to lose the focus.
    void SetFocusContainer(bool container) { mFocusContainer = container; }
    bool IsFocusContainer() const { return mFocusContainer; }
    RCPtr<LControl> GetFocusChild();
    RCPtr<LControl> GetFirstFocusable();
    RCPtr<LControl> GetLastFocusable();
    bool IsVisible(bool recursive = false) const;
    bool IsEnabled(bool recursive = false) const;
    double GetNormalizedValue() const { return mNormalizedValue; }
    double SetValue(double value);
    double GetValue() const { return ValueFromNormalized(mNormalizedValue); }
    double NormalizedFromValue(double value) const;
    double ValueFromNormalized(double normalized) const;
    bool UpdateText(const WString& text, bool relayout);

    // Layout and geometry.
    int32_t UpdateLayout();
    int32_t SetRect(const PointT<double>& position, const PointT<double>& size);
    int32_t SetPlacement(int32_t axis, const LLayoutDescriptor::Placement& placement,
                         const LLayoutDescriptor::Size& size);
    int32_t SetPlacements(const LLayoutDescriptor::Placement& xPlacement,
                          const LLayoutDescriptor::Size& xSize,
                          const LLayoutDescriptor::Placement& yPlacement,
                          const LLayoutDescriptor::Size& ySize);
    int32_t GetPlacement(int32_t axis, LLayoutDescriptor::Placement& placement,
                         LLayoutDescriptor::Size& size) const;
    int32_t SetSizeLimits(int32_t axis, const LLayoutDescriptor::Limit& minimum,
                          const LLayoutDescriptor::Limit& maximum);
    int32_t GetSizeLimits(int32_t axis, LLayoutDescriptor::Limit& minimum,
                          LLayoutDescriptor::Limit& maximum) const;
    RectT<double> GetClientRect(int32_t lookIndex);
    PointT<double> GetPositionInParent() const;
    PointT<double> GetRectInWindow() const;
    PointT<double> MapPointFrom(const LControl* other, const PointT<double>& point) const;
    RectT<double> ChildrenBounds();

    // Looks and fonts.
    // The look at index (possibly none); a bad index gives the current look, else the first one.
    LLook* GetLook(int32_t index) const;
    uint32_t GetLookCount() const;
    float GetLookWeight(int32_t index) const;
    int32_t GetCurrentLookIndex() const;
    int32_t SetLookWeight(int32_t index, float weight, bool exclusive);
    int32_t SetLookDescriptor(const RCPtr<LLookDescriptor>& descriptor, int32_t index);
    int32_t SetLookImage(const RCPtr<LBitmap>& bitmap, int32_t resizeType, int32_t index, uint8_t flag);
    int32_t SetLookRegion(int32_t index, const RectRegion& region);
    int32_t SetLookRegionExcluding(int32_t index, int32_t excluded);
    void ClearLookRegions();
    void ClearLookRegion(int32_t index);
    int32_t ApplyFont(const WString& face, float size, int32_t style, bool relative);
    int32_t SetFont(const RCPtr<LFont>& font);
    const RCPtr<LFont>& GetFont() const { return mFont; }

    // Painting and invalidation.
    int32_t PaintChildren(const RCPtr<LRenderer>& renderer, const RectRegion& region, int32_t lookIndex,
                          RCPtrArray<LControl, 1, 0>& unclipped);
    uint32_t CollectUnclippedDescendants(RCPtrArray<LControl, 1, 0>& list, bool onlyVisible,
                                         bool includeSelf);
    void InvalidateUnclipped();
    void IncrementUnclippedDescendantCount(int32_t count = 1);
    void DecrementUnclippedDescendantCount(int32_t count = 1);

    // Hit testing and idle work.
    int32_t GetEffectiveZOrder() const;
    bool IsHitTestExcluded() const { return mHitTestExcluded; }
    int32_t BeginIdleWork();
    int32_t EndIdleWork();
    int32_t GetIdleWorkCount() const { return mIdleWorkCount; }
    int32_t StartScrollAnimation(int32_t axis, double speed, double maximum, double minimum,
                                 const RCPtr<LControl>& driver);
    int32_t StopScrollAnimation(int32_t axis);
    bool IsScrollAnimating(int32_t axis) const;
    // The "NID_IDLE" handler: queued removals, then OnIdleTick.
    int32_t OnIdle(const RCPtr<LNotificationDistributor>& source, const RCPtr<LNotification>& notification);

    // Deferred removal and the clipped-text query.
    int32_t RemoveChildLater(const RCPtr<LControl>& child);
    int32_t ProcessPendingRemovals();
    uint32_t GetPendingRemovalCount() const { return mPendingRemovals.GetCount(); }
    // Whether the text is wider than the current look's text area; false without a look.
    bool IsTextClipped() const;

protected:
    // A key nobody in the tree took: the window's shortcuts, then the application's.
    void OfferToHotKeys(const RCPtr<LKeyParam>& param);
    ~LControl() override;

    // The control's own table of member handlers; null until Initialize.
    const RCPtr<LNotificationHandler<LControl>>& GetHandler() const { return mHandler; }
    // Hands a notification to the control's own handler; 0 when it was not handled.
    int32_t DeliverToControlHandler(const RCPtr<LNotificationDistributor>& sender,
                                    const RCPtr<LNotification>& notification);
    // The member bound to "NID_SIBLING_KEY" of the parent and as a direct handler: offers the
    // key to the control's local hot keys. The key road fills it in; the base declines.
    int32_t OnSiblingKeyNotification(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification);

    void SetReapplying(bool reapplying) { mReapplying = reapplying; }
    bool IsReapplying() const { return mReapplying; }
    bool IsScrolling() const { return mScrolling; }

private:
    friend class ChildControlList;
    struct DragSnapshot;
    struct DragSnapshotDeleter {
        void operator()(DragSnapshot* snapshot) const;
    };
    struct LookSet;
    struct LookSetDeleter {
        void operator()(LookSet* looks) const;
    };
    struct ScrollAxis {
        bool animating = false;
        double lastTime = 0.0;
        double speed = 0.0;
        double minimum = 0.0;
        double maximum = 0.0;
        RCPtr<LControl> driver;
        bool kinetic = false;
        double velocity = 0.0;
    };

    RCPtr<LControl> Self() { return RCPtr<LControl>(this); }
    // Attaching and detaching by plain pointer, so that a control can attach itself while it is
    // constructed (before anyone holds it).
    int32_t AttachTo(LControl* parent);
    void Notify(const WChar* name, const RCPtr<LRefCountedObject>& param);
    bool SetContainsFocus(LControl* child);
    bool AcceptsInputNow() const;
    void TakeFocusForPress();
    void StartKineticScroll();
    void StepScrollAnimations();
    DragSnapshot& Snapshot();
    void TakeDragSnapshot();
    void RequestAutoScroll(LControl* scroller, const bool asks[2], const double overshoot[2]);
    void TrackDropTarget(const PointT<double>& pointer);
    void SendSiblingKeyTo(const RCPtr<LNotificationClient>& client, const RCPtr<LNotification>& notification);
    int32_t RegisterForIdle(const RCPtr<IRootWindow>& window);
    void FinishSetFocusAfterHide();
    void InvalidateArea();
    void ResetChildOrderIfParent();
    void ApplyDescriptorFirst(const RCPtr<LControlDescriptor>& descriptor);
    void ApplyDescriptorAgain(const RCPtr<LControlDescriptor>& descriptor);
    void RebuildLooks(const RCPtr<LControlDescriptor>& descriptor);
    void ApplySkinFont(const RCPtr<LControlDescriptor>& descriptor);
    void CountSelfAsUnclipped();
    int32_t LayoutAgainstParent(RectT<double>& rect);
    // Draws every weighted look's client areas (phase 0), non-client parts (1), or label text
    // and children (2), each at the look's weight.
    void PaintLooks(const RCPtr<LRenderer>& renderer, const RectRegion& region, uint32_t lookCount,
                    int32_t phase, RCPtrArray<LControl, 1, 0>* unclipped = nullptr);
    ConstRCPtr<LStencil> LookStencil(int32_t lookIndex) const;
    void GiveLooksSize();
    void GiveLooksText();
    void GiveLooksFont(const RCPtr<LFont>& font);
    static bool ReadBoolParam(const RCPtr<LStringTable>& params, const WChar* key, bool& value);

    RCPtr<LNotificationHandler<LControl>> mHandler;
    WString mName;
    RCPtr<LControlDescriptor> mDescriptor;
    RCPtr<LLayoutDescriptor> mLayout;
    RectT<double> mFrame;
    PointT<double> mScrollOffset;
    int32_t mUnclippedDescendantCount = 0;
    RCPtr<LConditionsParam> mConditionsParam;
    bool mHasFocus = false;
    bool mContainsFocus = false;
    bool mHover = false;
    bool mCapture = false;
    bool mLeftPressed = false;
    bool mMiddlePressed = false;
    bool mRightPressed = false;
    bool mLeftDragging = false;
    bool mMiddleDragging = false;
    bool mRightDragging = false;
    bool mHighlighted = false;
    bool mHitTestExcluded = false;
    PointT<double> mDragOrigin;
    PointT<double> mDragDisplacement;
    // The input road's own state: the last left press (kept until the capture ends), the times of
    // the current move and of the release, and what a drag started from.
    RCPtr<LMouseButtonParam> mStoredLeftPress;
    uint32_t mMoveTime = 0;
    uint32_t mReleaseTime = 0;
    std::unique_ptr<DragSnapshot, DragSnapshotDeleter> mDragSnapshot;
    int32_t mDragMode = 0;
    uint32_t mDragEdges = 0;
    int32_t mDragThreshold = 1;
    uint32_t mPressTime = 0;
    uint32_t mPreviousMoveTime = 0;
    double mNormalizedValue = 0.0;
    double mValueMin = 0.0;
    double mValueMax = 0.0;
    int32_t mValueTaper = 0;
    std::unique_ptr<LookSet, LookSetDeleter> mLooks;
    float mOpacity = 1.0f;
    LControl* mParent = nullptr;
    RCPtr<IRootWindow> mRootWindow;
    RCPtr<LStringTable> mStringTable;
    bool mWantsTab = false;
    LHotKeyTable mLocalHotKeys;
    bool mNotFocusable = true;
    bool mFocusScopeRoot = false;
    bool mFocusContainer = false;
    bool mTextFollowsScroll = false;
    bool mFontInheritsFromParent = false;
    bool mFaceInherited = false;
    bool mSizeInherited = false;
    bool mStyleInherited = false;
    bool mSizeIsRelative = false;
    float mSizeFactor = 1.0f;
    RCPtr<LFont> mFont;
    WString mText;
    // The context menu's descriptor, made by the menus of the standard controls.
    RCPtr<LRefCountedObject> mContextMenu;
    WString mToolTipText;
    bool mUseParentToolTip = false;
    bool mCreated = false;
    bool mReapplying = false;
    // While the first descriptor is applied: the layout that ends it places the control, so a
    // font given before it does not lay the control (and its parent) out once more.
    bool mFirstLayoutPending = false;
    int32_t mIdleWorkCount = 0;
    ScrollAxis mScrollAxes[2];
    int32_t mCursorId = 0;
    CursorHandle mSavedCursor = 0;
    RCPtrArray<LControl, 1, 0> mPendingRemovals;
    RCPtr<LMenuItemUpdater> mMenuItemUpdater;
    RCPtr<LNotificationCenter> mNotificationCenter;
    ChildControlList mChildren;
    bool mScrolling = false;
    bool mScrolledChildDocked = false;
    bool mClientRectCacheValid = false;
    RectT<double> mClientRectCache;
    RCPtrArray<LControl, 1, 0> mUnclippedScratch;

    friend class LControlCreation;
};

// The creation sequence for a control class: construct with the parent and the descriptor's
// name, apply the descriptor, create the children, Initialize, PostInitialize, mark created.
// The factory keeps one such function per class.
//
// A hold-back installed on the user-interface thread may stop the sequence of a control right
// after its descriptor is applied: the control is then in its parent's list, named, placed and
// sized by its skin, but has no children, is not initialised and does not count as created.
// Finish runs the rest of the sequence later, as if it had never stopped.
class LControlCreation {
public:
    class IHoldBack {
    public:
        // True stops the creation of control (its descriptor applied) here.
        virtual bool HoldsBack(LControl& control) = 0;

    protected:
        ~IHoldBack() = default;
    };

    static RCPtr<LControl>& Run(RCPtr<LControl>& out, const RCPtr<LControl>& control,
                                const RCPtr<LControlDescriptor>& descriptor);
    // Installs the hold-back of this thread (null: none); returns the one it replaces.
    static IHoldBack* SetHoldBack(IHoldBack* holdBack);
    // The rest of the sequence of a control that was held back: its children, Initialize,
    // PostInitialize, created; then, when its tree is already in a window, the attach to it.
    // Nothing for a control already created.
    static void Finish(LControl& control);
};

template <class T>
RCPtr<LControl>& CreateControlFunction(RCPtr<LControl>& out, const RCPtr<LControl>& parent,
                                       const RCPtr<LControlDescriptor>& descriptor) {
    out = nullptr;
    if (!descriptor) {
        return out;
    }
    RCPtr<LControl> control(new T(parent, descriptor->GetName()));
    return LControlCreation::Run(out, control, descriptor);
}

}  // namespace QV
