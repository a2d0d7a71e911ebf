#pragma once

#include <cstdint>
#include <functional>

#include "Engine/PresetEditorCommon/MidiManager.h"
#include "RIZozivirod/ControlBase/Control.h"

// What the retrieve and send dialogs share: the slot the user chose, a guarded call into the
// MIDI manager, and the box that reports the outcome. User-interface thread.
namespace QV::PresetTransfer {

// The keyboard's preset memory slots, 0 ("Preset 1") to 24 ("Preset 25").
inline constexpr int32_t kSlotCount = 25;

inline bool IsSlot(int32_t slot) {
    return slot >= 0 && slot < kSlotCount;
}

// The selected index of the dialog's "presetSlot" > "comboBox"; -1 when either is missing or
// nothing is chosen.
int32_t SelectedSlot(const LControl& dialog);

// The operation's result on the editor's MIDI manager. -1, the manager's "could not reach the
// keyboard", when there is no manager or the operation throws: a transfer that breaks down
// inside the MIDI layer fails like any other and the editor goes on.
int32_t CallMidiManager(const std::function<int32_t(LMidiManager&)>& operation);

// The message box of a transfer's outcome, both texts from the application's string table;
// nothing when the text is empty.
void ShowOutcome(const WChar* captionId, const WChar* textId);

}  // namespace QV::PresetTransfer
