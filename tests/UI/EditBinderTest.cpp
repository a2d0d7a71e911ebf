#include <gtest/gtest.h>

#include <new>
#include <string>

#include "RIZozivirod/Controls/Panel.h"
#include "UI/EditPanel.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/StandardSkin.h"

namespace {

constexpr QV::RecordField kBinderTestLayout[] = {QV::RecordField::Number(0, 127), QV::RecordField::Choice()};

// A panel binding a number box and a combo box the way the edit panels do.
class BinderTestPanel : public QV::LPanel {
public:
    BinderTestPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
        : QV::LPanel(parent, name), mRecord(kBinderTestLayout) {}

    int32_t Initialize() override {
        const int32_t result = QV::LPanel::Initialize();
        mHandler = QV::LNotificationHandler<BinderTestPanel>::Create(this);
        QV::LEditBinder<BinderTestPanel> bind(*this, mHandler, mRecord);
        bind.Number(0, u"number", {.composite = "Cannot find child data1"});
        bind.Choice(1, u"choice");
        return result;
    }
    int32_t OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>&,
                             const QV::RCPtr<QV::LNotification>&) {
        return 1;
    }

private:
    QV::RCPtr<QV::LNotificationHandler<BinderTestPanel>> mHandler;
    QV::LEditRecord mRecord;
};

class EditBinderTest : public QV::ControlTestFixture {};

// A skin without a part the panel binds is refused at creation, in the words the panel chose, naming
// the panel's own Initialize and source rather than the binder's.
TEST_F(EditBinderTest, AMissingPartThrowsNamingThePanel) {
    mFactory->RegisterControlClass(u"Test.BinderPanel", &QV::CreateControlFunction<BinderTestPanel>);
    LoadSkin(QV::TestSupport::SolidLooks() + R"(<Skin Name="Default">
      <SubControl Class="Test.BinderPanel" Name="withoutNumber" XSizeAbs="100" YSizeAbs="20"/>
      <SubControl Class="Test.BinderPanel" Name="numberOfAnotherClass" XSizeAbs="100" YSizeAbs="20">
        <Skin Name="s" LookList="Solid">
        <SubControl Class="Framework.Panel" Name="number" XSizeAbs="50" YSizeAbs="20"><Skin Name="s" LookList="Solid">
          <SubControl Class="Framework.Panel" Name="numericUpDown" XSizeAbs="50" YSizeAbs="20"/>
        </Skin></SubControl>
        </Skin>
      </SubControl>
    </Skin>)");
    const struct {
        const char16_t* skin;
        const char* message;
    } cases[] = {
        {u"withoutNumber", "Runtime Error : Null Pointer : Cannot find child data1 : "},
        {u"numberOfAnotherClass", "Runtime Error : Null Pointer : Cannot find child numericUpDown : "},
    };
    for (const auto& c : cases) {
        try {
            Create(c.skin);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& error) {
            const std::string text = error.what();
            EXPECT_EQ(text.rfind(c.message, 0), 0u) << text;
            EXPECT_NE(text.find("BinderTestPanel::Initialize : "), std::string::npos) << text;
            EXPECT_NE(text.find("UI/EditBinderTest.cpp : Line "), std::string::npos) << text;
        }
    }
}

}  // namespace
