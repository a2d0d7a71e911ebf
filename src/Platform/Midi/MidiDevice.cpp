#include "Platform/Midi/MidiDevice.h"

#include <algorithm>
#include <cstring>

namespace Platform {

// ---- driver thread ----

struct MidiDriver::State {
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::function<void()>> tasks;
    bool quit = false;
    bool paused = false;
    bool running = false;
    std::thread::id thread;
};

MidiDriver::MidiDriver() : mState(std::make_shared<State>()) {}

MidiDriver::~MidiDriver() {
    {
        std::lock_guard<std::mutex> guard(mState->lock);
        mState->quit = true;
        mState->tasks.clear();
    }
    mState->wake.notify_all();
    mState->idle.notify_all();
    if (mThread.joinable()) {
        if (mThread.get_id() == std::this_thread::get_id()) {
            mThread.detach();
        } else {
            mThread.join();
        }
    }
}

void MidiDriver::Post(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> start(mStartLock);
        if (!mThread.joinable()) {
            mThread = std::thread(&MidiDriver::Run, mState);
            std::lock_guard<std::mutex> guard(mState->lock);
            mState->thread = mThread.get_id();
        }
    }
    {
        std::lock_guard<std::mutex> guard(mState->lock);
        if (mState->quit) {
            return;
        }
        mState->tasks.push_back(std::move(task));
    }
    mState->wake.notify_one();
}

void MidiDriver::Pause() {
    std::lock_guard<std::mutex> guard(mState->lock);
    mState->paused = true;
}

void MidiDriver::Resume() {
    {
        std::lock_guard<std::mutex> guard(mState->lock);
        mState->paused = false;
    }
    mState->wake.notify_all();
}

void MidiDriver::WaitUntilIdle() {
    std::unique_lock<std::mutex> guard(mState->lock);
    mState->idle.wait(guard, [this] {
        return mState->quit || (!mState->running && (mState->tasks.empty() || mState->paused));
    });
}

bool MidiDriver::IsDriverThread() const {
    std::lock_guard<std::mutex> guard(mState->lock);
    return mState->thread == std::this_thread::get_id();
}

void MidiDriver::Run(std::shared_ptr<State> state) {
    std::unique_lock<std::mutex> guard(state->lock);
    for (;;) {
        state->wake.wait(guard, [&] { return state->quit || (!state->paused && !state->tasks.empty()); });
        if (state->quit) {
            return;
        }
        std::function<void()> task = std::move(state->tasks.front());
        state->tasks.pop_front();
        state->running = true;
        guard.unlock();
        task();
        // The task's captures (devices, and through them possibly this driver) go here,
        // outside the lock.
        task = nullptr;
        guard.lock();
        state->running = false;
        state->idle.notify_all();
    }
}

void CopyProductName(const std::u16string& name, char16_t (&field)[MAXPNAMELEN]) {
    const size_t count = std::min<size_t>(name.size(), MAXPNAMELEN - 1);
    std::copy_n(name.begin(), count, field);
    field[count] = u'\0';
}

// ---- input ----

namespace {

bool ValidHeader(const MIDIHDR* header, uint32_t size) {
    return header != nullptr && size >= sizeof(MIDIHDR);
}

// Preparing and unpreparing a buffer is the same for input and output: flags under the
// device's lock, and a queued buffer cannot be unprepared.
uint32_t MarkPrepared(std::mutex& lock, MIDIHDR* header, uint32_t size) {
    if (!ValidHeader(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard<std::mutex> guard(lock);
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

uint32_t MarkUnprepared(std::mutex& lock, MIDIHDR* header, uint32_t size) {
    if (!ValidHeader(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard<std::mutex> guard(lock);
    if ((header->dwFlags & MHDR_INQUEUE) != 0) {
        return MIDIERR_STILLPLAYING;
    }
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

}  // namespace

MidiInDevice::MidiInDevice(std::shared_ptr<MidiDriver> driver, std::u16string name, MidiInCallback callback,
                           uintptr_t instance)
    : mDriver(std::move(driver)), mName(std::move(name)), mCallback(callback), mInstance(instance) {}

MidiInDevice::~MidiInDevice() = default;

void MidiInDevice::Opened() {
    std::vector<Delivery> open{{MIM_OPEN, 0, 0}};
    std::shared_ptr<MidiInDevice> self = shared_from_this();
    mDriver->Post([self, open] { self->Deliver(open); });
}

uint32_t MidiInDevice::GetCaps(MIDIINCAPS* caps, uint32_t size) {
    if (caps == nullptr || size < sizeof(MIDIINCAPS)) {
        return MMSYSERR_INVALPARAM;
    }
    if (!IsPresent()) {
        return MMSYSERR_NODRIVER;
    }
    std::memset(caps, 0, sizeof(MIDIINCAPS));
    CopyProductName(mName, caps->szPname);
    return MMSYSERR_NOERROR;
}

uint32_t MidiInDevice::PrepareHeader(MIDIHDR* header, uint32_t size) {
    return MarkPrepared(mLock, header, size);
}

uint32_t MidiInDevice::UnprepareHeader(MIDIHDR* header, uint32_t size) {
    return MarkUnprepared(mLock, header, size);
}

uint32_t MidiInDevice::AddBuffer(MIDIHDR* header, uint32_t size) {
    if (!ValidHeader(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard<std::mutex> guard(mLock);
    if ((header->dwFlags & MHDR_PREPARED) == 0) {
        return MIDIERR_UNPREPARED;
    }
    if ((header->dwFlags & MHDR_INQUEUE) != 0) {
        return MIDIERR_STILLPLAYING;
    }
    if (header->lpData == nullptr || header->dwBufferLength == 0) {
        return MMSYSERR_INVALPARAM;
    }
    header->dwFlags = (header->dwFlags | MHDR_INQUEUE) & ~MHDR_DONE;
    header->dwBytesRecorded = 0;
    mQueue.push_back(header);
    return MMSYSERR_NOERROR;
}

uint32_t MidiInDevice::Start() {
    if (!IsPresent()) {
        return MMSYSERR_NODRIVER;
    }
    const uint32_t allowed = CanStart();
    if (allowed != MMSYSERR_NOERROR) {
        return allowed;
    }
    std::lock_guard<std::mutex> guard(mLock);
    if (!mStarted) {
        mStarted = true;
        mStartTime = std::chrono::steady_clock::now();
    }
    return MMSYSERR_NOERROR;
}

uint32_t MidiInDevice::Stop() {
    std::vector<Delivery> returned;
    {
        std::lock_guard<std::mutex> guard(mLock);
        mStarted = false;
        if (mInSysEx && !mQueue.empty() && mQueue.front()->dwBytesRecorded > 0) {
            ReturnFront(MIM_LONGDATA, returned);
        }
        mInSysEx = false;
        mHave = 0;
    }
    if (!returned.empty()) {
        std::shared_ptr<MidiInDevice> self = shared_from_this();
        mDriver->Post([self, returned] { self->Deliver(returned); });
    }
    return MMSYSERR_NOERROR;
}

uint32_t MidiInDevice::Reset() {
    std::vector<Delivery> returned;
    {
        std::lock_guard<std::mutex> guard(mLock);
        mStarted = false;
        while (!mQueue.empty()) {
            ReturnFront(MIM_LONGDATA, returned);
        }
        mInSysEx = false;
        mRunningStatus = 0;
        mHave = 0;
    }
    if (!returned.empty()) {
        std::shared_ptr<MidiInDevice> self = shared_from_this();
        mDriver->Post([self, returned] { self->Deliver(returned); });
    }
    return MMSYSERR_NOERROR;
}

uint32_t MidiInDevice::Close() {
    {
        std::lock_guard<std::mutex> guard(mLock);
        if (!mOpen) {
            return MMSYSERR_INVALHANDLE;
        }
        if (!mQueue.empty()) {
            return MIDIERR_STILLPLAYING;
        }
        mOpen = false;
        mStarted = false;
    }
    Disconnect();
    std::shared_ptr<MidiInDevice> self = shared_from_this();
    mDriver->Post([self] {
        if (self->mCallback != nullptr) {
            self->mCallback(self.get(), MIM_CLOSE, self->mInstance, 0, 0);
        }
    });
    return MMSYSERR_NOERROR;
}

uint32_t MidiInDevice::Elapsed() const {
    const auto elapsed = std::chrono::steady_clock::now() - mStartTime;
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void MidiInDevice::Receive(const uint8_t* bytes, size_t count) {
    uint32_t timestamp = 0;
    {
        std::lock_guard<std::mutex> guard(mLock);
        if (!mStarted) {
            return;
        }
        timestamp = Elapsed();
    }
    Receive(bytes, count, timestamp);
}

void MidiInDevice::Receive(const uint8_t* bytes, size_t count, uint32_t timestamp) {
    if (bytes == nullptr || count == 0) {
        return;
    }
    std::vector<uint8_t> copy(bytes, bytes + count);
    std::shared_ptr<MidiInDevice> self = shared_from_this();
    mDriver->Post([self, copy = std::move(copy), timestamp] { self->Process(copy, timestamp); });
}

void MidiInDevice::ReceiveBuffer(const uint8_t* bytes, size_t count) {
    std::vector<uint8_t> copy(bytes, bytes + count);
    std::shared_ptr<MidiInDevice> self = shared_from_this();
    mDriver->Post([self, copy = std::move(copy)] { self->ProcessBuffer(copy); });
}

void MidiInDevice::ProcessBuffer(const std::vector<uint8_t>& bytes) {
    std::vector<Delivery> out;
    {
        std::lock_guard<std::mutex> guard(mLock);
        if (!mOpen || !mStarted || mQueue.empty()) {
            return;
        }
        MIDIHDR* header = mQueue.front();
        const size_t count = std::min<size_t>(bytes.size(), header->dwBufferLength - header->dwBytesRecorded);
        std::copy_n(bytes.begin(), count, header->lpData + header->dwBytesRecorded);
        header->dwBytesRecorded += static_cast<uint32_t>(count);
        ReturnFront(MIM_LONGDATA, out);
    }
    Deliver(out);
}

void MidiInDevice::ReturnFront(uint32_t message, std::vector<Delivery>& out) {
    MIDIHDR* header = mQueue.front();
    mQueue.pop_front();
    header->dwFlags = (header->dwFlags | MHDR_DONE) & ~MHDR_INQUEUE;
    out.push_back({message, reinterpret_cast<uintptr_t>(header), 0});
}

void MidiInDevice::PutSysExByte(uint8_t byte, std::vector<Delivery>& out) {
    if (mQueue.empty()) {
        return;
    }
    MIDIHDR* header = mQueue.front();
    header->lpData[header->dwBytesRecorded++] = byte;
    if (header->dwBytesRecorded >= header->dwBufferLength || byte == 0xF7) {
        ReturnFront(MIM_LONGDATA, out);
    }
}

void MidiInDevice::Process(const std::vector<uint8_t>& bytes, uint32_t timestamp) {
    std::vector<Delivery> out;
    std::unique_lock<std::mutex> guard(mLock);
    auto emit = [&] {
        const uintptr_t packed = mMessage[0] | (mMessage[1] << 8) | (mMessage[2] << 16);
        out.push_back({MIM_DATA, packed, timestamp});
        mHave = 0;
        mMessage[1] = mMessage[2] = 0;
    };
    for (const uint8_t byte : bytes) {
        if (!mOpen || !mStarted) {
            // Stopped meanwhile: the rest of the bytes is not taken.
            break;
        }
        const size_t queued = mQueue.size();
        if (byte >= 0xF8) {
            // Real-time bytes pass through anything, a System Exclusive message included.
            out.push_back({MIM_DATA, byte, timestamp});
        } else if (mInSysEx && (byte < 0x80 || byte == 0xF7)) {
            PutSysExByte(byte, out);
            mInSysEx = byte != 0xF7;
        } else {
            if (mInSysEx) {
                // Any other status byte ends the message unfinished.
                mInSysEx = false;
                if (!mQueue.empty() && mQueue.front()->dwBytesRecorded > 0) {
                    ReturnFront(MIM_LONGERROR, out);
                }
            }
            if (byte == 0xF0) {
                mInSysEx = true;
                mRunningStatus = 0;
                mHave = 0;
                PutSysExByte(byte, out);
            } else if (byte == 0xF7) {
                // An end without a message.
                mHave = 0;
                out.push_back({MIM_ERROR, byte, timestamp});
            } else if (byte >= 0x80) {
                mRunningStatus = byte < 0xF0 ? byte : 0;
                mMessage[0] = byte;
                mHave = 1;
                mNeed = MidiMessageLength(byte);
                if (mHave == mNeed) {
                    emit();
                }
            } else if (mHave > 0) {
                mMessage[mHave++] = byte;
                if (mHave == mNeed) {
                    emit();
                }
            } else if (mRunningStatus != 0) {
                mMessage[0] = mRunningStatus;
                mMessage[1] = byte;
                mHave = 2;
                mNeed = MidiMessageLength(mRunningStatus);
                if (mHave == mNeed) {
                    emit();
                }
            } else {
                out.push_back({MIM_ERROR, byte, timestamp});
            }
        }
        if (mQueue.size() < queued) {
            // A buffer came back: hand it over now, so that it can be queued again before the
            // next one fills, as input does not wait.
            guard.unlock();
            Deliver(out);
            out.clear();
            guard.lock();
        }
    }
    guard.unlock();
    Deliver(out);
}

void MidiInDevice::Deliver(const std::vector<Delivery>& deliveries) {
    if (mCallback == nullptr) {
        return;
    }
    for (const Delivery& delivery : deliveries) {
        // Tested before each one: a close while an earlier callback of the batch runs drops the
        // rest, whose buffers the caller may already have unprepared and freed.
        {
            std::lock_guard<std::mutex> guard(mLock);
            if (!mOpen) {
                return;
            }
        }
        mCallback(this, delivery.message, mInstance, delivery.param1, delivery.param2);
    }
}

// ---- output ----

MidiOutDevice::MidiOutDevice(std::shared_ptr<MidiDriver> driver, std::u16string name,
                             MidiOutCallback callback, uintptr_t instance)
    : mDriver(std::move(driver)), mName(std::move(name)), mCallback(callback), mInstance(instance) {}

MidiOutDevice::~MidiOutDevice() = default;

void MidiOutDevice::Opened() {
    std::shared_ptr<MidiOutDevice> self = shared_from_this();
    mDriver->Post([self] { self->Deliver(MOM_OPEN, 0); });
}

uint32_t MidiOutDevice::GetCaps(MIDIOUTCAPS* caps, uint32_t size) {
    if (caps == nullptr || size < sizeof(MIDIOUTCAPS)) {
        return MMSYSERR_INVALPARAM;
    }
    if (!IsPresent()) {
        return MMSYSERR_NODRIVER;
    }
    std::memset(caps, 0, sizeof(MIDIOUTCAPS));
    CopyProductName(mName, caps->szPname);
    caps->wChannelMask = 0xFFFF;
    return MMSYSERR_NOERROR;
}

uint32_t MidiOutDevice::ShortMsg(uint32_t message) {
    const uint8_t status = static_cast<uint8_t>(message & 0xFF);
    if (status < 0x80 || status == 0xF0 || status == 0xF7) {
        return MMSYSERR_INVALPARAM;
    }
    if (!IsPresent()) {
        return MMSYSERR_NODRIVER;
    }
    const uint32_t allowed = CanSend();
    if (allowed != MMSYSERR_NOERROR) {
        return allowed;
    }
    std::vector<uint8_t> bytes = {status, static_cast<uint8_t>((message >> 8) & 0x7F),
                                  static_cast<uint8_t>((message >> 16) & 0x7F)};
    bytes.resize(MidiMessageLength(status));
    Transmit(bytes);
    return MMSYSERR_NOERROR;
}

uint32_t MidiOutDevice::PrepareHeader(MIDIHDR* header, uint32_t size) {
    return MarkPrepared(mLock, header, size);
}

uint32_t MidiOutDevice::UnprepareHeader(MIDIHDR* header, uint32_t size) {
    return MarkUnprepared(mLock, header, size);
}

uint32_t MidiOutDevice::LongMsg(MIDIHDR* header, uint32_t size) {
    if (!ValidHeader(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    if (!IsPresent()) {
        return MMSYSERR_NODRIVER;
    }
    const uint32_t allowed = CanSend();
    if (allowed != MMSYSERR_NOERROR) {
        return allowed;
    }
    {
        std::lock_guard<std::mutex> guard(mLock);
        if ((header->dwFlags & MHDR_PREPARED) == 0) {
            return MIDIERR_UNPREPARED;
        }
        if ((header->dwFlags & MHDR_INQUEUE) != 0) {
            return MIDIERR_STILLPLAYING;
        }
        if (header->lpData == nullptr || header->dwBufferLength == 0) {
            return MMSYSERR_INVALPARAM;
        }
        header->dwFlags = (header->dwFlags | MHDR_INQUEUE) & ~MHDR_DONE;
        mQueue.push_back(header);
    }
    std::shared_ptr<MidiOutDevice> self = shared_from_this();
    mDriver->Post([self] { self->PlayNext(); });
    return MMSYSERR_NOERROR;
}

void MidiOutDevice::PlayQueued() {
    size_t queued = 0;
    {
        std::lock_guard<std::mutex> guard(mLock);
        queued = mQueue.size();
    }
    std::shared_ptr<MidiOutDevice> self = shared_from_this();
    for (size_t i = 0; i < queued; ++i) {
        mDriver->Post([self] { self->PlayNext(); });
    }
}

void MidiOutDevice::PlayNext() {
    MIDIHDR* header = nullptr;
    std::vector<uint8_t> bytes;
    {
        std::lock_guard<std::mutex> guard(mLock);
        if (!mOpen || mQueue.empty() || Withholds()) {
            return;
        }
        header = mQueue.front();
        mQueue.pop_front();
        // The caller's buffer is read here, while it is still queued; once marked done it is
        // the caller's again.
        bytes.assign(header->lpData, header->lpData + header->dwBufferLength);
        header->dwFlags = (header->dwFlags | MHDR_DONE) & ~MHDR_INQUEUE;
    }
    Transmit(bytes);
    Deliver(MOM_DONE, reinterpret_cast<uintptr_t>(header));
}

uint32_t MidiOutDevice::Reset() {
    std::vector<MIDIHDR*> returned;
    {
        std::lock_guard<std::mutex> guard(mLock);
        for (MIDIHDR* header : mQueue) {
            header->dwFlags = (header->dwFlags | MHDR_DONE) & ~MHDR_INQUEUE;
            returned.push_back(header);
        }
        mQueue.clear();
    }
    if (!returned.empty()) {
        std::shared_ptr<MidiOutDevice> self = shared_from_this();
        mDriver->Post([self, returned] {
            for (MIDIHDR* header : returned) {
                self->Deliver(MOM_DONE, reinterpret_cast<uintptr_t>(header));
            }
        });
    }
    return MMSYSERR_NOERROR;
}

uint32_t MidiOutDevice::Close() {
    {
        std::lock_guard<std::mutex> guard(mLock);
        if (!mOpen) {
            return MMSYSERR_INVALHANDLE;
        }
        if (!mQueue.empty()) {
            return MIDIERR_STILLPLAYING;
        }
        mOpen = false;
    }
    Disconnect();
    std::shared_ptr<MidiOutDevice> self = shared_from_this();
    mDriver->Post([self] {
        if (self->mCallback != nullptr) {
            self->mCallback(self.get(), MOM_CLOSE, self->mInstance, 0, 0);
        }
    });
    return MMSYSERR_NOERROR;
}

void MidiOutDevice::Deliver(uint32_t message, uintptr_t param1) {
    {
        std::lock_guard<std::mutex> guard(mLock);
        if (!mOpen) {
            return;
        }
    }
    if (mCallback != nullptr) {
        mCallback(this, message, mInstance, param1, 0);
    }
}

}  // namespace Platform
