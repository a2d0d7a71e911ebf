#pragma once

#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/TestRootWindow.h"

namespace QV {

// A control factory that knows "Framework.Panel", "Framework.Label" and "Test.Control" (a plain
// LControl), installed as the current factory, a test window, test services, and a check that
// every test leaves as many controls alive as it found.
class ControlTestFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Reads a skin document made of the given Skin elements; fails the test on a parse error.
    void LoadSkin(const std::string& skins);
    // The current skin's top-level control of that name, installed in the window.
    RCPtr<LControl> CreateInWindow(const WString& name);
    // The same without a window.
    RCPtr<LControl> Create(const WString& name);
    // The descendant at a path of names separated by "/".
    static RCPtr<LControl> Find(const RCPtr<LControl>& root, const std::u16string& path);

    ScopedTestApplicationServices mServices;
    RCPtr<LControlFactory> mFactory;
    RCPtr<LControlFactory> mPreviousFactory;
    RCPtr<TestRootWindow> mWindow;
    int32_t mLiveControls = 0;
};

}  // namespace QV
