#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/Controls/StatusBar.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

class StatusBarTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Framework.StatusBar", &CreateControlFunction<LStatusBar>);
        const std::string label =
            R"(<SubControl Class="Framework.Label" Name="label1" XSizeAbs="300" YSizeAbs="20"><Skin Name="l" LookList="Solid"/></SubControl>)";
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
            <SubControl Class="Framework.StatusBar" Name="Status" YPositionAbs="280" XSizeAbs="400" YSizeAbs="20">
              <Skin Name="b" LookList="Solid">)" +
                 label + R"(</Skin></SubControl></SubControl>
          <SubControl Class="Framework.StatusBar" Name="Loose" XSizeAbs="400" YSizeAbs="20"><Skin Name="b" LookList="Solid">)" +
                 label + R"(</Skin></SubControl>
          <SubControl Class="Framework.StatusBar" Name="Bare" XSizeAbs="400" YSizeAbs="20"/></Skin>)");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mBar = RCPtr<LStatusBar>(dynamic_cast<LStatusBar*>(Find(mMain, u"Status").Get()));
        ASSERT_TRUE(mBar);
    }
    void TearDown() override {
        mBar = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    std::u16string Shown() const { return mBar->GetLabel()->GetText().GetString(); }

    RCPtr<LControl> mMain;
    RCPtr<LStatusBar> mBar;
};

TEST_F(StatusBarTest, PostsFromAnotherThreadCoalesceToTheNewest) {
    EXPECT_TRUE(mBar->IsNotFocusable());
    EXPECT_EQ(mBar->GetDefaultStatusText().GetLength(), 0);  // the label has no "LABEL" string
    std::thread poster([bar = mBar] {
        for (const char16_t* text : {u"first", u"second", u"third"}) {
            EXPECT_EQ(bar->PostStatusText(WString(text)), S_OK);
        }
    });
    poster.join();
    EXPECT_EQ(Shown(), u"");  // nothing shows before the idle pass
    mWindow->SendIdle();
    EXPECT_EQ(Shown(), u"third");
    EXPECT_EQ(mBar->GetPendingCount(), 0u);

    // Posting while the user-interface thread drains: every text arrives whole, the last one last.
    std::thread busy([bar = mBar] {
        for (int i = 0; i < 200; ++i) {
            bar->PostStatusText(WString::Format(u"text %d", i));
        }
    });
    for (int i = 0; i < 50; ++i) {
        mWindow->SendIdle();
    }
    busy.join();
    mWindow->SendIdle();
    EXPECT_EQ(Shown(), u"text 199");
}

TEST_F(StatusBarTest, AnImmediateTextComesAfterWhatWasPosted) {
    mBar->PostStatusText(u"queued");
    EXPECT_EQ(mBar->SetStatusTextNow(u"now"), S_OK);
    EXPECT_EQ(Shown(), u"now");
    EXPECT_EQ(mBar->GetPendingCount(), 0u);
    mWindow->SendIdle();
    EXPECT_EQ(Shown(), u"now");
}

TEST_F(StatusBarTest, AReleasedBarTakesNoPostsAndALabelIsRequired) {
    RCPtr<LControl> loose = Create(u"Loose");
    RCPtr<LStatusBar> bar(dynamic_cast<LStatusBar*>(loose.Get()));
    ASSERT_TRUE(bar);
    bar->ReleaseInternalReferences();
    EXPECT_EQ(bar->PostStatusText(u"late"), E_FAIL);
    EXPECT_EQ(bar->GetLabel()->GetText().GetLength(), 0);
    bar = nullptr;
    loose = nullptr;
    try {
        Create(u"Bare");
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("Null Pointer : "), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace QV
