#include "Platform/Midi/MidiRtMidi.h"

#include <RtMidi.h>
#include <unistd.h>

#include <memory>
#include <mutex>
#include <vector>

#include "Platform/Midi/MidiDevice.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace Platform {

namespace {

constexpr const char* kClientName = "Skylet Preset Editor";

// RtMidi reports through this instead of printing or throwing.
void IgnoreRtMidiError(RtMidiError::Type /*type*/, const std::string& /*text*/, void* /*context*/) {}

// Port names come as UTF-8; a name cut off by a malformed sequence keeps what came before.
std::u16string FromUtf8(const std::string& text) {
    std::u16string out(text.size(), u'\0');
    const QV::Text::ConversionResult result =
        QV::Text::Utf8ToUtf16(text.data(), text.size(), out.data(), out.size());
    out.resize(result.written);
    return out;
}

template <class Port>
std::unique_ptr<Port> MakePort() {
    try {
        auto port = std::make_unique<Port>(RtMidi::LINUX_ALSA, kClientName);
        port->setErrorCallback(&IgnoreRtMidiError, nullptr);
        return port;
    } catch (const std::exception&) {
        return nullptr;
    }
}

class RtMidiInDevice : public MidiInDevice {
public:
    RtMidiInDevice(std::shared_ptr<MidiDriver> driver, std::u16string name, MidiInCallback callback,
                   uintptr_t instance, std::unique_ptr<RtMidiIn> port)
        : MidiInDevice(std::move(driver), std::move(name), callback, instance), mPort(std::move(port)) {}

    // RtMidi's own thread hands over each whole message; parsing waits for the driver thread.
    static void OnInput(double /*delta*/, std::vector<unsigned char>* message, void* context) {
        if (message != nullptr && !message->empty()) {
            static_cast<RtMidiInDevice*>(context)->Receive(message->data(), message->size());
        }
    }

protected:
    void Disconnect() override {
        std::lock_guard<std::mutex> guard(mPortLock);
        if (mPort) {
            // Ends RtMidi's input thread before the device can go away.
            mPort->cancelCallback();
            mPort->closePort();
            mPort.reset();
        }
    }

private:
    std::mutex mPortLock;
    std::unique_ptr<RtMidiIn> mPort;
};

class RtMidiOutDevice : public MidiOutDevice {
public:
    RtMidiOutDevice(std::shared_ptr<MidiDriver> driver, std::u16string name, MidiOutCallback callback,
                    uintptr_t instance, std::unique_ptr<RtMidiOut> port)
        : MidiOutDevice(std::move(driver), std::move(name), callback, instance), mPort(std::move(port)) {}

protected:
    uint32_t CanSend() override {
        std::lock_guard<std::mutex> guard(mPortLock);
        return mPort && mPort->isPortOpen() ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
    }
    void Transmit(const std::vector<uint8_t>& message) override {
        std::lock_guard<std::mutex> guard(mPortLock);
        if (mPort) {
            mPort->sendMessage(message.data(), message.size());
        }
    }
    void Disconnect() override {
        std::lock_guard<std::mutex> guard(mPortLock);
        if (mPort) {
            mPort->closePort();
            mPort.reset();
        }
    }

private:
    std::mutex mPortLock;
    std::unique_ptr<RtMidiOut> mPort;
};

class RtMidiSystem : public MidiSystem {
public:
    explicit RtMidiSystem(std::string sequencerDevice)
        : mSequencerDevice(std::move(sequencerDevice)), mDriver(std::make_shared<MidiDriver>()) {}

    uint32_t GetInputCount() override {
        std::lock_guard<std::mutex> guard(mLock);
        return Enumerator(mInputs) ? mInputs->getPortCount() : 0;
    }

    uint32_t GetOutputCount() override {
        std::lock_guard<std::mutex> guard(mLock);
        return Enumerator(mOutputs) ? mOutputs->getPortCount() : 0;
    }

    uint32_t GetInputName(uint32_t deviceId, std::u16string& name) override {
        std::lock_guard<std::mutex> guard(mLock);
        return Name(mInputs, deviceId, name);
    }

    uint32_t GetOutputName(uint32_t deviceId, std::u16string& name) override {
        std::lock_guard<std::mutex> guard(mLock);
        return Name(mOutputs, deviceId, name);
    }

    uint32_t OpenInput(uint32_t deviceId, MidiInCallback callback, uintptr_t instance,
                       std::shared_ptr<MidiInDevice>& device) override {
        std::u16string name;
        const uint32_t named = GetInputName(deviceId, name);
        if (named != MMSYSERR_NOERROR) {
            return named;
        }
        std::unique_ptr<RtMidiIn> port = MakePort<RtMidiIn>();
        if (!port) {
            return MMSYSERR_NODRIVER;
        }
        // System Exclusive, timing and active sensing all reach the program, as they would
        // through the multimedia library.
        port->ignoreTypes(false, false, false);
        RtMidiIn* raw = port.get();
        auto opened = std::make_shared<RtMidiInDevice>(mDriver, name, callback, instance, std::move(port));
        raw->setCallback(&RtMidiInDevice::OnInput, opened.get());
        try {
            raw->openPort(deviceId, kClientName);
        } catch (const std::exception&) {
        }
        if (!raw->isPortOpen()) {
            return MMSYSERR_ALLOCATED;
        }
        device = opened;
        return MMSYSERR_NOERROR;
    }

    uint32_t OpenOutput(uint32_t deviceId, MidiOutCallback callback, uintptr_t instance,
                        std::shared_ptr<MidiOutDevice>& device) override {
        std::u16string name;
        const uint32_t named = GetOutputName(deviceId, name);
        if (named != MMSYSERR_NOERROR) {
            return named;
        }
        std::unique_ptr<RtMidiOut> port = MakePort<RtMidiOut>();
        if (!port) {
            return MMSYSERR_NODRIVER;
        }
        try {
            port->openPort(deviceId, kClientName);
        } catch (const std::exception&) {
        }
        if (!port->isPortOpen()) {
            return MMSYSERR_ALLOCATED;
        }
        device = std::make_shared<RtMidiOutDevice>(mDriver, name, callback, instance, std::move(port));
        return MMSYSERR_NOERROR;
    }

private:
    // ALSA prints its own errors when the sequencer cannot be opened, before RtMidi could
    // take an error handler; so nothing is asked of it without a usable sequencer device.
    bool SequencerUsable() const { return access(mSequencerDevice.c_str(), R_OK | W_OK) == 0; }

    template <class Port>
    bool Enumerator(std::unique_ptr<Port>& port) {
        if (!port && SequencerUsable()) {
            port = MakePort<Port>();
        }
        return port != nullptr;
    }

    template <class Port>
    uint32_t Name(std::unique_ptr<Port>& port, uint32_t deviceId, std::u16string& name) {
        if (!Enumerator(port) || deviceId >= port->getPortCount()) {
            return MMSYSERR_BADDEVICEID;
        }
        const std::string text = port->getPortName(deviceId);
        if (text.empty()) {
            return MMSYSERR_BADDEVICEID;
        }
        name = FromUtf8(text);
        return MMSYSERR_NOERROR;
    }

    const std::string mSequencerDevice;
    const std::shared_ptr<MidiDriver> mDriver;
    std::mutex mLock;
    std::unique_ptr<RtMidiIn> mInputs;
    std::unique_ptr<RtMidiOut> mOutputs;
};

}  // namespace

}  // namespace Platform

// The library's entry point (kRtMidiEntryPoint): the system over that sequencer device, owned by
// the caller.
extern "C" __attribute__((visibility("default"))) Platform::MidiSystem* QVCreateRtMidiSystem(
    const char* sequencerDevice) {
    try {
        return new Platform::RtMidiSystem(sequencerDevice);
    } catch (const std::exception&) {
        return nullptr;
    }
}
