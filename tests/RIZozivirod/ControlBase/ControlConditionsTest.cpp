#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/PointerParams.h"
#include "RIZozivirod/Controls/Panel.h"
#include "UITestSupport/ControlTestFixture.h"

namespace QV {
namespace {

// A window-sized panel with three focusable controls and a nested panel holding two more.
const char* const kFocusSkin = R"(<Skin Name="Default">
  <SubControl Class="Framework.Panel" Name="Main" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
      YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="s"/>
    <SubControl Class="Test.Control" Name="A" TabStop="1" XPositionAbs="0" XSizeAbs="50" YSizeAbs="20"><Skin Name="s"/>
      </SubControl>
    <SubControl Class="Test.Control" Name="B" TabStop="2" XPositionAbs="60" XSizeAbs="50" YSizeAbs="20"><Skin Name="s"/>
      </SubControl>
    <SubControl Class="Framework.Panel" Name="Inner" TabStop="3" YPositionAbs="40" XSizeAbs="200" YSizeAbs="100">
      <Skin Name="s"/>
      <SubControl Class="Test.Control" Name="C" TabStop="1" XSizeAbs="50" YSizeAbs="20"><Skin Name="s"/></SubControl>
      <SubControl Class="Test.Control" Name="D" TabStop="2" XPositionAbs="60" XSizeAbs="50" YSizeAbs="20">
        <Skin Name="s"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.Label" Name="Caption" TabStop="0" YPositionAbs="200" XSizeAbs="50" YSizeAbs="20">
      <Skin Name="s"/></SubControl>
  </SubControl></Skin>)";

class ControlConditionsTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        LoadSkin(kFocusSkin);
        main = CreateInWindow(u"Main");
        ASSERT_TRUE(main);
    }
    void TearDown() override {
        main = nullptr;
        ControlTestFixture::TearDown();
    }
    RCPtr<LControl> At(const char16_t* path) { return Find(main, path); }
    // The name of the control with the focus, and the chain of controls containing it.
    std::u16string FocusChain() {
        std::u16string chain;
        for (LControl* control = main.Get(); control != nullptr;) {
            if (control->HasFocus()) {
                return chain + control->GetName().GetString();
            }
            if (!control->ContainsFocus()) {
                return chain + u"-";
            }
            chain += std::u16string(control->GetName().GetString()) + u">";
            RCPtr<LControl> next = control->GetFocusChild();
            control = next.Get();
        }
        return chain + u"?";
    }

    RCPtr<LControl> main;
};

TEST_F(ControlConditionsTest, TreeFromSkinIsLaidOutInTheWindow) {
    EXPECT_EQ(main->GetFrame(), (RectT<double>{0, 0, 400, 300}));
    EXPECT_EQ(At(u"B")->GetFrame(), (RectT<double>{60, 0, 50, 20}));
    EXPECT_EQ(At(u"Inner/D")->GetFrame(), (RectT<double>{60, 0, 50, 20}));
    EXPECT_EQ(At(u"Inner/D")->GetRectInWindow(), (PointT<double>{60, 40}));
    EXPECT_EQ(At(u"Inner/D")->GetConditions(), LControl::kEnabled | LControl::kVisible);

    // Placements: another axis stores nothing; a wider size moves the later sibling chain.
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    RCPtr<LControl> a = At(u"A");
    ASSERT_EQ(a->GetPlacement(0, placement, size), S_OK);
    EXPECT_EQ(a->GetPlacement(2, placement, size), E_INVALIDARG);
    size.offset = 70;
    EXPECT_EQ(a->SetPlacement(2, placement, size), 1);
    EXPECT_EQ(a->GetFrame().width, 50);
    EXPECT_EQ(a->SetPlacement(0, placement, size), S_OK);
    EXPECT_EQ(a->GetFrame(), (RectT<double>{0, 0, 70, 20}));
    PointT<double> minimum;
    EXPECT_EQ(a->MeasureMinimumSize(minimum), S_OK);
    EXPECT_EQ(minimum, (PointT<double>{0, 0}));
    EXPECT_EQ(a->GetFrame(), (RectT<double>{0, 0, 70, 20})) << "measuring leaves the control as it was";
}

TEST_F(ControlConditionsTest, FocusFollowsTabOrderScopesAndHandsOffOnHideAndDisable) {
    ControlEventDriver driver(mWindow);
    EXPECT_EQ(driver.FocusWindow(), S_OK);
    EXPECT_EQ(FocusChain(), u"Main>A");
    EXPECT_EQ(mWindow->GetFocusControl().Get(), At(u"A").Get());
    // A label never takes the focus, whatever its tab stop.
    EXPECT_TRUE(At(u"Caption")->IsNotFocusable());
    EXPECT_EQ(main->GetNextTabStop(At(u"A"), false).Get(), At(u"B").Get());
    EXPECT_EQ(main->GetNextTabStop(At(u"A"), true).Get(), At(u"Caption").Get());

    EXPECT_EQ(At(u"Inner")->SetFocus(true), S_OK);
    EXPECT_EQ(FocusChain(), u"Main>Inner>C");
    EXPECT_EQ(At(u"Inner")->SetFocus(false), S_OK);  // keeps the child that has the focus
    EXPECT_EQ(FocusChain(), u"Main>Inner>C");
    EXPECT_EQ(At(u"Inner/D")->SetFocus(true), S_OK);
    EXPECT_EQ(FocusChain(), u"Main>Inner>D");
    EXPECT_FALSE(At(u"C")) << "names are looked up among direct children only";

    // Hiding the focused control hands the focus up: to what else its panel shows, and when it
    // shows nothing, to the window's first stop, since a panel never holds the focus itself.
    At(u"Inner/D")->SetVisible(false);
    EXPECT_EQ(FocusChain(), u"Main>Inner>C");
    At(u"Inner/C")->SetVisible(false);
    EXPECT_FALSE(At(u"Inner")->CanTakeFocus());
    EXPECT_EQ(FocusChain(), u"Main>A");
    At(u"Inner/D")->SetVisible(true);
    EXPECT_EQ(FocusChain(), u"Main>A") << "the focus stays where it went";
    EXPECT_EQ(At(u"Inner/D")->SetFocus(true), S_OK);
    At(u"Inner/D")->SetEnabled(false);
    EXPECT_EQ(FocusChain(), u"Main>A");
    EXPECT_FALSE(At(u"Inner/D")->CanTakeFocus());
    At(u"Inner/D")->SetEnabled(true);
    EXPECT_EQ(At(u"Inner/D")->SetFocus(true), S_OK);
    EXPECT_EQ(FocusChain(), u"Main>Inner>D");
    // A width of 0 hides the control too.
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    ASSERT_EQ(At(u"Inner/D")->GetPlacement(0, placement, size), S_OK);
    At(u"Inner/D")->SetPlacement(0, placement, {SizeReference::kSelf, WString(), 0.0f, 0.0});
    EXPECT_EQ(At(u"Inner/D")->GetFrame().width, 0.0);
    EXPECT_EQ(FocusChain(), u"Main>A");
    EXPECT_GT(mWindow->GetSaveFocusCount(), 0u);
}

TEST_F(ControlConditionsTest, NotFocusableAncestorsAndScopeRoots) {
    RCPtr<LControl> inner = At(u"Inner");
    RCPtr<LControl> c = At(u"Inner/C");
    inner->SetNotFocusable(true);
    EXPECT_FALSE(c->CanTakeFocus());
    EXPECT_FALSE(inner->HasFocusableDescendant());
    c->SetFocusScopeRoot(true);
    EXPECT_TRUE(c->CanTakeFocus());
    c->SetNotFocusable(true);
    EXPECT_FALSE(c->CanTakeFocus());
    EXPECT_TRUE(c->IsNotFocusable(true));
}

// A panel that counts the focus walks into its descendants.
class CountingPanel : public LPanel {
public:
    CountingPanel(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}
    bool HasFocusableDescendant() override {
        ++sWalks;
        return LPanel::HasFocusableDescendant();
    }
    static inline int sWalks = 0;
};

// Asking whether a branch takes the focus walks each level once: a chain of 16 panels over a
// label nothing can focus is 16 walks, not one per path through "itself or a descendant"
// (65,535), and making a control unfocusable asks nothing while its parent has no focus.
using FocusWalkTest = ControlTestFixture;

TEST_F(FocusWalkTest, FocusQuestionsWalkEachLevelOnce) {
    mFactory->RegisterControlClass(u"Test.Counting", &CreateControlFunction<CountingPanel>);
    constexpr int kDepth = 16;
    std::string skin = R"(<Skin Name="Default">)";
    for (int level = 0; level < kDepth; ++level) {
        skin += R"(<SubControl Class="Test.Counting" Name="L)" + std::to_string(level) +
                R"(" XSizeAbs="100" YSizeAbs="100"><Skin Name="s"/>)";
    }
    skin +=
        R"(<SubControl Class="Framework.Label" Name="Leaf" XSizeAbs="10" YSizeAbs="10"><Skin Name="s"/></SubControl>)";
    for (int level = 0; level < kDepth; ++level) {
        skin += "</SubControl>";
    }
    LoadSkin(skin + "</Skin>");
    RCPtr<LControl> chain = CreateInWindow(u"L0");
    ASSERT_TRUE(chain);
    CountingPanel::sWalks = 0;
    EXPECT_FALSE(chain->CanTakeFocusOrHasFocusableDescendant());
    EXPECT_EQ(CountingPanel::sWalks, kDepth);
    CountingPanel::sWalks = 0;
    EXPECT_FALSE(chain->HasFocusableDescendant());
    EXPECT_EQ(CountingPanel::sWalks, kDepth);
    CountingPanel::sWalks = 0;
    chain->SetNotFocusable(true);
    EXPECT_EQ(CountingPanel::sWalks, 0);
}

TEST_F(ControlConditionsTest, ValuesFollowTheirTaperClampAndNotifyOnlyOnChange) {
    RCPtr<LControl> control = At(u"A");
    RCPtr<NotificationRecorder> values = NotificationRecorder::Create(control, {u"NID_VALUE_CHANGE"});

    EXPECT_EQ(control->SetValueRange(0, 100, 1), E_INVALIDARG);
    EXPECT_EQ(control->SetValueRange(10, 20, 2), E_INVALIDARG);
    EXPECT_EQ(control->SetValueRange(100, 0, 0), S_OK);
    EXPECT_DOUBLE_EQ(control->NormalizedFromValue(25), 0.75);
    EXPECT_EQ(control->SetValueRange(20, 20000, 1), S_OK);

    const struct {
        double value;
        double normalized;
        bool notifies;
    } cases[] = {
        {632.4555320336759, 0.5, true},
        {10, 0.0, true},
        {20000, 1.0, true},
        {50000, 1.0, false},
        {20, 0.0, true},
    };
    for (const auto& c : cases) {
        values->Clear();
        control->SetValue(c.value);
        EXPECT_NEAR(control->GetNormalizedValue(), c.normalized, 1e-12) << c.value;
        EXPECT_EQ(values->GetNames().size(), c.notifies ? 1u : 0u) << c.value;
    }
    values->Clear();
    EXPECT_EQ(control->SetNormalizedValue(1.5), 1.0);
    EXPECT_EQ(control->SetNormalizedValue(1.0), 1.0);
    EXPECT_EQ(control->SetNormalizedValue(-0.2), 0.0);
    ASSERT_EQ(values->GetNames().size(), 2u);
    const RCPtr<LValueParam> last = values->GetParams().back();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->normalizedValue, 0.0);
    EXPECT_DOUBLE_EQ(last->userValue, 20.0);

    // Equal ends: every value is 0.
    EXPECT_EQ(control->SetValueRange(5, 5, 0), S_OK);
    EXPECT_EQ(control->NormalizedFromValue(7), 0.0);
}

TEST_F(ControlConditionsTest, ConditionNotificationsComeInTheirOrder) {
    RCPtr<LControl> control = At(u"Inner/C");
    RCPtr<NotificationRecorder> recorder = NotificationRecorder::Create(
        control,
        {u"NID_CONDITION_CHANGE", u"NID_HAS_FOCUS_CONDITION_CHANGE", u"NID_CONTAINS_FOCUS_CONDITION_CHANGE",
         u"NID_HOVER_CONDITION_CHANGE", u"NID_CAPTURE_CONDITION_CHANGE", u"NID_LEFT_DRAG_CONDITION_CHANGE",
         u"NID_ENABLED_CONDITION_CHANGE", u"NID_VISIBLITY_CONDITION_CHANGE"});
    // The tree was made before the window gave it a size: the visibility bit catches up at the
    // next update.
    control->UpdateConditions();
    EXPECT_EQ(recorder->GetNames(),
              (std::vector<std::u16string>{u"NID_CONDITION_CHANGE", u"NID_VISIBLITY_CONDITION_CHANGE"}));
    recorder->Clear();
    // Disabling the parent changes the child's enabled bit; hiding it, the visibility bit.
    At(u"Inner")->SetEnabled(false);
    EXPECT_EQ(recorder->GetNames(),
              (std::vector<std::u16string>{u"NID_CONDITION_CHANGE", u"NID_ENABLED_CONDITION_CHANGE"}));
    recorder->Clear();
    At(u"Inner")->SetEnabled(true);
    At(u"Inner")->SetVisible(false);
    EXPECT_EQ(recorder->GetNames(),
              (std::vector<std::u16string>{u"NID_CONDITION_CHANGE", u"NID_ENABLED_CONDITION_CHANGE",
                                           u"NID_CONDITION_CHANGE", u"NID_VISIBLITY_CONDITION_CHANGE"}));
    At(u"Inner")->SetVisible(true);

    // A press over the control: hover, then capture and the left button together.
    ControlEventDriver driver(mWindow);
    recorder->Clear();
    EXPECT_EQ(driver.MoveTo(5, 45).Get(), nullptr) << "a control without looks is transparent";
    control->OnMouseEnter(nullptr);
    mWindow->SetMouseButtonsForTest(kMouseButtonLeft);
    EXPECT_EQ(control->OnCaptureStart(1, 5, 5), S_OK);
    EXPECT_EQ(control->GetConditions() & (LControl::kCapture | LControl::kLeftPressed),
              LControl::kCapture | LControl::kLeftPressed);
    EXPECT_EQ(mWindow->GetCaptureControl().Get(), control.Get());
    EXPECT_EQ(control->OnCaptureStart(1, 5, 5), 1) << "already captured";
    driver.Release(1);
    EXPECT_EQ(recorder->GetNames(),
              (std::vector<std::u16string>{
                  u"NID_CONDITION_CHANGE", u"NID_HOVER_CONDITION_CHANGE", u"NID_CONDITION_CHANGE",
                  u"NID_CAPTURE_CONDITION_CHANGE", u"NID_LEFT_DRAG_CONDITION_CHANGE", u"NID_CONDITION_CHANGE",
                  u"NID_CAPTURE_CONDITION_CHANGE", u"NID_LEFT_DRAG_CONDITION_CHANGE"}));
    const RCPtr<LConditionsParam> param = recorder->GetParams().back();
    EXPECT_EQ(param->previous & LControl::kCapture, LControl::kCapture);
    EXPECT_EQ(param->current & LControl::kCapture, 0u);
    EXPECT_EQ(param->origin, (PointT<double>{5, 5}));
    // A press with a button that is not held is refused.
    EXPECT_EQ(control->OnCaptureStart(4, 0, 0), 1);
}

TEST_F(ControlConditionsTest, TextChangesInvalidateAndRetitleTheWindow) {
    RCPtr<LControl> control = At(u"B");
    mWindow->ClearInvalidated();
    EXPECT_EQ(control->SetText(u"Cutoff"), S_OK);
    EXPECT_EQ(control->SetText(u"Cutoff"), 1);
    EXPECT_EQ(mWindow->GetInvalidated(), (std::vector<RectT<int32_t>>{{60, 0, 50, 20}}));
    EXPECT_EQ(main->SetText(u"Presets"), S_OK);
    EXPECT_EQ(mWindow->GetTitle(), u"Presets");
}

TEST_F(ControlConditionsTest, UnhandledKeysAreOfferedToSiblingsAfterTheSenderInTabOrder) {
    // Siblings that bind keys register for their parent's "NID_SIBLING_KEY": the offer walks the
    // tab order backwards from the sender, non-focusable siblings last.
    struct Sibling {
        const char16_t* name;
        bool focusable;
    };
    const struct {
        std::vector<Sibling> siblings;
        std::vector<std::u16string> expected;
    } cases[] = {
        {{{u"P", true}, {u"Q", true}, {u"R", true}, {u"S", true}}, {u"Q", u"P", u"S"}},
        {{{u"P", false}, {u"Q", true}, {u"R", true}, {u"S", true}}, {u"Q", u"S", u"P"}},
    };
    for (const auto& c : cases) {
        RCPtr<LControl> parent(new LControl(nullptr, u"Parent"));
        RCPtrArray<LNotificationClient, 1, 0> registrations;
        std::vector<RCPtr<LControl>> children;
        for (size_t i = 0; i < c.siblings.size(); ++i) {
            RCPtr<LControl> child(new LControl(parent, c.siblings[i].name));
            RCPtr<LControlDescriptor> descriptor =
                LControlDescriptor::Create(u"Test.Control", c.siblings[i].name, nullptr);
            RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
            layout->tabStop = static_cast<int32_t>(i);
            descriptor->SetLayout(layout);
            child->ApplyDescriptor(descriptor);
            child->SetNotFocusable(!c.siblings[i].focusable);
            registrations.Add(RCPtr<LNotificationClient>(child.Get()));
            children.push_back(child);
        }
        RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode(), true);
        key->path.Add(children[2]);  // the key comes from R
        Array<uint32_t> order;
        parent->SortByTabOrder(key, registrations, order);
        std::vector<std::u16string> offered;
        for (uint32_t i = order.GetCount(); i-- > 0;) {
            const std::u16string name = children[order.GetAt(i)]->GetName().GetString();
            if (name != u"R") {
                offered.push_back(name);
            }
        }
        EXPECT_EQ(offered, c.expected);
    }
}

}  // namespace
}  // namespace QV
