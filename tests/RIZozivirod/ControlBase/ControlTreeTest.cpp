#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Controls/Panel.h"
#include "UITestSupport/ControlTestFixture.h"

namespace QV {
namespace {

class ControlTreeTest : public ControlTestFixture {};

RCPtr<LControl> MakeChild(const RCPtr<LControl>& parent, const char16_t* name, bool clip = true,
                          bool xDocked = false, bool yDocked = false, int32_t zOrder = 0,
                          int32_t tabStop = 0) {
    RCPtr<LControl> child(new LControl(parent, name));
    RCPtr<LControlDescriptor> descriptor = LControlDescriptor::Create(u"Test.Control", name, nullptr);
    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    layout->clipToParent = clip;
    layout->xDocked = xDocked;
    layout->yDocked = yDocked;
    layout->zOrder = zOrder;
    layout->tabStop = tabStop;
    descriptor->SetLayout(layout);
    child->ApplyDescriptor(descriptor);
    return child;
}

std::vector<std::u16string> Names(LControl& parent, int32_t order) {
    std::vector<std::u16string> names;
    for (uint32_t i = 0; i < parent.GetChildren().GetCount(); ++i) {
        names.emplace_back(parent.GetChildren().GetAt(i, order)->GetName().GetString());
    }
    return names;
}

TEST_F(ControlTreeTest, SkinTreeIsCreatedDepthFirstAndDeferredChildrenAreSkipped) {
    LoadSkin(R"(<Skin Name="Default">
      <SubControl Class="Framework.Panel" Name="Main">
        <Skin Name="s"/>
        <SubControl Class="Framework.Panel" Name="Page"><Skin Name="s"/>
          <SubControl Class="Framework.Label" Name="Title"><Skin Name="s"/></SubControl>
        </SubControl>
        <SubControl Class="Test.Control" Name="Spaced"><Skin Name="s"/>
          <CreateParamList><CreateParam ID="DEFER_CREATE"> true </CreateParam></CreateParamList></SubControl>
        <SubControl Class="Test.Control" Name="Capital"><Skin Name="s"/>
          <CreateParamList><CreateParam ID="DEFER_CREATE">TRUE</CreateParam></CreateParamList></SubControl>
        <SubControl Class="Test.Control" Name="Digit"><Skin Name="s"/>
          <CreateParamList><CreateParam ID="DEFER_CREATE">1</CreateParam></CreateParamList></SubControl>
      </SubControl></Skin>)");
    RCPtr<LControl> main = CreateInWindow(u"Main");
    ASSERT_TRUE(main);
    EXPECT_EQ(Names(*main, LControl::kOrderCreation), (std::vector<std::u16string>{u"Page", u"Digit"}));
    RCPtr<LControl> title = Find(main, u"Page/Title");
    ASSERT_TRUE(title);
    EXPECT_TRUE(title->IsCreated());
    EXPECT_EQ(title->GetParent(), Find(main, u"Page").Get());
    EXPECT_EQ(title->GetRootWindow().Get(), static_cast<IRootWindow*>(mWindow.Get()));
    EXPECT_EQ(main->GetTopLevelControl().Get(), main.Get());
    EXPECT_TRUE(dynamic_cast<LPanel*>(main.Get()) != nullptr);
    // The layout is the control's own copy.
    EXPECT_NE(title->GetLayout().Get(), title->GetDescriptor()->GetLayout().Get());
}

TEST_F(ControlTreeTest, DuplicateNameLeavesTheSecondChildDetached) {
    RCPtr<LControl> parent(new LControl(nullptr, u"Parent"));
    RCPtr<LControl> first(new LControl(parent, u"Same"));
    RCPtr<LControl> second(new LControl(parent, u"Same"));
    EXPECT_EQ(first->GetParent(), parent.Get());
    EXPECT_EQ(second->GetParent(), nullptr);
    EXPECT_EQ(parent->GetChildren().GetCount(), 1u);
    // Attaching a detached control under a taken name reports the refusal.
    EXPECT_EQ(second->SetParent(parent), E_FAIL);
    EXPECT_EQ(second->GetParent(), nullptr);
    EXPECT_EQ(first->SetParent(parent), 1);
    EXPECT_EQ(parent->GetChildren().Add(nullptr), E_INVALIDARG);
}

TEST_F(ControlTreeTest, FailedAttachIsNotFollowedByTheDescriptor) {
    RCPtr<LControl> parent(new LControl(nullptr, u"Parent"));
    RCPtr<LControl> first(new LControl(parent, u"Same"));
    RCPtr<LControl> stranger(new LControl(nullptr, u"Same"));
    RCPtr<LControlDescriptor> descriptor = LControlDescriptor::Create(u"Test.Control", u"Same", nullptr);
    descriptor->SetLayout(LLayoutDescriptor::Create());
    EXPECT_EQ(parent->AttachChild(stranger, descriptor), E_FAIL);
    EXPECT_FALSE(stranger->GetDescriptor());
    EXPECT_EQ(parent->AttachChild(nullptr, descriptor), E_FAIL);
}

TEST_F(ControlTreeTest, PaintAndTabOrdersAreSortedOnDemand) {
    RCPtr<LControl> parent(new LControl(nullptr, u"Parent"));
    // (ClipToParent, docked axes, Z_Order)
    MakeChild(parent, u"a", true, false, false, 5, 3);
    MakeChild(parent, u"b", true, true, true, 0, 1);
    MakeChild(parent, u"c", false, false, false, 0, 1);
    MakeChild(parent, u"d", true, true, false, 9, 0);
    EXPECT_EQ(Names(*parent, LControl::kOrderPaint), (std::vector<std::u16string>{u"a", u"d", u"b", u"c"}));
    EXPECT_EQ(Names(*parent, LControl::kOrderTab), (std::vector<std::u16string>{u"d", u"b", u"c", u"a"}));
    EXPECT_EQ(Names(*parent, LControl::kOrderCreation),
              (std::vector<std::u16string>{u"a", u"b", u"c", u"d"}));
    // A child that stops being clipped, or stops being focusable, moves at the next ordered read.
    parent->FindChild(u"a")->SetClipToParent(false);
    EXPECT_EQ(Names(*parent, LControl::kOrderPaint), (std::vector<std::u16string>{u"d", u"b", u"c", u"a"}));
    parent->FindChild(u"d")->SetNotFocusable(false);
    parent->FindChild(u"d")->SetNotFocusable(true);
    EXPECT_EQ(parent->FindChild(u"d")->GetLayout()->tabStop, -1);
    EXPECT_EQ(Names(*parent, LControl::kOrderTab).front(), u"d");
    EXPECT_EQ(parent->FindChildIndex(parent->FindChild(u"c").Get(), LControl::kOrderPaint), 2);
    EXPECT_EQ(parent->FindChildIndex(parent.Get(), LControl::kOrderPaint), -1);

    for (const std::pair<uint32_t, int32_t>& bad : {std::pair<uint32_t, int32_t>{4, 0}, {0, 3}}) {
        try {
            parent->GetChildren().GetAt(bad.first, bad.second);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& error) {
            EXPECT_TRUE(std::regex_match(
                error.what(), std::regex("Runtime Error : QV::LControl::ChildControlList::GetAt : "
                                         "RIZozivirod/ControlBase/ControlTree\\.cpp : Line [0-9]+")))
                << error.what();
        }
    }
}

TEST_F(ControlTreeTest, RenameKeepsLaterSiblingsPlacedAgainstTheChild) {
    RCPtr<LControl> parent(new LControl(nullptr, u"Parent"));
    RCPtr<LControl> anchor = MakeChild(parent, u"anchor");
    RCPtr<LControl> other = MakeChild(parent, u"other");
    RCPtr<LControl> follower = MakeChild(parent, u"follower");
    follower->GetLayout()->xPlacement.reference = PlacementReference::kNamed;
    follower->GetLayout()->xPlacement.referenceName = u"anchor";
    follower->GetLayout()->ySize.reference = SizeReference::kNamed;
    follower->GetLayout()->ySize.referenceName = u"anchor";
    LControl::ChildControlList& children = parent->GetChildren();

    EXPECT_EQ(children.RenameChild(anchor, u"anchor"), 1);
    EXPECT_EQ(children.RenameChild(anchor, u"other"), E_FAIL);
    EXPECT_EQ(anchor->GetName(), u"anchor");
    EXPECT_EQ(children.RenameChild(RCPtr<LControl>(new LControl(nullptr, u"x")), u"y"), E_INVALIDARG);
    EXPECT_EQ(children.RenameChild(anchor, u"moved"), S_OK);
    EXPECT_EQ(parent->FindChild(u"moved").Get(), anchor.Get());
    EXPECT_EQ(follower->GetLayout()->xPlacement.referenceName, u"moved");
    EXPECT_EQ(follower->GetLayout()->ySize.referenceName, u"moved");
}

TEST_F(ControlTreeTest, ReleaseInternalReferencesClearsTheTreeAndReportsOutsideHolders) {
    RCPtr<LControl> parent(new LControl(nullptr, u"Parent"));
    RCPtr<LControl> child(new LControl(parent, u"Child"));
    RCPtr<LControl> extra = parent;
    EXPECT_EQ(parent->ReleaseInternalReferences(), E_FAIL);
    EXPECT_EQ(parent->GetChildren().GetCount(), 0u);
    EXPECT_EQ(child->GetParent(), nullptr);

    // A child that outlives its parent is left without a parent, not with a dangling one.
    RCPtr<LControl> survivor(new LControl(parent, u"Survivor"));
    parent = nullptr;
    extra = nullptr;
    EXPECT_EQ(survivor->GetParent(), nullptr);
    EXPECT_EQ(survivor->GetTopLevelControl().Get(), survivor.Get());
}

TEST_F(ControlTreeTest, UnclippedCountsFollowAttachDetachAndClipping) {
    RCPtr<LControl> root(new LControl(nullptr, u"Root"));
    RCPtr<LControl> middle = MakeChild(root, u"Middle");
    RCPtr<LControl> floating = MakeChild(middle, u"Floating", false);
    MakeChild(floating, u"Inner", false);
    EXPECT_EQ(middle->GetUnclippedDescendantCount(), 2);
    EXPECT_EQ(root->GetUnclippedDescendantCount(), 2);
    floating->SetClipToParent(true);
    EXPECT_EQ(root->GetUnclippedDescendantCount(), 1);
    EXPECT_EQ(middle->SetParent(nullptr), S_OK);
    EXPECT_EQ(root->GetUnclippedDescendantCount(), 0);
    EXPECT_EQ(middle->SetParent(root), S_OK);
    EXPECT_EQ(root->GetUnclippedDescendantCount(), 1);
}

// Counts the "NID_TEST" notifications its handler receives, and sends itself one while it is
// still being created.
class CountingControl : public LControl {
public:
    CountingControl(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

    int32_t Initialize() override {
        LControl::Initialize();
        return GetHandler()->AddDirectHandler(
            [](LControl& self, const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
                ++static_cast<CountingControl&>(self).received;
                return 0;
            },
            u"NID_TEST");
    }
    int32_t PostInitialize() override {
        PostNotificationByName(RCPtr<LRefCountedObject>(static_cast<LNotificationClient*>(this)), u"NID_TEST",
                               nullptr);
        return S_OK;
    }

    int32_t received = 0;
};

TEST_F(ControlTreeTest, NotificationsReachHandlersOnlyOnceCreated) {
    mFactory->RegisterControlClass(u"Test.Counting", &CreateControlFunction<CountingControl>);
    LoadSkin(
        R"(<Skin Name="Default"><SubControl Class="Test.Counting" Name="Counter"><Skin Name="s"/></SubControl></Skin>)");
    RCPtr<CountingControl> control = Create(u"Counter");
    ASSERT_TRUE(control);
    EXPECT_EQ(control->received, 0);
    LControl::PostNotificationByName(
        RCPtr<LRefCountedObject>(static_cast<LNotificationClient*>(control.Get())), u"NID_TEST", nullptr);
    EXPECT_EQ(control->received, 1);
}

}  // namespace
}  // namespace QV
