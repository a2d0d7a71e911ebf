#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Platform/Midi/MidiVirtual.h"

namespace MidiTestSupport {

using Bytes = std::vector<uint8_t>;

// The keyboard as the editor meets it over MIDI, on the virtual MIDI system: an input and an
// output device named "Skylet", 25 preset slots of 171 bytes that start as the model's
// defaults. It answers the 11-byte preset request with the 182-byte dump of the slot, stores
// 182-byte preset writes, and records every message it hears. Its answers can be scripted.
// It hears messages on the virtual system's driver thread; the rest may be called from any
// thread.
class SimulatedKeyboard {
public:
    static constexpr uint32_t kSlotCount = 25;
    static constexpr uint32_t kPresetLength = 171;

    enum class Reply {
        kDump,          // the 182-byte dump at once
        kSilent,        // no answer
        kHeld,          // the dump waits for SendHeldReply
        kShort,         // a 181-byte dump (the last data byte missing)
        kLong,          // a 183-byte dump (one data byte more)
        kWrongCommand,  // the dump with command 02 in place of 03
        kInPieces,      // the dump in pieces of 40 bytes, each handed over on its own
        kAfterEndless,  // a System Exclusive message without end first, then the dump
    };

    explicit SimulatedKeyboard(Platform::VirtualMidiSystem& system, const std::u16string& name = u"Skylet");
    ~SimulatedKeyboard();
    SimulatedKeyboard(const SimulatedKeyboard&) = delete;
    SimulatedKeyboard& operator=(const SimulatedKeyboard&) = delete;

    // The model's 37 default values one after another: 171 bytes.
    static Bytes DefaultPreset();
    static Bytes PresetRequest(uint8_t slot);
    static Bytes PresetWrite(uint8_t slot, const Bytes& preset);
    // The dump of a preset as the keyboard sends it.
    static Bytes PresetDump(uint8_t slot, const Bytes& preset);

    void SetReply(Reply reply);
    // Sends the reply that kHeld kept back; false when there is none.
    bool SendHeldReply();

    Bytes GetSlot(uint32_t slot) const;
    void SetSlot(uint32_t slot, const Bytes& preset);

    uint32_t GetRequestCount() const;
    uint32_t GetWriteCount() const;
    // Every message heard, in order, and those that were neither a request nor a write.
    std::vector<Bytes> GetReceived() const;
    std::vector<Bytes> GetOtherMessages() const;
    // When the last reply began to leave the keyboard.
    std::chrono::steady_clock::time_point GetLastReplyTime() const;

    // Bytes from the keyboard to the editor, with the device's clock or a given time stamp.
    void Send(const Bytes& bytes);
    void Send(const Bytes& bytes, uint32_t timestamp);
    // F0 followed by dataBytes data bytes and never F7, handed over in pieces of 1024 bytes.
    void SendEndlessSysEx(size_t dataBytes);

    const std::shared_ptr<Platform::VirtualMidiPort>& GetInput() const { return mToEditor; }
    const std::shared_ptr<Platform::VirtualMidiPort>& GetOutput() const { return mFromEditor; }

private:
    void Hear(const Bytes& message);
    void Answer(uint8_t slot, Reply reply);

    // The editor reads what the keyboard sends on its input device, and writes to its output
    // device what the keyboard hears.
    std::shared_ptr<Platform::VirtualMidiPort> mToEditor;
    std::shared_ptr<Platform::VirtualMidiPort> mFromEditor;

    mutable std::mutex mLock;
    std::vector<Bytes> mSlots;
    Reply mReply = Reply::kDump;
    bool mHeld = false;
    uint8_t mHeldSlot = 0;
    uint32_t mRequests = 0;
    uint32_t mWrites = 0;
    std::vector<Bytes> mReceived;
    std::vector<Bytes> mOthers;
    std::chrono::steady_clock::time_point mLastReply;
};

}  // namespace MidiTestSupport
