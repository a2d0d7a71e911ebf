#include "RIZozivirod/System/MidiComm.h"

#include <atomic>
#include <vector>

#include "RIZozivirod/Notification/Notification.h"
#include "RIZozivirod/Utilities/Storage/ReuseAllocator.h"

namespace QV {

using namespace Platform;

namespace {

std::atomic<uint32_t> gSendTimeout{10000};

bool NameContains(const WString& deviceName, const WString& asked) {
    return asked.GetLength() > 0 && deviceName.ToLower().Find(asked.ToLower()) >= 0;
}

}  // namespace

// ---- notification data ----

RCPtr<LMidiCaptureNotificationData> LMidiCaptureNotificationData::Create(const WString& deviceName,
                                                                         uint32_t timestamp) {
    RCPtr<LMidiCaptureNotificationData> data(new LMidiCaptureNotificationData);
    data->deviceName = deviceName;
    data->timestamp = timestamp;
    return data;
}

void* LMidiCaptureNotificationData::operator new(size_t size) {
    return GetReuseAllocator<LMidiCaptureNotificationData, 4, true>().Allocate(size);
}

void LMidiCaptureNotificationData::operator delete(void* pointer) noexcept {
    GetReuseAllocator<LMidiCaptureNotificationData, 4, true>().Free(pointer);
}

// ---- comm ----

RCPtr<LMidiComm> LMidiComm::Create() {
    return RCPtr<LMidiComm>(new LMidiComm);
}

LMidiComm::LMidiComm() : pool(LThreadPool::Create(1, Thread::THREAD_PRIORITY_HIGHEST)) {}

LMidiComm::~LMidiComm() = default;

uint32_t LMidiComm::GetSendTimeout() {
    return gSendTimeout.load();
}

void LMidiComm::SetSendTimeout(uint32_t milliseconds) {
    gSendTimeout = milliseconds;
}

int32_t LMidiComm::OpenCapturePort(const WString& name, RCPtr<LMidiCapturePort>& port) {
    port = nullptr;
    if (name.GetLength() == 0) {
        return E_FAIL;
    }
    CAutoLock guard(lock);
    for (uint32_t i = capturePorts.GetCount(); i-- > 0;) {
        LMidiCapturePort* existing = capturePorts.GetAt(i).Get();
        if (existing == nullptr || !existing->MatchesName(name)) {
            continue;
        }
        MIDIINCAPS caps{};
        if (existing->handle == nullptr || midiInGetDevCaps(existing->handle, &caps, sizeof(caps)) != 0) {
            // The device went away under the port: open it again.
            if (existing->Open() != MMSYSERR_NOERROR || midiInStart(existing->handle) != MMSYSERR_NOERROR) {
                return E_FAIL;
            }
        }
        port = existing;
        return S_OK;
    }

    RCPtr<LMidiCapturePort> created = LMidiCapturePort::Create(name, RCPtr<LMidiComm>(this));
    if (!created || created->Open() != MMSYSERR_NOERROR) {
        return E_FAIL;
    }
    capturePorts.Add(created);
    created->AddInternalReferences(1);
    if (midiInStart(created->handle) != MMSYSERR_NOERROR) {
        created->Close();
        const int32_t index = capturePorts.IndexOf(created);
        if (index >= 0) {
            created->AddInternalReferences(-1);
            capturePorts.RemoveItems(static_cast<uint32_t>(index), 1);
        }
        return E_FAIL;
    }
    port = created;
    return S_OK;
}

int32_t LMidiComm::OpenRenderPort(const WString& name, RCPtr<LMidiRenderPort>& port) {
    port = nullptr;
    if (name.GetLength() == 0) {
        return E_FAIL;
    }
    CAutoLock guard(lock);
    for (uint32_t i = renderPorts.GetCount(); i-- > 0;) {
        LMidiRenderPort* existing = renderPorts.GetAt(i).Get();
        if (existing == nullptr || !existing->MatchesName(name)) {
            continue;
        }
        MIDIOUTCAPS caps{};
        if (existing->handle == nullptr || midiOutGetDevCaps(existing->handle, &caps, sizeof(caps)) != 0) {
            if (existing->Open() != MMSYSERR_NOERROR) {
                return E_FAIL;
            }
        }
        port = existing;
        return S_OK;
    }

    RCPtr<LMidiRenderPort> created = LMidiRenderPort::Create(name, RCPtr<LMidiComm>(this));
    if (!created || created->Open() != MMSYSERR_NOERROR) {
        return E_FAIL;
    }
    renderPorts.Add(created);
    created->AddInternalReferences(1);
    port = created;
    return S_OK;
}

int32_t LMidiComm::Send(const RCPtr<LRefCountedObject>& port, const Array<uint8_t>& message) {
    LMidiRenderPort* render = dynamic_cast<LMidiRenderPort*>(const_cast<LRefCountedObject*>(port.Get()));
    const uint32_t length = message.GetCount();
    if (render == nullptr || length == 0) {
        return E_INVALIDARG;
    }
    const uint32_t timeout = GetSendTimeout();
    // A long message still being played out on this port goes first.
    render->sendDone.Wait(timeout);

    const uint8_t status = message.GetAt(0);
    if (status >= 0x80 && status != 0xF0 && status != 0xF7) {
        uint32_t packed = 0;
        for (uint32_t i = 0; i < 3 && i < length; ++i) {
            packed |= static_cast<uint32_t>(message.GetAt(i)) << (8 * i);
        }
        if (midiOutShortMsg(render->handle, packed) != MMSYSERR_NOERROR) {
            return E_FAIL;
        }
        return static_cast<int32_t>(MidiMessageLength(status));
    }

    // The driver reads these bytes until it gives the header back.
    std::vector<uint8_t> bytes(message.GetData(), message.GetData() + length);
    MIDIHDR header{bytes.data(), length, length, 0, 0};
    if (midiOutPrepareHeader(render->handle, &header, sizeof(header)) != MMSYSERR_NOERROR) {
        return E_FAIL;
    }
    render->sendDone.Reset();
    bool sent = midiOutLongMsg(render->handle, &header, sizeof(header)) == MMSYSERR_NOERROR;
    if (sent && render->sendDone.Wait(timeout) != Event::WAIT_OBJECT_0) {
        sent = false;
        // The driver still holds the message: take it back before its bytes go, and let the
        // completion that gives it back arrive now rather than during a later send.
        midiOutReset(render->handle);
        render->sendDone.Wait(timeout);
    }
    if (midiOutUnprepareHeader(render->handle, &header, sizeof(header)) != MMSYSERR_NOERROR) {
        sent = false;
    }
    render->sendDone.Set();
    return sent ? static_cast<int32_t>(length) : E_FAIL;
}

int LMidiComm::DoWork(RCPtr<LRefCountedObject>& params) {
    RCPtr<LNotification> notification = LNotification::Create(u"NID_MIDI_DATA_CAPTURED", params);
    CAutoLock guard(dispatchLock);
    return Notify(notification);
}

void LMidiComm::Queue(const RCPtr<LMidiCaptureNotificationData>& data) {
    pool->QueueWork(RCPtr<LThreadWorker>(this), RCPtr<LRefCountedObject>(data),
                    Thread::THREAD_PRIORITY_NORMAL);
}

void LMidiComm::RemoveCapturePort(LMidiCapturePort* port) {
    CAutoLock guard(lock);
    // Somebody took the port again meanwhile: it stays.
    if (port->GetRefCount() != port->GetInternalRefCount() + 1) {
        return;
    }
    for (uint32_t i = capturePorts.GetCount(); i-- > 0;) {
        if (capturePorts.GetAt(i).Get() == port) {
            port->AddInternalReferences(-1);
            capturePorts.RemoveItems(i, 1);
            return;
        }
    }
}

void LMidiComm::RemoveRenderPort(LMidiRenderPort* port) {
    CAutoLock guard(lock);
    if (port->GetRefCount() != port->GetInternalRefCount() + 1) {
        return;
    }
    for (uint32_t i = renderPorts.GetCount(); i-- > 0;) {
        if (renderPorts.GetAt(i).Get() == port) {
            port->AddInternalReferences(-1);
            renderPorts.RemoveItems(i, 1);
            return;
        }
    }
}

LMidiCapturePort* LMidiComm::FindCapturePort(HMIDIIN device) const {
    for (uint32_t i = capturePorts.GetCount(); i-- > 0;) {
        LMidiCapturePort* port = const_cast<LMidiComm*>(this)->capturePorts.GetAt(i).Get();
        if (port != nullptr && port->handle != nullptr && port->handle == device) {
            return port;
        }
    }
    return nullptr;
}

LMidiRenderPort* LMidiComm::FindRenderPort(HMIDIOUT device) const {
    for (uint32_t i = renderPorts.GetCount(); i-- > 0;) {
        LMidiRenderPort* port = const_cast<LMidiComm*>(this)->renderPorts.GetAt(i).Get();
        if (port != nullptr && port->handle != nullptr && port->handle == device) {
            return port;
        }
    }
    return nullptr;
}

void LMidiComm::MidiInProc(HMIDIIN device, uint32_t message, uintptr_t instance, uintptr_t param1,
                           uintptr_t param2) {
    auto* comm = reinterpret_cast<LMidiComm*>(instance);
    if (comm == nullptr) {
        return;
    }
    if (message == MIM_CLOSE) {
        // The last callback of the device: the reference its opening took goes. Not under the
        // lock, which may go with the comm.
        comm->Release();
        return;
    }
    CAutoLock guard(comm->lock);
    LMidiCapturePort* port = comm->FindCapturePort(device);
    if (port == nullptr) {
        return;
    }
    switch (message) {
        case MIM_DATA:
        case MIM_MOREDATA:
            port->OnShortMessage(static_cast<uint32_t>(param1), static_cast<uint32_t>(param2));
            break;
        case MIM_LONGDATA: {
            auto* header = reinterpret_cast<MIDIHDR*>(param1);
            if (port->FindBuffer(header) == nullptr) {
                return;
            }
            // Every reset and close gives the buffers back with nothing recorded: no message.
            const uint32_t count = std::min(header->dwBytesRecorded, LMidiCapturePort::kBufferSize);
            if (count > 0) {
                const bool complete =
                    count < LMidiCapturePort::kBufferSize || header->lpData[count - 1] == 0xF7;
                port->OnLongData(header->lpData, count, complete);
            }
            port->RequeueBuffer(header);
            break;
        }
        case MIM_LONGERROR:
            port->RequeueBuffer(reinterpret_cast<MIDIHDR*>(param1));
            break;
        default:
            break;
    }
}

void LMidiComm::MidiOutProc(HMIDIOUT device, uint32_t message, uintptr_t instance, uintptr_t /*param1*/,
                            uintptr_t /*param2*/) {
    auto* comm = reinterpret_cast<LMidiComm*>(instance);
    if (comm == nullptr) {
        return;
    }
    if (message == MOM_CLOSE) {
        comm->Release();
        return;
    }
    CAutoLock guard(comm->lock);
    LMidiRenderPort* port = comm->FindRenderPort(device);
    if (port != nullptr && message == MOM_DONE) {
        port->sendDone.Set();
    }
}

// ---- capture port ----

RCPtr<LMidiCapturePort> LMidiCapturePort::Create(const WString& name, const RCPtr<LMidiComm>& comm) {
    if (name.GetLength() == 0 || !comm) {
        return nullptr;
    }
    return RCPtr<LMidiCapturePort>(new LMidiCapturePort(name, comm));
}

LMidiCapturePort::LMidiCapturePort(const WString& asked, const RCPtr<LMidiComm>& comm)
    : name(asked), owner(comm) {}

LMidiCapturePort::~LMidiCapturePort() {
    // Already out of the comm's array, so callbacks that arrive during the close find nothing.
    Close();
}

int32_t LMidiCapturePort::ReleaseInternalReferences() {
    if (owner) {
        owner->RemoveCapturePort(this);
    }
    return LRefCountedObject::ReleaseInternalReferences();
}

bool LMidiCapturePort::MatchesName(const WString& asked) const {
    return NameContains(deviceName, asked);
}

uint32_t LMidiCapturePort::Open() {
    Close();
    const uint32_t count = midiInGetNumDevs();
    uint32_t deviceId = 0;
    for (; deviceId < count; ++deviceId) {
        MIDIINCAPS caps{};
        if (midiInGetDevCaps(deviceId, &caps, sizeof(caps)) != MMSYSERR_NOERROR) {
            continue;
        }
        deviceName = WString(caps.szPname);
        if (MatchesName(name)) {
            break;
        }
    }
    if (deviceId == count) {
        return MMSYSERR_NODRIVER;
    }
    uint32_t result =
        midiInOpen(&handle, deviceId, &LMidiComm::MidiInProc, reinterpret_cast<uintptr_t>(owner.Get()),
                   CALLBACK_FUNCTION | MIDI_IO_STATUS);
    if (result == MMSYSERR_NOERROR) {
        // Given back by the close message.
        owner->AddRef();
        closing = false;
        result = PrepareBuffers();
    }
    if (result != MMSYSERR_NOERROR) {
        Close();
    }
    return result;
}

void LMidiCapturePort::Close() {
    if (handle != nullptr) {
        closing = true;
        midiInStop(handle);
        midiInReset(handle);
        UnprepareBuffers();
        midiInClose(handle);
        handle = nullptr;
    }
    pending = nullptr;
}

uint32_t LMidiCapturePort::PrepareBuffers() {
    for (Buffer& buffer : buffers) {
        buffer.preparedWith = handle;
        buffer.header = MIDIHDR{buffer.data, kBufferSize, 0, reinterpret_cast<uintptr_t>(&buffer), 0};
        uint32_t result = midiInPrepareHeader(handle, &buffer.header, sizeof(MIDIHDR));
        if (result == MMSYSERR_NOERROR) {
            result = midiInAddBuffer(handle, &buffer.header, sizeof(MIDIHDR));
        }
        if (result != MMSYSERR_NOERROR) {
            UnprepareBuffers();
            return result;
        }
    }
    return MMSYSERR_NOERROR;
}

void LMidiCapturePort::UnprepareBuffers() {
    for (Buffer& buffer : buffers) {
        if (buffer.preparedWith != nullptr) {
            midiInUnprepareHeader(buffer.preparedWith, &buffer.header, sizeof(MIDIHDR));
            buffer.preparedWith = nullptr;
        }
    }
}

LMidiCapturePort::Buffer* LMidiCapturePort::FindBuffer(const MIDIHDR* header) {
    for (Buffer& buffer : buffers) {
        if (&buffer.header == header) {
            return &buffer;
        }
    }
    return nullptr;
}

void LMidiCapturePort::RequeueBuffer(MIDIHDR* header) {
    if (closing || handle == nullptr) {
        return;
    }
    Buffer* buffer = FindBuffer(header);
    if (buffer == nullptr || buffer->preparedWith == nullptr) {
        return;
    }
    header->dwFlags &= ~MHDR_DONE;
    header->dwBytesRecorded = 0;
    midiInPrepareHeader(handle, header, sizeof(MIDIHDR));
    midiInAddBuffer(handle, header, sizeof(MIDIHDR));
}

void LMidiCapturePort::OnShortMessage(uint32_t packed, uint32_t timestamp) {
    RCPtr<LMidiCaptureNotificationData> data = LMidiCaptureNotificationData::Create(deviceName, timestamp);
    const uint32_t length = MidiMessageLength(static_cast<uint8_t>(packed & 0xFF));
    for (uint32_t i = 0; i < length; ++i) {
        data->bytes.Add(static_cast<uint8_t>((packed >> (8 * i)) & 0xFF));
    }
    owner->Queue(data);
}

void LMidiCapturePort::OnLongData(const uint8_t* data, uint32_t count, bool complete) {
    if (data[0] == 0xF0) {
        // A new message: one left unfinished before it never ends and is dropped.
        pending = LMidiCaptureNotificationData::Create(deviceName, 0);
    } else if (!pending) {
        // The rest of a message this port is not assembling.
        return;
    } else if (pending->bytes.GetCount() + count > LMidiComm::kMaxMessageLength) {
        // Past the bound the message is dropped; assembly waits for the next F0.
        pending = nullptr;
        return;
    }
    const uint32_t start = pending->bytes.GetCount();
    pending->bytes.SetCount(start + count);
    std::copy(data, data + count, pending->bytes.GetData() + start);
    if (complete) {
        owner->Queue(pending);
        pending = nullptr;
    }
}

// ---- render port ----

RCPtr<LMidiRenderPort> LMidiRenderPort::Create(const WString& name, const RCPtr<LMidiComm>& comm) {
    if (name.GetLength() == 0 || !comm) {
        return nullptr;
    }
    return RCPtr<LMidiRenderPort>(new LMidiRenderPort(name, comm));
}

LMidiRenderPort::LMidiRenderPort(const WString& asked, const RCPtr<LMidiComm>& comm)
    : name(asked), owner(comm) {
    sendDone.Set();
}

LMidiRenderPort::~LMidiRenderPort() {
    if (handle != nullptr) {
        midiOutClose(handle);
        handle = nullptr;
    }
}

int32_t LMidiRenderPort::ReleaseInternalReferences() {
    if (owner) {
        owner->RemoveRenderPort(this);
    }
    return LRefCountedObject::ReleaseInternalReferences();
}

bool LMidiRenderPort::MatchesName(const WString& asked) const {
    return NameContains(deviceName, asked);
}

uint32_t LMidiRenderPort::Open() {
    if (handle != nullptr) {
        midiOutClose(handle);
        handle = nullptr;
    }
    const uint32_t count = midiOutGetNumDevs();
    uint32_t deviceId = 0;
    for (; deviceId < count; ++deviceId) {
        MIDIOUTCAPS caps{};
        if (midiOutGetDevCaps(deviceId, &caps, sizeof(caps)) != MMSYSERR_NOERROR) {
            continue;
        }
        deviceName = WString(caps.szPname);
        if (MatchesName(name)) {
            break;
        }
    }
    if (deviceId == count) {
        return MMSYSERR_NODRIVER;
    }
    const uint32_t result = midiOutOpen(&handle, deviceId, &LMidiComm::MidiOutProc,
                                        reinterpret_cast<uintptr_t>(owner.Get()), CALLBACK_FUNCTION);
    if (result == MMSYSERR_NOERROR) {
        owner->AddRef();
    } else if (handle != nullptr) {
        midiOutClose(handle);
        handle = nullptr;
    }
    return result;
}

}  // namespace QV
