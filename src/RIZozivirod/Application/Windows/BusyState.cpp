#include "RIZozivirod/Application/Windows/BusyState.h"

#include "RIZozivirod/Application/Windows/FrameworkApp.h"
#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

LBusyState::LBusyState(const WString& statusText) {
    LFrameworkApp* app = LFrameworkApp::sCurrent;
    if (app == nullptr) {
        return;
    }
    mWindow = app->GetActiveRootWindow();
    if (!mWindow) {
        mWindow = app->GetRootWindow(0);
    }
    if (mWindow) {
        mPreviousCursor = mWindow->SetCursor(app->GetCursor(u"UI_CURSOR_WAIT"));
    }
    app->SetStatusText(statusText, true);
    app->OnIdle(true);
}

LBusyState::~LBusyState() {
    if (mWindow) {
        mWindow->SetCursor(mPreviousCursor);
    }
    if (LFrameworkApp::sCurrent != nullptr) {
        LFrameworkApp::sCurrent->RestoreStatusText(false);
    }
}

}  // namespace QV
