#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/ControlBase/Control.h"
#include "UITestSupport/ControlTestFixture.h"

namespace QV {
namespace {

const char* const kIdleSkin = R"(<Skin Name="Default">
  <SubControl Class="Framework.Panel" Name="Main" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
      YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="s"/>
    <SubControl Class="Test.Control" Name="A" XSizeAbs="50" YSizeAbs="20"><Skin Name="s"/></SubControl>
    <SubControl Class="Test.Control" Name="B" XPositionAbs="60" XSizeAbs="50" YSizeAbs="20"><Skin Name="s"/></SubControl>
  </SubControl></Skin>)";

class ControlIdleTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        LoadSkin(kIdleSkin);
    }
};

TEST_F(ControlIdleTest, IdleWorkStartedWithoutWindowRegistersWhenTheTreeGetsOne) {
    RCPtr<LControl> main = Create(u"Main");
    RCPtr<LControl> a = main->FindChild(u"A");
    EXPECT_EQ(a->StartScrollAnimation(1, 100, 500, 0, nullptr), S_OK);
    EXPECT_EQ(a->GetIdleWorkCount(), 1);
    EXPECT_EQ(mWindow->GetIdleRegistrationCount(), 0u);
    mWindow->SetRootControl(main);
    EXPECT_EQ(mWindow->GetIdleRegistrationCount(), 1u);
    EXPECT_EQ(a->StopScrollAnimation(0), 1) << "the other axis was not animating";
    EXPECT_EQ(a->GetIdleWorkCount(), 1);
    EXPECT_EQ(a->StopScrollAnimation(1), S_OK);
    EXPECT_EQ(a->GetIdleWorkCount(), 0);
    EXPECT_EQ(mWindow->GetIdleRegistrationCount(), 0u);
}

TEST_F(ControlIdleTest, QueuedRemovalsHoldOneUnitAndAreClosedAtTheNextIdlePass) {
    RCPtr<LControl> main = CreateInWindow(u"Main");
    RCPtr<LControl> a = main->FindChild(u"A");
    RCPtr<LControl> b = main->FindChild(u"B");
    mWindow->SetMouseButtonsForTest(kMouseButtonLeft);
    ASSERT_EQ(a->OnCaptureStart(1, 1, 1), S_OK);

    EXPECT_EQ(main->RemoveChildLater(a), S_OK);
    EXPECT_EQ(main->RemoveChildLater(a), S_OK);
    EXPECT_EQ(main->RemoveChildLater(b), S_OK);
    EXPECT_EQ(main->RemoveChildLater(main), E_INVALIDARG);
    // Hidden and out of the capture at once, still in the tree until the idle pass.
    EXPECT_FALSE(a->IsVisible());
    EXPECT_FALSE(a->HasCapture());
    EXPECT_EQ(a->GetParent(), main.Get());
    EXPECT_EQ(main->GetPendingRemovalCount(), 2u);
    EXPECT_EQ(main->GetIdleWorkCount(), 1);

    EXPECT_EQ(mWindow->SendIdle(), 1u);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_EQ(main->GetChildren().GetCount(), 0u);
    EXPECT_EQ(main->GetIdleWorkCount(), 0);
    EXPECT_EQ(mWindow->GetIdleRegistrationCount(), 0u);
    EXPECT_EQ(mWindow->SendIdle(), 0u);
}

TEST_F(ControlIdleTest, AttachingWithNothingPendingLeavesOtherIdleWorkAlone) {
    RCPtr<LControl> main = CreateInWindow(u"Main");
    ASSERT_EQ(main->StartScrollAnimation(0, 10, 100, 0, nullptr), S_OK);
    for (const char16_t* name : {u"C", u"D", u"E"}) {
        RCPtr<LControl> child(new LControl(main, name));
        EXPECT_EQ(child->GetParent(), main.Get());
    }
    EXPECT_EQ(main->ProcessPendingRemovals(), S_OK);
    EXPECT_EQ(main->GetIdleWorkCount(), 1);
    EXPECT_EQ(mWindow->GetIdleRegistrationCount(), 1u);

    // A pending child under the same name is removed before the new one is attached.
    RCPtr<LControl> old = main->FindChild(u"C");
    ASSERT_EQ(main->RemoveChildLater(old), S_OK);
    RCPtr<LControl> replacement(new LControl(main, u"C"));
    EXPECT_EQ(replacement->GetParent(), main.Get());
    EXPECT_EQ(old->GetParent(), nullptr);
    EXPECT_EQ(main->GetIdleWorkCount(), 1) << "the animation's unit stays";
}

TEST_F(ControlIdleTest, CloseEndsEveryPieceOfIdleWorkAndDetaches) {
    RCPtr<LControl> main = CreateInWindow(u"Main");
    RCPtr<LControl> a = main->FindChild(u"A");
    a->StartScrollAnimation(0, 10, 100, 0, nullptr);
    a->StartScrollAnimation(1, 10, 100, 0, nullptr);
    a->BeginIdleWork();
    EXPECT_EQ(a->GetIdleWorkCount(), 3);
    EXPECT_EQ(a->Close(), S_OK);
    EXPECT_EQ(a->GetIdleWorkCount(), 0);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(mWindow->GetIdleRegistrationCount(), 0u);
    // Ending work that is not there changes nothing.
    EXPECT_EQ(a->EndIdleWork(), S_OK);
    EXPECT_EQ(a->GetIdleWorkCount(), 0);
}

}  // namespace
}  // namespace QV
