#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Panel/ProductTreeFixture.h"
#include "UI/ProgramChangeEditPanel.h"

namespace {

using EditorTestSupport::Blob;
using QV::RCPtr;

class ProgramChangeEditPanelTest : public EditorTestSupport::ProductTreeFixture {
protected:
    RCPtr<QV::LControl> Control(const std::u16string& path) const {
        return Page(u"keybed/programChange/" + path);
    }
    // What the four controls show, in the panel's order: send on load, program, LSB, MSB.
    std::vector<std::string> ShownAll() const {
        return {Shown(Control(u"sendOnLoad/comboBox")), Shown(Control(u"programChange/numericUpDown")),
                Shown(Control(u"programLSB/numericUpDown")), Shown(Control(u"programMSB/numericUpDown"))};
    }
};

// Parameter 1 is the panel on the keybed page, its boxes labelled.
TEST_F(ProgramChangeEditPanelTest, IsParameterOneWithItsLabels) {
    EXPECT_EQ(dynamic_cast<QV::LControl*>(mMain->GetModule(1).Get()), Page(u"keybed/programChange").Get());
    EXPECT_EQ(Shown(Control(u"headerLabel")), "PROGRAM CHANGE");
    EXPECT_EQ(Shown(Control(u"sendOnLoad/controlNameLabel")), "SEND ON LOAD");
    EXPECT_EQ(Shown(Control(u"programChange/controlNameLabel")), "PROGRAM #");
    EXPECT_EQ(Shown(Control(u"programLSB/controlNameLabel")), "PROGRAM LSB");
    EXPECT_EQ(Shown(Control(u"programMSB/controlNameLabel")), "PROGRAM MSB");
}

// Record -> controls: byte 1 is the MSB and byte 3 the program number; bytes are signed.
TEST_F(ProgramChangeEditPanelTest, ARecordShowsInItsByteOrder) {
    const struct {
        Bytes record;
        std::vector<std::string> shown;
    } cases[] = {
        {{0x01, 0x02, 0x03, 0x04}, {"NO", "4", "3", "2"}},
        {{0x00, 0x7F, 0x00, 0x51}, {"YES", "81", "0", "127"}},
        {{0x02, 0x00, 0x10, 0x90}, {"", "0", "16", "0"}},
    };
    for (const auto& c : cases) {
        Apply(1, c.record);
        EXPECT_EQ(ShownAll(), c.shown);
    }
    EXPECT_TRUE(mEngine.writes.empty());
}

// Control -> record: each control writes its own byte, the others as shown.
TEST_F(ProgramChangeEditPanelTest, AnEditSendsTheWholeRecordInItsByteOrder) {
    const struct {
        std::function<void()> edit;
        Bytes sent;
    } cases[] = {
        {[&] { dynamic_cast<QV::LComboBox&>(*Control(u"sendOnLoad/comboBox")).SetSelectedIndex(0); },
         {0x00, 0x02, 0x03, 0x04}},
        {[&] { Control(u"programChange/numericUpDown")->SetValue(100); }, {0x01, 0x02, 0x03, 100}},
        {[&] { Control(u"programLSB/numericUpDown")->SetValue(7); }, {0x01, 0x02, 7, 0x04}},
        {[&] { Control(u"programMSB/numericUpDown")->SetValue(127); }, {0x01, 127, 0x03, 0x04}},
    };
    for (const auto& c : cases) {
        Apply(1, {0x01, 0x02, 0x03, 0x04});
        mEngine.writes.clear();
        c.edit();
        ASSERT_EQ(mEngine.writes.size(), 1u);
        EXPECT_EQ(mEngine.writes[0].descriptor.paramID, 1);
        EXPECT_EQ(BytesOf(mEngine.writes[0].value), c.sent);
    }
}

TEST_F(ProgramChangeEditPanelTest, ARecordOfTheWrongLengthIsRefusedAndChangesNothing) {
    Apply(1, {0x01, 0x02, 0x03, 0x04});
    const RCPtr<LParameterizedModule> panel = mMain->GetModule(1);
    ASSERT_TRUE(panel);
    for (const Bytes& wrong : {Bytes{}, Bytes{0x00, 0x05, 0x06}, Bytes{0x00, 0x05, 0x06, 0x07, 0x08}}) {
        EXPECT_EQ(panel->SetParamValueLocal(QV::ParamDescriptor(1), Blob(wrong), true), QV::E_FAIL);
        EXPECT_EQ(ShownAll(), (std::vector<std::string>{"NO", "4", "3", "2"}));
    }
    EXPECT_TRUE(mEngine.writes.empty());
}

}  // namespace
