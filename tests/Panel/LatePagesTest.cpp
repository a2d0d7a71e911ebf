#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "Panel/ProductTreeFixture.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Controls/TabControl.h"

namespace {

using EditorTestSupport::Blob;
using QV::RCPtr;

// The editor's tree made as the program makes it (its tab controls' hidden pages held back, see
// QV::LTabPageDeferral) beside the fixture's tree made whole, in windows of their own, over one
// engine. Whatever happens to both, the late tree must end up as the whole one is.
class LatePagesTest : public EditorTestSupport::ProductTreeFixture {
protected:
    void SetUp() override {
        ProductTreeFixture::SetUp();
        QV::RCPtr<QV::LControl> main;
        {
            const QV::LTabPageDeferral deferral;
            ASSERT_EQ(mApp->CreateControl(u"mainControl", main), QV::S_OK);
        }
        mLate = RCPtr<QV::LMainControl>(dynamic_cast<QV::LMainControl*>(main.Get()));
        ASSERT_TRUE(mLate);
        mLateWindow = QV::TestRootWindow::Create({0, 0, 1200, 600});
        mLateWindow->SetRootControl(main);
        Attach();
        mEngine.writes.clear();
    }
    void TearDown() override {
        mLateWindow->Detach();
        mLateWindow = nullptr;
        mLate = nullptr;
        ProductTreeFixture::TearDown();
    }

    // A value for every preset id that differs from its default in every byte, stored in the
    // engine and sent to both trees as the engine's notice does.
    void SendNewValues() {
        for (int32_t id = 0; id < kDeviceParameterCount; ++id) {
            Bytes bytes = BytesOf(mEngine.defaults[static_cast<size_t>(id)]);
            for (uint8_t& byte : bytes) {
                byte = static_cast<uint8_t>(byte + 1);
            }
            mEngine.cache[static_cast<size_t>(id)] = Blob(bytes);
            for (const RCPtr<QV::LMainControl>& main : {mMain, mLate}) {
                main->ApplyParamValue(QV::ParamDescriptor(id), Blob(bytes));
            }
        }
    }
    void ForBoth(const std::function<void(QV::LMainControl&)>& action) {
        action(*mMain);
        action(*mLate);
    }
    static QV::LTabControl& TabsOf(QV::LMainControl& main) {
        return dynamic_cast<QV::LTabControl&>(*Below(main.FindChild(u"viewDevice"), u"tabControl"));
    }

    // Every control below root: its path, class, frame, visibility, text, value, tab order and,
    // for a panel of the view tree, its id and index.
    static std::string Dump(const RCPtr<QV::LControl>& root) {
        std::string out;
        std::function<void(const RCPtr<QV::LControl>&, const std::string&)> visit =
            [&](const RCPtr<QV::LControl>& control, const std::string& path) {
                const QV::RectT<double> frame = control->GetFrame();
                const QV::LControl& object = *control;
                out += path + " " + typeid(object).name() + " " + std::to_string(frame.x) + "," +
                       std::to_string(frame.y) + "," + std::to_string(frame.width) + "," +
                       std::to_string(frame.height) + (control->IsVisible() ? " shown" : " hidden") +
                       (control->IsCreated() ? "" : " unbuilt") + " '" + Narrow(control->GetText()) + "'";
                if (auto* combo = dynamic_cast<QV::LComboBox*>(control.Get())) {
                    out += " item " + std::to_string(combo->GetSelectedIndex());
                }
                if (auto* number = dynamic_cast<QV::LNumericUpDown*>(control.Get())) {
                    out += " value " + std::to_string(number->GetValue());
                }
                if (auto* module = dynamic_cast<LParameterizedModule*>(control.Get())) {
                    out += " id " + std::to_string(module->GetFirstParamID()) + "/" +
                           std::to_string(module->GetIndex());
                }
                QV::LControl::ChildControlList& children = control->GetChildren();
                out += " tabs";
                for (uint32_t i = 0; i < children.GetCount(); ++i) {
                    out += " " + Narrow(children.GetAt(i, QV::LControl::kOrderTab)->GetName());
                }
                out += "\n";
                for (uint32_t i = 0; i < children.GetCount(); ++i) {
                    const RCPtr<QV::LControl> child = children.GetAt(i, QV::LControl::kOrderCreation);
                    visit(child, path + "/" + Narrow(child->GetName()));
                }
            };
        visit(root, "");
        return out;
    }

    // The first line where the dumps of the late and the whole tree differ; empty when none does.
    std::string FirstDifference() const {
        const std::string late = Dump(mLate);
        const std::string whole = Dump(mMain);
        size_t start = 0;
        while (start < late.size() || start < whole.size()) {
            const size_t lateEnd = std::min(late.find('\n', start), late.size());
            const size_t wholeEnd = std::min(whole.find('\n', start), whole.size());
            if (late.compare(start, lateEnd - start, whole, start, wholeEnd - start) != 0) {
                return "late:  " + late.substr(start, lateEnd - start) +
                       "\nwhole: " + whole.substr(start, wholeEnd - start);
            }
            start = lateEnd + 1;
        }
        return std::string();
    }

    RCPtr<QV::LMainControl> mLate;
    RCPtr<QV::TestRootWindow> mLateWindow;
};

TEST_F(LatePagesTest, PagesBuiltAfterTheStartEndAsIfBuiltWithItWhateverCameBefore) {
    // The values come while the late tree's hidden pages (and the pads' colour pages) are empty.
    EXPECT_TRUE(TabsOf(*mLate).IsPageHeldBack(1));
    EXPECT_NE(FirstDifference(), "");
    SendNewValues();
    // A page shown first by the user, then the rest as the program builds them after its first
    // frame.
    ForBoth([](QV::LMainControl& main) { TabsOf(main).SelectTab(u"ribbonControllers"); });
    QV::LTabControl::CreateHeldBackPagesBelow(*mLate);
    ForBoth([](QV::LMainControl& main) { TabsOf(main).SelectTab(u"keybed"); });
    EXPECT_EQ(FirstDifference(), "");
    EXPECT_EQ(Shown(Page(u"keybed/keybedPanel/settings/keybedCurve/comboBox")), "CURVE 2");
}

TEST_F(LatePagesTest, EditsOnALatePageReachTheEngineAsFromAWholeOne) {
    QV::LTabControl::CreateHeldBackPagesBelow(*mLate);
    std::vector<std::vector<QV::ParamValue>> writes;
    ForBoth([&](QV::LMainControl& main) {
        mEngine.writes.clear();
        TabsOf(main).SelectTab(u"faders");
        const RCPtr<QV::LControl> view = main.FindChild(u"viewDevice");
        auto* channel = dynamic_cast<QV::LComboBox*>(
            Below(view, u"tabControl/pageHolder/faders/fader2/midiChannel/comboBox").Get());
        ASSERT_NE(channel, nullptr);
        channel->SetSelectedIndex(5);
        auto* colour = dynamic_cast<QV::LComboBox*>(
            Below(view,
                  u"tabControl/pageHolder/pads/pad3/tabControl/pageHolder/colorSettings/padColor2/comboBox")
                .Get());
        ASSERT_NE(colour, nullptr);
        colour->SetSelectedIndex(3);
        writes.push_back(mEngine.writes);
    });
    ASSERT_EQ(writes.size(), 2u);
    ASSERT_EQ(writes[0].size(), 2u);
    EXPECT_EQ(writes[0][0].descriptor.paramID, 13 + 1);
    EXPECT_EQ(writes[0][1].descriptor.paramID, 21 + 2 * 2 + 1);
    for (size_t i = 0; i < writes[0].size() && i < writes[1].size(); ++i) {
        EXPECT_EQ(writes[1][i].descriptor.paramID, writes[0][i].descriptor.paramID);
        EXPECT_EQ(BytesOf(writes[1][i].value), BytesOf(writes[0][i].value));
    }
    EXPECT_EQ(writes[1].size(), writes[0].size());
}

}  // namespace
