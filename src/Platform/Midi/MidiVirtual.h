#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Platform/Midi/Midi.h"

// An in-process MIDI system for tests and simulated instruments: named input and output
// devices whose far ends are driven by the test, callbacks delivered asynchronously on a
// driver thread of the system's own, and switches for the faults a real device shows.
namespace Platform {

class MidiDriver;
class VirtualMidiInDevice;
class VirtualMidiOutDevice;

// The far end of one virtual device. Every operation may be called from any thread.
class VirtualMidiPort {
public:
    // Called on the driver thread with every message the program sends to an output device.
    using Receiver = std::function<void(const std::vector<uint8_t>& message)>;

    VirtualMidiPort(std::shared_ptr<MidiDriver> driver, std::u16string name, bool input);
    VirtualMidiPort(const VirtualMidiPort&) = delete;
    VirtualMidiPort& operator=(const VirtualMidiPort&) = delete;

    const std::u16string& GetName() const { return mName; }
    bool IsInput() const { return mInput; }
    // True while the program holds the device open.
    bool IsOpen() const;
    // How often the device has been opened.
    uint32_t GetOpenCount() const { return mOpenCount.load(); }

    // Input devices: bytes the device sends, in any pieces; they reach the program only while
    // it has the device open and started. Without a time stamp the device's clock gives it.
    void Send(const std::vector<uint8_t>& bytes);
    void Send(const std::vector<uint8_t>& bytes, uint32_t timestamp);

    // Input devices: the bytes come back to the program as one returned buffer, whatever they
    // are (see MidiInDevice::ReceiveBuffer).
    void SendBuffer(const std::vector<uint8_t>& bytes);

    // Output devices.
    void SetReceiver(Receiver receiver);

    // Faults. Opening fails with MMSYSERR_ERROR; starting input fails with MMSYSERR_ERROR;
    // sending fails with MMSYSERR_ERROR; long messages stay queued without completion until
    // the switch is turned off again, when they play out.
    void SetFailOpen(bool fail) { mFailOpen = fail; }
    void SetFailStart(bool fail) { mFailStart = fail; }
    void SetFailSend(bool fail) { mFailSend = fail; }
    void SetWithholdCompletion(bool withhold);
    // The device is gone: no longer listed, and a handle still open fails its capabilities
    // query, start and sends.
    void Unplug() { mPlugged = false; }
    bool IsPlugged() const { return mPlugged.load(); }

private:
    friend class VirtualMidiSystem;
    friend class VirtualMidiInDevice;
    friend class VirtualMidiOutDevice;

    void Deliver(const std::vector<uint8_t>& message);

    const std::shared_ptr<MidiDriver> mDriver;
    const std::u16string mName;
    const bool mInput;
    std::atomic<bool> mFailOpen{false};
    std::atomic<bool> mFailStart{false};
    std::atomic<bool> mFailSend{false};
    std::atomic<bool> mWithhold{false};
    std::atomic<bool> mPlugged{true};
    std::atomic<uint32_t> mOpenCount{0};

    mutable std::mutex mLock;
    std::weak_ptr<VirtualMidiInDevice> mInputDevice;
    std::weak_ptr<VirtualMidiOutDevice> mOutputDevice;
    Receiver mReceiver;
};

// The system: devices listed in the order they were added (unplugged ones left out). Each
// device can be open once at a time (MMSYSERR_ALLOCATED otherwise).
class VirtualMidiSystem : public MidiSystem {
public:
    static std::shared_ptr<VirtualMidiSystem> Create();
    ~VirtualMidiSystem() override;

    std::shared_ptr<VirtualMidiPort> AddInput(const std::u16string& name);
    std::shared_ptr<VirtualMidiPort> AddOutput(const std::u16string& name);

    // Holds callbacks back until resumed, and waits until everything posted was delivered.
    void PauseDelivery();
    void ResumeDelivery();
    void WaitUntilIdle();

    uint32_t GetInputCount() override;
    uint32_t GetOutputCount() override;
    uint32_t GetInputName(uint32_t deviceId, std::u16string& name) override;
    uint32_t GetOutputName(uint32_t deviceId, std::u16string& name) override;
    uint32_t OpenInput(uint32_t deviceId, MidiInCallback callback, uintptr_t instance,
                       std::shared_ptr<MidiInDevice>& device) override;
    uint32_t OpenOutput(uint32_t deviceId, MidiOutCallback callback, uintptr_t instance,
                        std::shared_ptr<MidiOutDevice>& device) override;

private:
    VirtualMidiSystem();
    std::shared_ptr<VirtualMidiPort> Listed(bool input, uint32_t deviceId);

    const std::shared_ptr<MidiDriver> mDriver;
    std::mutex mLock;
    std::vector<std::shared_ptr<VirtualMidiPort>> mInputs;
    std::vector<std::shared_ptr<VirtualMidiPort>> mOutputs;
};

// Installs a backend for its scope and puts the previous one back.
class ScopedMidiSystem {
public:
    explicit ScopedMidiSystem(std::shared_ptr<MidiSystem> system)
        : mPrevious(SetMidiSystem(std::move(system))) {}
    ScopedMidiSystem(const ScopedMidiSystem&) = delete;
    ScopedMidiSystem& operator=(const ScopedMidiSystem&) = delete;
    ~ScopedMidiSystem() { SetMidiSystem(std::move(mPrevious)); }

private:
    std::shared_ptr<MidiSystem> mPrevious;
};

}  // namespace Platform
