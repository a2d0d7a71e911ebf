#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Panel/Application.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Controls/TabControl.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "UI/DriverCommon/MainControl.h"
#include "UI/EditorTestSupport.h"
#include "UI/EditorTreeFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/TestRootWindow.h"

namespace EditorTestSupport {

// The editor's whole control tree from the product skin and strings with the editor's classes,
// installed in a window of the product's size (so the pages see their attach), over an engine that
// records what it is asked. Paths name controls below the device view.
class ProductTreeFixture : public ::testing::Test {
protected:
    using Bytes = std::vector<uint8_t>;

    void SetUp() override {
        mFactory->SetResourceBasePath(u"::");
        ASSERT_EQ(mFactory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0409), QV::S_OK);
        ASSERT_EQ(mFactory->LoadSkins(u"::APP_SKINS"), QV::S_OK);
        mApp = LApplication::Create(mFactory, mFactory->GetFrameworkStringTable(), "editor");
        mApp->SetSettingsStore(mSettings);
        ASSERT_EQ(mApp->RunApplicationStartup(), QV::S_OK);
        QV::RCPtr<QV::LControl> main;
        ASSERT_EQ(mApp->CreateControl(u"mainControl", main), QV::S_OK);
        mMain = QV::RCPtr<QV::LMainControl>(dynamic_cast<QV::LMainControl*>(main.Get()));
        ASSERT_TRUE(mMain);
        mEngine.writes.clear();
    }
    void TearDown() override {
        if (mWindow) {
            mWindow->Detach();
            mWindow = nullptr;
        }
        mMain = nullptr;
        QV::GetMainNotificationCenter()->ProcessQueue(false);
        if (mApp) {
            mApp->RunApplicationShutdown();
        }
    }

    // Installs the tree in a window, as the program does after building it.
    void Attach() {
        mWindow = QV::TestRootWindow::Create({0, 0, 1200, 600});
        mWindow->SetRootControl(QV::RCPtr<QV::LControl>(mMain));
    }
    void SelectTab(const char16_t* name) {
        auto* tabs = dynamic_cast<QV::LTabControl*>(At(u"tabControl").Get());
        ASSERT_NE(tabs, nullptr);
        tabs->SelectTab(name);
    }
    // A click in the middle of a control, through the window's input road.
    void Click(const QV::RCPtr<QV::LControl>& control) {
        ASSERT_TRUE(control && mWindow);
        const QV::PointT<double> at = control->GetRectInWindow();
        QV::InputDriver(mWindow).Click(static_cast<int32_t>(at.x) + 4, static_cast<int32_t>(at.y) + 4);
    }

    // The descendant of root at a path of child names separated by "/".
    static QV::RCPtr<QV::LControl> Below(QV::RCPtr<QV::LControl> root, const std::u16string& path) {
        size_t start = 0;
        while (root && start <= path.size()) {
            const size_t end = std::min(path.find(u'/', start), path.size());
            root = root->FindChild(QV::WString(path.substr(start, end - start).c_str()));
            start = end + 1;
        }
        return root;
    }
    QV::RCPtr<QV::LControl> At(const std::u16string& path) const {
        return Below(mMain->FindChild(u"viewDevice"), path);
    }
    // Below the tab control's pages.
    QV::RCPtr<QV::LControl> Page(const std::u16string& path) const {
        return At(u"tabControl/pageHolder/" + path);
    }
    static std::string Narrow(const QV::WString& text) { return QV::NString(text.GetString()).GetString(); }
    // What a control shows: a combo box its item text ("" without a selection), a number box its
    // value, anything else its text.
    static std::string Shown(const QV::RCPtr<QV::LControl>& control) {
        if (auto* combo = dynamic_cast<QV::LComboBox*>(control.Get())) {
            return combo->GetSelectedIndex() < 0 ? std::string() : Narrow(combo->GetText());
        }
        if (auto* number = dynamic_cast<QV::LNumericUpDown*>(control.Get())) {
            return std::to_string(static_cast<int>(number->GetValue()));
        }
        return control ? Narrow(control->GetText()) : "(none)";
    }
    void Apply(int32_t id, const Bytes& bytes) {
        mMain->ApplyParamValue(QV::ParamDescriptor(id), Blob(bytes));
    }
    static Bytes BytesOf(const QV::Variant& value) {
        uint32_t length = 0;
        const auto* data = static_cast<const uint8_t*>(value.GetData(length));
        return data != nullptr ? Bytes(data, data + length) : Bytes();
    }

    QV::RCPtr<QV::LControlFactory> mFactory = QV::LControlFactory::Create(u"Skylet");
    QV::RCPtr<MemorySettings> mSettings{new MemorySettings()};
    FakeEditorEngine mEngine;
    QV::RCPtr<LApplication> mApp;
    QV::RCPtr<QV::LMainControl> mMain;
    QV::RCPtr<QV::TestRootWindow> mWindow;
};

}  // namespace EditorTestSupport
