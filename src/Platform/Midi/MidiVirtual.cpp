#include "Platform/Midi/MidiVirtual.h"

#include "Platform/Midi/MidiDevice.h"

namespace Platform {

class VirtualMidiInDevice : public MidiInDevice {
public:
    VirtualMidiInDevice(std::shared_ptr<MidiDriver> driver, std::shared_ptr<VirtualMidiPort> port,
                        MidiInCallback callback, uintptr_t instance)
        : MidiInDevice(std::move(driver), port->GetName(), callback, instance), mPort(std::move(port)) {}

    void Feed(const std::vector<uint8_t>& bytes) { Receive(bytes.data(), bytes.size()); }
    void Feed(const std::vector<uint8_t>& bytes, uint32_t timestamp) {
        Receive(bytes.data(), bytes.size(), timestamp);
    }
    void FeedBuffer(const std::vector<uint8_t>& bytes) { ReceiveBuffer(bytes.data(), bytes.size()); }

protected:
    bool IsPresent() const override { return mPort->IsPlugged(); }
    uint32_t CanStart() override { return mPort->mFailStart ? MMSYSERR_ERROR : MMSYSERR_NOERROR; }
    void Disconnect() override {
        std::lock_guard<std::mutex> guard(mPort->mLock);
        mPort->mInputDevice.reset();
    }

private:
    const std::shared_ptr<VirtualMidiPort> mPort;
};

class VirtualMidiOutDevice : public MidiOutDevice {
public:
    VirtualMidiOutDevice(std::shared_ptr<MidiDriver> driver, std::shared_ptr<VirtualMidiPort> port,
                         MidiOutCallback callback, uintptr_t instance)
        : MidiOutDevice(std::move(driver), port->GetName(), callback, instance), mPort(std::move(port)) {}

    void PlayWithheld() { PlayQueued(); }

protected:
    bool IsPresent() const override { return mPort->IsPlugged(); }
    uint32_t CanSend() override { return mPort->mFailSend ? MMSYSERR_ERROR : MMSYSERR_NOERROR; }
    // The far end hears every message on the driver thread, in the order they were sent.
    void Transmit(const std::vector<uint8_t>& message) override {
        std::shared_ptr<VirtualMidiPort> port = mPort;
        port->mDriver->Post([port, message] { port->Deliver(message); });
    }
    bool Withholds() override { return mPort->mWithhold.load(); }
    void Disconnect() override {
        std::lock_guard<std::mutex> guard(mPort->mLock);
        mPort->mOutputDevice.reset();
    }

private:
    const std::shared_ptr<VirtualMidiPort> mPort;
};

// ---- port ----

VirtualMidiPort::VirtualMidiPort(std::shared_ptr<MidiDriver> driver, std::u16string name, bool input)
    : mDriver(std::move(driver)), mName(std::move(name)), mInput(input) {}

bool VirtualMidiPort::IsOpen() const {
    std::lock_guard<std::mutex> guard(mLock);
    return mInput ? !mInputDevice.expired() : !mOutputDevice.expired();
}

void VirtualMidiPort::Send(const std::vector<uint8_t>& bytes) {
    std::shared_ptr<VirtualMidiInDevice> device;
    {
        std::lock_guard<std::mutex> guard(mLock);
        device = mInputDevice.lock();
    }
    if (device && mPlugged) {
        device->Feed(bytes);
    }
}

void VirtualMidiPort::Send(const std::vector<uint8_t>& bytes, uint32_t timestamp) {
    std::shared_ptr<VirtualMidiInDevice> device;
    {
        std::lock_guard<std::mutex> guard(mLock);
        device = mInputDevice.lock();
    }
    if (device && mPlugged) {
        device->Feed(bytes, timestamp);
    }
}

void VirtualMidiPort::SendBuffer(const std::vector<uint8_t>& bytes) {
    std::shared_ptr<VirtualMidiInDevice> device;
    {
        std::lock_guard<std::mutex> guard(mLock);
        device = mInputDevice.lock();
    }
    if (device && mPlugged) {
        device->FeedBuffer(bytes);
    }
}

void VirtualMidiPort::SetReceiver(Receiver receiver) {
    std::lock_guard<std::mutex> guard(mLock);
    mReceiver = std::move(receiver);
}

void VirtualMidiPort::SetWithholdCompletion(bool withhold) {
    mWithhold = withhold;
    if (withhold) {
        return;
    }
    std::shared_ptr<VirtualMidiOutDevice> device;
    {
        std::lock_guard<std::mutex> guard(mLock);
        device = mOutputDevice.lock();
    }
    if (device) {
        device->PlayWithheld();
    }
}

void VirtualMidiPort::Deliver(const std::vector<uint8_t>& message) {
    Receiver receiver;
    {
        std::lock_guard<std::mutex> guard(mLock);
        receiver = mReceiver;
    }
    if (receiver) {
        receiver(message);
    }
}

// ---- system ----

std::shared_ptr<VirtualMidiSystem> VirtualMidiSystem::Create() {
    return std::shared_ptr<VirtualMidiSystem>(new VirtualMidiSystem);
}

VirtualMidiSystem::VirtualMidiSystem() : mDriver(std::make_shared<MidiDriver>()) {}

VirtualMidiSystem::~VirtualMidiSystem() = default;

std::shared_ptr<VirtualMidiPort> VirtualMidiSystem::AddInput(const std::u16string& name) {
    auto port = std::make_shared<VirtualMidiPort>(mDriver, name, true);
    std::lock_guard<std::mutex> guard(mLock);
    mInputs.push_back(port);
    return port;
}

std::shared_ptr<VirtualMidiPort> VirtualMidiSystem::AddOutput(const std::u16string& name) {
    auto port = std::make_shared<VirtualMidiPort>(mDriver, name, false);
    std::lock_guard<std::mutex> guard(mLock);
    mOutputs.push_back(port);
    return port;
}

void VirtualMidiSystem::PauseDelivery() {
    mDriver->Pause();
}

void VirtualMidiSystem::ResumeDelivery() {
    mDriver->Resume();
}

void VirtualMidiSystem::WaitUntilIdle() {
    mDriver->WaitUntilIdle();
}

std::shared_ptr<VirtualMidiPort> VirtualMidiSystem::Listed(bool input, uint32_t deviceId) {
    std::lock_guard<std::mutex> guard(mLock);
    uint32_t index = 0;
    for (const std::shared_ptr<VirtualMidiPort>& port : input ? mInputs : mOutputs) {
        if (port->IsPlugged() && index++ == deviceId) {
            return port;
        }
    }
    return nullptr;
}

uint32_t VirtualMidiSystem::GetInputCount() {
    std::lock_guard<std::mutex> guard(mLock);
    uint32_t count = 0;
    for (const std::shared_ptr<VirtualMidiPort>& port : mInputs) {
        count += port->IsPlugged() ? 1 : 0;
    }
    return count;
}

uint32_t VirtualMidiSystem::GetOutputCount() {
    std::lock_guard<std::mutex> guard(mLock);
    uint32_t count = 0;
    for (const std::shared_ptr<VirtualMidiPort>& port : mOutputs) {
        count += port->IsPlugged() ? 1 : 0;
    }
    return count;
}

uint32_t VirtualMidiSystem::GetInputName(uint32_t deviceId, std::u16string& name) {
    const std::shared_ptr<VirtualMidiPort> port = Listed(true, deviceId);
    if (!port) {
        return MMSYSERR_BADDEVICEID;
    }
    name = port->GetName();
    return MMSYSERR_NOERROR;
}

uint32_t VirtualMidiSystem::GetOutputName(uint32_t deviceId, std::u16string& name) {
    const std::shared_ptr<VirtualMidiPort> port = Listed(false, deviceId);
    if (!port) {
        return MMSYSERR_BADDEVICEID;
    }
    name = port->GetName();
    return MMSYSERR_NOERROR;
}

uint32_t VirtualMidiSystem::OpenInput(uint32_t deviceId, MidiInCallback callback, uintptr_t instance,
                                      std::shared_ptr<MidiInDevice>& device) {
    const std::shared_ptr<VirtualMidiPort> port = Listed(true, deviceId);
    if (!port) {
        return MMSYSERR_BADDEVICEID;
    }
    if (port->mFailOpen) {
        return MMSYSERR_ERROR;
    }
    std::lock_guard<std::mutex> guard(port->mLock);
    if (!port->mInputDevice.expired()) {
        return MMSYSERR_ALLOCATED;
    }
    auto opened = std::make_shared<VirtualMidiInDevice>(mDriver, port, callback, instance);
    port->mInputDevice = opened;
    ++port->mOpenCount;
    device = opened;
    return MMSYSERR_NOERROR;
}

uint32_t VirtualMidiSystem::OpenOutput(uint32_t deviceId, MidiOutCallback callback, uintptr_t instance,
                                       std::shared_ptr<MidiOutDevice>& device) {
    const std::shared_ptr<VirtualMidiPort> port = Listed(false, deviceId);
    if (!port) {
        return MMSYSERR_BADDEVICEID;
    }
    if (port->mFailOpen) {
        return MMSYSERR_ERROR;
    }
    std::lock_guard<std::mutex> guard(port->mLock);
    if (!port->mOutputDevice.expired()) {
        return MMSYSERR_ALLOCATED;
    }
    auto opened = std::make_shared<VirtualMidiOutDevice>(mDriver, port, callback, instance);
    port->mOutputDevice = opened;
    ++port->mOpenCount;
    device = opened;
    return MMSYSERR_NOERROR;
}

}  // namespace Platform
