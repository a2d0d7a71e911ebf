#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/Controls/FileDropper.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

class FileDropperTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Framework.FileDropper", &CreateControlFunction<LFileDropper>);
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
            <SubControl Class="Framework.Button" Name="target" XPositionAbs="200" XSizeAbs="100" YSizeAbs="100">
              <Skin Name="b" LookList="Solid"/></SubControl>
            <SubControl Class="Framework.FileDropper" Name="token" XPositionAbs="10" YPositionAbs="10" XSizeAbs="54"
                        YSizeAbs="38"><Skin Name="d" LookList="Solid"/></SubControl>
            <SubControl Class="Framework.FileDropper" Name="carried" XPositionAbs="10" YPositionAbs="150" XSizeAbs="54"
                        YSizeAbs="38"><Skin Name="d" LookList="Solid"/></SubControl>
          </SubControl></Skin>)");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
    }
    void TearDown() override {
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }

    RCPtr<LControl> mMain;
};

TEST_F(FileDropperTest, APressDragsAtOnceAndTheReleaseRemovesTheToken) {
    const struct {
        const char16_t* name;
        bool move;
    } cases[] = {{u"token", false}, {u"carried", true}};
    for (const auto& c : cases) {
        RCPtr<LControl> token = mMain->FindChild(c.name);
        ASSERT_TRUE(token);
        EXPECT_TRUE(token->IsNotFocusable());
        EXPECT_TRUE(token->IsVisible());
        RCPtr<LControl> target = mMain->FindChild(u"target");
        RCPtr<NotificationRecorder> clicks = NotificationRecorder::Create(target, {u"NID_LEFT_CLICK"});
        InputDriver driver(mWindow);
        const int32_t top = static_cast<int32_t>(token->GetFrame().y);
        driver.MoveTo(30, top + 20);
        driver.Press();
        EXPECT_NE(token->GetConditions() & LControl::kLeftDragging, 0u) << c.move;
        if (c.move) {
            driver.MoveTo(120, top + 30);
            EXPECT_EQ(token->GetFrame().x, 100.0);  // the whole token follows the pointer
            EXPECT_EQ(token->GetFrame().y, top + 10.0);
            driver.MoveTo(250, 50);  // over the button
        }
        driver.Release();
        EXPECT_FALSE(token->IsVisible()) << c.move;
        mWindow->SendIdle();
        EXPECT_FALSE(mMain->FindChild(c.name)) << c.move;
        // Nothing accepts the drop: the control under it is untouched.
        EXPECT_TRUE(clicks->GetNames().empty());
        EXPECT_EQ(target->GetNormalizedValue(), 0.0);
        clicks->UnregisterAll();
    }
}

}  // namespace
}  // namespace QV
