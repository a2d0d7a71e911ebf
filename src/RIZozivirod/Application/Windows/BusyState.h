#pragma once

#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Application/Windows/RootWindow.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// A long operation on the user-interface thread made visible: for the scope, the active window
// (else the first) shows the wait cursor and the status bar the text, and one idle pass runs so
// that the change is seen. The previous cursor and the status bar's own text come back at the end.
class LBusyState {
public:
    explicit LBusyState(const WString& statusText);
    ~LBusyState();
    LBusyState(const LBusyState&) = delete;
    LBusyState& operator=(const LBusyState&) = delete;

private:
    RCPtr<LRootWindow> mWindow;
    CursorHandle mPreviousCursor = 0;
};

}  // namespace QV
