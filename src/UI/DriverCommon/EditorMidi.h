#pragma once

#include "Engine/PresetEditorCommon/MidiManager.h"

namespace QV {

// The MIDI manager the editor's transfer and pairing dialogs talk through: the application's,
// handed over when it starts and taken back when it ends; tests install their own. Null while
// there is none. User-interface thread.
RCPtr<LMidiManager> GetEditorMidiManager();
void SetEditorMidiManager(const RCPtr<LMidiManager>& manager);

}  // namespace QV
