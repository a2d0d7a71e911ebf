#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "RIZozivirod/Controls/MenuDescriptor.h"

namespace QV {
namespace {

using Entries = std::vector<std::pair<const char16_t*, const char16_t*>>;

RCPtr<LMenuDescriptor> ParseMenuDescriptors(const Entries& entries) {
    LMenuDescriptor::StringPairs pairs;
    for (const auto& [id, text] : entries) {
        pairs.InsertItem(pairs.GetCount(), LMenuDescriptor::StringPair{WString(id), WString(text)});
    }
    return LMenuDescriptor::CreateFromStrings(pairs);
}

// The tree as text: "label=command" per item, "-" for a separator, children in brackets.
std::u16string Describe(const LMenuDescriptor& menu) {
    std::u16string out;
    for (uint32_t i = 0; i < menu.GetItemCount(); ++i) {
        RCPtr<LMenuItemDescriptor> item = menu.GetItem(i);
        if (!out.empty()) {
            out += u", ";
        }
        if (item->separator) {
            out += u"-";
            continue;
        }
        out += std::u16string(item->label.GetString()) + u"=" + item->command.GetString();
        if (item->GetItemCount() > 0) {
            out += u"[" + Describe(*item) + u"]";
        }
    }
    return out;
}

TEST(MenuDescriptorTest, StringEntriesBecomeATree) {
    const struct {
        const char* what;
        Entries entries;
        std::u16string tree;
    } cases[] = {
        {"numbered in order",
         {{u"00.NID_A", u"A"}, {u"01.-", u"ignored"}, {u"02.NID_B", u"B"}},
         u"A=NID_A, -, B=NID_B"},
        {"a gap ends the level", {{u"00.NID_A", u"A"}, {u"02.NID_B", u"B"}, {u"03.NID_C", u"C"}}, u"A=NID_A"},
        {"a repeat keeps the first", {{u"00.NID_A", u"A"}, {u"00.NID_B", u"B"}}, u"A=NID_A"},
        {"2 and 02 are one number",
         {{u"0.NID_A", u"A"}, {u"1.NID_B", u"B"}, {u"02.NID_C", u"C"}},
         u"A=NID_A, B=NID_B, C=NID_C"},
        {"a leading dot, fewer than two pieces",
         {{u".00.NID_X", u"X"}, {u"LABEL", u"L"}, {u"00.NID_A", u"A"}},
         u"A=NID_A"},
        {"label and description", {{u"00.NID_A", u"About |Shows the version"}}, u"About =NID_A"},
        {"a submenu",
         {{u"00.FILE.", u"File"}, {u"FILE.00.NID_NEW", u"New"}, {u"FILE.01.-", u""}},
         u"File=[New=NID_NEW, -]"},
        {"two dots name the same submenu",
         {{u"00.FILE..", u"File"}, {u"FILE.00.NID_NEW", u"New"}},
         u"File=[New=NID_NEW]"},
        {"a submenu without entries is left out but counted",
         {{u"00.NID_A", u"A"}, {u"01.EMPTY.", u"E"}, {u"02.NID_B", u"B"}},
         u"A=NID_A, B=NID_B"},
        {"nested", {{u"00.A.", u"A"}, {u"A.00.B.", u"B"}, {u"B.00.NID_X", u"X"}}, u"A=[B=[X=NID_X]]"},
        {"a submenu naming itself stops",
         {{u"00.LOOP.", u"L"}, {u"LOOP.00.NID_X", u"X"}, {u"LOOP.01.LOOP.", u"again"}},
         u"L=[X=NID_X]"},
        {"a cycle through two submenus stops",
         {{u"00.A.", u"A"}, {u"A.00.B.", u"B"}, {u"B.00.A.", u"back"}, {u"B.01.NID_X", u"X"}},
         u"A=[B=[X=NID_X]]"},
        {"negative and huge numbers are dropped",
         {{u"00.NID_A", u"A"}, {u"S.-1.NID_X", u"X"}, {u"S.99999999999.NID_Y", u"Y"}, {u"01.S.", u"S"}},
         u"A=NID_A, S="},
    };
    for (const auto& c : cases) {
        RCPtr<LMenuDescriptor> menu = ParseMenuDescriptors(c.entries);
        ASSERT_TRUE(menu) << c.what;
        EXPECT_EQ(Describe(*menu), c.tree) << c.what;
    }
    RCPtr<LMenuDescriptor> about =
        ParseMenuDescriptors({{u"00.NID_A", u"About |Shows the version"}, {u"01.NID_B", u"Open User Guide"}});
    EXPECT_EQ(std::u16string(about->GetItem(0)->description.GetString()), u"Shows the version");
    EXPECT_TRUE(about->GetItem(1)->description.IsEmpty());
}

TEST(MenuDescriptorTest, ItemsStatesAndClones) {
    RCPtr<LMenuDescriptor> root = LMenuDescriptor::Create();
    EXPECT_EQ(root->InsertItem(0, u"Cut", u"NID_EDIT_CUT_REQ", true, false), S_OK);
    EXPECT_EQ(root->InsertSeparator(1), S_OK);
    EXPECT_LT(root->InsertItem(5, u"Far", u"NID_X", true, false), 0);
    EXPECT_EQ(root->GetItemCount(), 2u);
    RCPtr<LMenuItemDescriptor> sub = LMenuItemDescriptor::Create(u"More", u"", true, true);
    root->InsertItem(0, sub);
    sub->InsertItem(0, u"Inner", u"NID_IN", false, true);
    sub->GetItem(0)->hotKeyText = u"Ctrl+I";
    sub->GetItem(0)->description = u"help";
    EXPECT_EQ(sub->GetParent().Get(), root.Get());
    EXPECT_EQ(root->GetInternalRefCount(), 3);

    LMenuItemState state;
    EXPECT_EQ(root->GetItemState(0, state), S_OK);
    EXPECT_EQ(state.checked, 1);
    EXPECT_EQ(std::u16string(state.label.GetString()), u"More");
    EXPECT_EQ(root->GetItemState(3, state), E_INVALIDARG);
    EXPECT_EQ(state.enabled, 0);
    EXPECT_EQ(state.checked, 0);
    EXPECT_TRUE(state.label.IsEmpty());
    RCPtr<LMenuItemDescriptor> separator = root->GetItem(2);
    EXPECT_EQ(separator->enabled, 1);
    EXPECT_EQ(separator->separator, 1);

    RCPtr<LMenuDescriptor> copy = root->Clone();
    EXPECT_EQ(Describe(*copy), Describe(*root));
    RCPtr<LMenuItemDescriptor> inner = copy->GetItem(0)->GetItem(0);
    EXPECT_NE(inner.Get(), sub->GetItem(0).Get());
    EXPECT_EQ(inner->GetParent().Get(), copy->GetItem(0).Get());
    EXPECT_EQ(copy->GetItem(0)->GetParent().Get(), copy.Get());
    EXPECT_FALSE(copy->GetParent());
    EXPECT_EQ(std::u16string(inner->hotKeyText.GetString()), u"Ctrl+I");
    EXPECT_EQ(std::u16string(inner->description.GetString()), u"help");
    EXPECT_EQ(inner->enabled, 0);
    EXPECT_EQ(inner->checked, 1);
    inner->label = u"changed";
    EXPECT_EQ(std::u16string(sub->GetItem(0)->label.GetString()), u"Inner");

    // Letting go of the root frees the whole tree despite the links back to it.
    sub = nullptr;
    separator = nullptr;
    RCPtr<LMenuItemDescriptor> keep = root->GetItem(0)->GetItem(0);
    root = nullptr;
    EXPECT_FALSE(keep->GetParent());
    EXPECT_EQ(keep->GetRefCount(), 1);
}

TEST(MenuDescriptorTest, ActivationParamHoldsItsMenu) {
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    RCPtr<LMenuActivationParam> param(new LMenuActivationParam(menu, 2));
    EXPECT_EQ(param->menu.Get(), menu.Get());
    EXPECT_EQ(param->index, 2);
    EXPECT_EQ(menu->GetRefCount(), 2);
    param = nullptr;
    EXPECT_EQ(menu->GetRefCount(), 1);
}

}  // namespace
}  // namespace QV
