#include "UI/DriverCommon/EditorMidi.h"

namespace QV {

namespace {

// Never destroyed: a dialog may still ask for it while static objects go away.
RCPtr<LMidiManager>& InstalledMidiManager() {
    static auto* const installed = new RCPtr<LMidiManager>();
    return *installed;
}

}  // namespace

RCPtr<LMidiManager> GetEditorMidiManager() {
    return InstalledMidiManager();
}

void SetEditorMidiManager(const RCPtr<LMidiManager>& manager) {
    InstalledMidiManager() = manager;
}

}  // namespace QV
