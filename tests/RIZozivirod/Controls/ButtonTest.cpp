#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/Button.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"

namespace QV {
namespace {

std::string FourteenLooks() {
    std::string list = R"(<LookList Name="Button" NumLooks="14">)";
    for (int i = 0; i < 14; ++i) {
        list += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    return list + "</LookList>";
}

class ButtonTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        LoadSkin(R"(<Colorizers><Colorizer Name="C" ColorType="SolidFill" Color="0xFF808080"/></Colorizers>
          <Parts><Part Name="Fill" Width="1" Height="1" ResizeType="Stretch" ColorizerName="C"/></Parts>
          <Looks><Look Name="Solid"><ClientPart Name="Fill" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
          <LookLists><LookList Name="Solid" NumLooks="1"><Look Name="Solid" Index="0"/></LookList>)" +
                 FourteenLooks() + R"(</LookLists>
          <Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
            <SubControl Class="Framework.Button" Name="push" XPositionAbs="10" YPositionAbs="10" XSizeAbs="80" YSizeAbs="20"
                        TabStop="1"><Skin Name="b" LookList="Button"/></SubControl>
            <SubControl Class="Framework.Button" Name="toggle" XPositionAbs="100" YPositionAbs="10" XSizeAbs="80" YSizeAbs="20"
                        TabStop="2"><CreateParamList><CreateParam ID="AUTO_VALUE_SET">True</CreateParam></CreateParamList>
                        <Skin Name="b" LookList="Button"/></SubControl>
            <SubControl Class="Framework.Panel" Name="group" XPositionAbs="10" YPositionAbs="50" XSizeAbs="300" YSizeAbs="30">
              <Skin Name="s" LookList="Solid"/>
              <SubControl Class="Framework.Button" Name="r0" XPositionAbs="0" XSizeAbs="50" YSizeAbs="20"><CreateParamList>
                <CreateParam ID="AUTO_VALUE_SET">true</CreateParam><CreateParam ID="IS_RADIO">TRUE</CreateParam></CreateParamList>
                <Skin Name="b" LookList="Button"/></SubControl>
              <SubControl Class="Framework.Button" Name="r1" XPositionAbs="60" XSizeAbs="50" YSizeAbs="20"><CreateParamList>
                <CreateParam ID="AUTO_VALUE_SET">true</CreateParam><CreateParam ID="IS_RADIO">true</CreateParam></CreateParamList>
                <Skin Name="b" LookList="Button"/></SubControl>
              <SubControl Class="Framework.Button" Name="r2" XPositionAbs="120" XSizeAbs="50" YSizeAbs="20"><CreateParamList>
                <CreateParam ID="AUTO_VALUE_SET">true</CreateParam><CreateParam ID="IS_RADIO">true</CreateParam></CreateParamList>
                <Skin Name="b" LookList="Button"/></SubControl>
              <SubControl Class="Framework.Button" Name="spaced" XPositionAbs="180" XSizeAbs="50" YSizeAbs="20"><CreateParamList>
                <CreateParam ID="IS_RADIO"> true</CreateParam></CreateParamList><Skin Name="b" LookList="Button"/></SubControl>
            </SubControl>
            <SubControl Class="Framework.Button" Name="other" XPositionAbs="10" YPositionAbs="100" XSizeAbs="80" YSizeAbs="20"><CreateParamList>
              <CreateParam ID="AUTO_VALUE_SET">true</CreateParam><CreateParam ID="IS_RADIO">true</CreateParam></CreateParamList>
              <Skin Name="b" LookList="Button"/></SubControl>
          </SubControl></Skin>)");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mDriver = std::make_unique<InputDriver>(mWindow);
    }
    void TearDown() override {
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    LButton* Button(const std::u16string& path) { return dynamic_cast<LButton*>(Find(mMain, path).Get()); }
    // Lets time pass in idle passes of step milliseconds.
    void Pass(uint32_t ms, uint32_t step = 10) {
        for (uint32_t t = 0; t < ms; t += step) {
            mServices->AdvanceMs(step);
            mWindow->SendIdle();
        }
    }

    RCPtr<LControl> mMain;
    std::unique_ptr<InputDriver> mDriver;
};

TEST_F(ButtonTest, LookFollowsHoverPressFocusValueAndEnabling) {
    LButton* push = Button(u"push");
    ASSERT_NE(push, nullptr);
    struct Step {
        const char* what;
        std::function<void()> act;
        int32_t look;
    };
    const std::vector<Step> steps = {
        {"normal", [] {}, 0},
        {"hover", [&] { mDriver->MoveTo(20, 20); }, 1},
        {"pressed, focused, not moved yet", [&] { mDriver->Press(1); }, 3},
        {"moved by the threshold", [&] { mDriver->MoveTo(21, 20); }, 5},
        {"dragged outside", [&] { mDriver->MoveTo(200, 200); }, 4},
        {"keeping the pressed look outside",
         [&] {
             push->SetKeepPressedLook(true);
             push->UpdateLookState();
         },
         5},
        {"released outside, focused", [&] { mDriver->Release(1); }, 3},
        {"on and focused", [&] { push->SetChecked(true); }, 10},
        {"on, hovered, focused", [&] { mDriver->MoveTo(20, 20); }, 11},
        {"disabled on", [&] { push->SetEnabled(false); }, 13},
        {"disabled off", [&] { push->SetChecked(false); }, 6},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(push->GetCurrentLookIndex(), step.look);
    }
}

TEST_F(ButtonTest, ToggleAndRadioGroupsSendTheValueBeforeTheClick) {
    LButton* toggle = Button(u"toggle");
    RCPtr<NotificationRecorder> recorder =
        NotificationRecorder::Create(RCPtr<LControl>(toggle), {u"NID_VALUE_CHANGE", u"NID_LEFT_CLICK"});
    mDriver->Click(120, 20);
    EXPECT_TRUE(toggle->IsChecked());
    mDriver->Click(120, 20);
    EXPECT_FALSE(toggle->IsChecked());
    EXPECT_EQ(recorder->GetNames(), (std::vector<std::u16string>{u"NID_VALUE_CHANGE", u"NID_LEFT_CLICK",
                                                                 u"NID_VALUE_CHANGE", u"NID_LEFT_CLICK"}));

    LButton* r0 = Button(u"group/r0");
    LButton* r1 = Button(u"group/r1");
    LButton* r2 = Button(u"group/r2");
    LButton* other = Button(u"other");
    EXPECT_TRUE(r0->IsRadio());
    EXPECT_FALSE(Button(u"group/spaced")->IsRadio());  // a blank before the word is not true
    other->SetChecked(true);
    r1->SetChecked(true);
    RCPtr<NotificationRecorder> r1Values =
        NotificationRecorder::Create(RCPtr<LControl>(r1), {u"NID_VALUE_CHANGE"});
    RCPtr<NotificationRecorder> r2Events =
        NotificationRecorder::Create(RCPtr<LControl>(r2), {u"NID_VALUE_CHANGE", u"NID_LEFT_CLICK"});
    mDriver->Click(150, 60);  // r2
    EXPECT_FALSE(r0->IsChecked());
    EXPECT_FALSE(r1->IsChecked());
    EXPECT_TRUE(r2->IsChecked());
    EXPECT_TRUE(other->IsChecked());  // another parent, another group
    EXPECT_EQ(r1Values->GetNames().size(), 1u);
    mDriver->Click(150, 60);
    EXPECT_EQ(r2Events->GetNames(),
              (std::vector<std::u16string>{u"NID_VALUE_CHANGE", u"NID_LEFT_CLICK", u"NID_LEFT_CLICK"}));
}

TEST_F(ButtonTest, AutorepeatAtThePressAfterTheDelayThenEveryIntervalWhileOverTheButton) {
    LButton* push = Button(u"push");
    push->SetAutoRepeat(true);
    std::vector<uint32_t> times;
    class Timer : public LNotificationClient {
    public:
        Timer(std::vector<uint32_t>* out, TestApplicationServices* services)
            : mOut(out), mServices(services) {}
        void ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                 const RCPtr<LNotification>&) override {
            mOut->push_back(mServices->timeMs);
        }
        std::vector<uint32_t>* mOut;
        TestApplicationServices* mServices;
    };
    RCPtr<Timer> timer(new Timer(&times, &mServices.Get()));
    timer->RegisterForNotification(RCPtr<LControl>(push), u"NID_BUTTON_AUTOREPEAT", 0);
    mDriver->MoveTo(20, 20);
    mDriver->Press(1);
    Pass(520);
    EXPECT_EQ(times, (std::vector<uint32_t>{0, 300, 400, 500}));
    // Off the button the countdown stands still.
    mDriver->MoveTo(200, 200);
    Pass(500);
    EXPECT_EQ(times.size(), 4u);
    mDriver->MoveTo(20, 20);
    Pass(100);
    EXPECT_EQ(times.size(), 5u);
    mDriver->Release(1);
    EXPECT_FALSE(push->IsRepeating());
    Pass(300);
    EXPECT_EQ(times.size(), 5u);
    EXPECT_EQ(push->GetIdleWorkCount(), 0);
    timer->UnregisterForNotification(RCPtr<LControl>(push), u"NID_BUTTON_AUTOREPEAT");
}

TEST_F(ButtonTest, ReturnShowsThePressedLookThenClicks) {
    LButton* push = Button(u"push");
    push->SetFocus(true);
    RCPtr<NotificationRecorder> clicks =
        NotificationRecorder::Create(RCPtr<LControl>(push), {u"NID_LEFT_CLICK"});
    EXPECT_EQ(push->HandleKeyDown(LKeyParam::Create(KeyCode(0x0D, true, 0, KeyCode::kShift), true)), 1);
    mDriver->Key(0x0D);
    EXPECT_EQ(push->GetCurrentLookIndex(), 2);
    Pass(140);
    EXPECT_TRUE(clicks->GetNames().empty());
    // A second request completes the first at once and starts afresh.
    push->SimulateClick();
    EXPECT_EQ(clicks->GetNames().size(), 1u);
    Pass(150);
    EXPECT_EQ(clicks->GetNames().size(), 2u);
    EXPECT_EQ(push->GetCurrentLookIndex(), 3);  // focused, normal
    EXPECT_EQ(push->GetIdleWorkCount(), 0);
}

TEST_F(ButtonTest, DisplayOnlyButtonIsNeverUnderThePointer) {
    LButton* push = Button(u"push");
    push->SetDisplayOnly(true);
    mDriver->MoveTo(20, 20);
    EXPECT_EQ(mDriver->Press(1).Get(), mMain.Get());
    mDriver->Release(1);
    const int32_t look = push->GetCurrentLookIndex();
    push->SetChecked(true);
    EXPECT_EQ(push->GetCurrentLookIndex(), look);
}

}  // namespace
}  // namespace QV
