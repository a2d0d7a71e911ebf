#include "UI/AboutDlg.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "RIZozivirod/System/Version.h"
#include "UI/DialogTestFixture.h"

namespace {

using QV::RCPtr;

std::string LabelText(QV::LControl& dialog, const char16_t* name) {
    const RCPtr<QV::LControl> label = dialog.FindChild(name);
    return label ? DialogTestSupport::Narrow(label->GetText()) : "?";
}

using AboutDlgTest = DialogTestSupport::ProductDialogFixture;

TEST_F(AboutDlgTest, ShowsTheVersionBlock) {
    const RCPtr<LAboutDlg> dialog = Open<LAboutDlg>(u"dialogAbout");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(DialogTestSupport::Narrow(dialog->GetText()), "About Tarvel Skylet Preset Editor");
    EXPECT_EQ(LabelText(*dialog, u"labelAppName"), "Tarvel Skylet Preset Editor");
    const std::string version = DialogTestSupport::Narrow(QV::Version().GetStringValue(u"ProductVersion"));
    EXPECT_FALSE(version.empty());
    EXPECT_EQ(LabelText(*dialog, u"labelProduct"), version);
    EXPECT_EQ(LabelText(*dialog, u"labelCopyright"), "Copyright (C) 2026 Tarvel");
}

// A version block that cannot be read leaves the labels empty; the box still opens.
class UnreadableVersionAbout : public LAboutDlg {
public:
    using LAboutDlg::LAboutDlg;

protected:
    QV::WString GetVersionString(const QV::WString&) override {
        throw std::runtime_error("no version block");
    }
};

class AboutWithoutVersionTest : public DialogTestSupport::ProductDialogFixture {
protected:
    void RegisterBeforeStartup(QV::LControlFactory& factory) override {
        factory.RegisterControlClass(u"PresetEditor.DialogAbout",
                                     &QV::CreateControlFunction<UnreadableVersionAbout>);
    }
};

TEST_F(AboutWithoutVersionTest, ShowsEmptyLabels) {
    const RCPtr<LAboutDlg> dialog = Open<LAboutDlg>(u"dialogAbout");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(LabelText(*dialog, u"labelProduct"), "");
    EXPECT_EQ(LabelText(*dialog, u"labelCopyright"), "");
    EXPECT_EQ(LabelText(*dialog, u"labelAppName"), "Tarvel Skylet Preset Editor");
}

}  // namespace
