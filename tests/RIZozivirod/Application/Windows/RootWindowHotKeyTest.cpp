#include <gtest/gtest.h>

#include <vector>

#include "RIZozivirod/Application/Windows/RootWindow.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/FakeWindowOSServices.h"

namespace QV {
namespace {

// A top-level control whose string table binds a window shortcut, with one focusable child.
class ShortcutRoot : public LControl {
public:
    ShortcutRoot() : LControl(nullptr, u"Root") {}
    RCPtr<LStringTable> GetStringTable() override {
        return LStringTable::Create({{u"GHK.NID_MENU_FILE_NEW_PRESET", u"Ctrl+VKEY_N"}});
    }
};

class Names : public LNotificationClient {
public:
    void ReceiveNotification(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override {
        names.push_back(GetNotificationName(n->GetID()));
    }
    std::vector<WString> names;
};

class RootWindowHotKeyTest : public ControlTestFixture {};

TEST_F(RootWindowHotKeyTest, AKeyNoControlTookReachesTheWindowsShortcuts) {
    FakeWindowOSServices os;
    const RCPtr<LRootWindow> window = LRootWindow::Create(RCPtr<LRenderer>(new LGDIRenderer()), &os);
    RCPtr<LControl> root(new ShortcutRoot());
    window->SetRootControl(root);
    root->SetFocus(true);
    const RCPtr<Names> recorder(new Names());
    recorder->RegisterForNotification(RCPtr<LNotificationDistributor>(window.Get()),
                                      u"NID_MENU_FILE_NEW_PRESET", 0);
    root->OnKey(LKeyParam::Create(KeyCode('N', true, 0, KeyCode::kCtrl), true));
    root->OnKey(LKeyParam::Create(KeyCode('M', true, 0, KeyCode::kCtrl), true));
    window->ProcessQueue(false);
    EXPECT_EQ(recorder->names, (std::vector<WString>{u"NID_MENU_FILE_NEW_PRESET"}));
    recorder->UnregisterAll();
    window->SetRootControl(nullptr);
    root->Close();
}

}  // namespace
}  // namespace QV
