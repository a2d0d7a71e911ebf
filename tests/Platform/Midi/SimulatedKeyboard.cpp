#include "Platform/Midi/SimulatedKeyboard.h"

#include <algorithm>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "DeviceControl/GeneratedCode/Engine/ModuleTestSupport.h"

namespace MidiTestSupport {

namespace {

const Bytes kHeader = {0xF0, 0x00, 0x00, 0x0E, 0x52, 0x5E};

Bytes Framed(uint8_t command, uint8_t countHigh, uint8_t countLow, uint8_t slot, const Bytes& data) {
    Bytes message = kHeader;
    message.insert(message.end(), {command, countHigh, countLow, slot});
    message.insert(message.end(), data.begin(), data.end());
    message.push_back(0xF7);
    return message;
}

bool HasHeader(const Bytes& message, uint8_t command) {
    return message.size() > 7 && std::equal(kHeader.begin(), kHeader.end(), message.begin()) &&
           message[6] == command && message.back() == 0xF7;
}

}  // namespace

SimulatedKeyboard::SimulatedKeyboard(Platform::VirtualMidiSystem& system, const std::u16string& name)
    : mToEditor(system.AddInput(name)),
      mFromEditor(system.AddOutput(name)),
      mSlots(kSlotCount, DefaultPreset()) {
    mFromEditor->SetReceiver([this](const Bytes& message) { Hear(message); });
}

SimulatedKeyboard::~SimulatedKeyboard() {
    mFromEditor->SetReceiver(nullptr);
}

Bytes SimulatedKeyboard::DefaultPreset() {
    QV::RCPtr<ModuleTestSupport::TestRoot> root = ModuleTestSupport::TestRoot::Create();
    root->SetFirstParamID(nullptr, 0, 0);
    Bytes preset;
    for (int32_t id = 0; id < kDeviceParameterCount; ++id) {
        const Bytes value = ModuleTestSupport::Bytes(root->GetModule(id)->GetParamValueDefault(id));
        preset.insert(preset.end(), value.begin(), value.end());
    }
    return preset;
}

Bytes SimulatedKeyboard::PresetRequest(uint8_t slot) {
    return Framed(0x02, 0x00, 0x01, slot, {});
}

Bytes SimulatedKeyboard::PresetWrite(uint8_t slot, const Bytes& preset) {
    return Framed(0x01, 0x01, 0x2C, slot, preset);
}

Bytes SimulatedKeyboard::PresetDump(uint8_t slot, const Bytes& preset) {
    return Framed(0x03, 0x01, 0x2C, slot, preset);
}

void SimulatedKeyboard::SetReply(Reply reply) {
    std::lock_guard<std::mutex> guard(mLock);
    mReply = reply;
}

bool SimulatedKeyboard::SendHeldReply() {
    uint8_t slot = 0;
    {
        std::lock_guard<std::mutex> guard(mLock);
        if (!mHeld) {
            return false;
        }
        mHeld = false;
        slot = mHeldSlot;
    }
    Answer(slot, Reply::kDump);
    return true;
}

Bytes SimulatedKeyboard::GetSlot(uint32_t slot) const {
    std::lock_guard<std::mutex> guard(mLock);
    return mSlots.at(slot);
}

void SimulatedKeyboard::SetSlot(uint32_t slot, const Bytes& preset) {
    std::lock_guard<std::mutex> guard(mLock);
    mSlots.at(slot) = preset;
}

uint32_t SimulatedKeyboard::GetRequestCount() const {
    std::lock_guard<std::mutex> guard(mLock);
    return mRequests;
}

uint32_t SimulatedKeyboard::GetWriteCount() const {
    std::lock_guard<std::mutex> guard(mLock);
    return mWrites;
}

std::vector<Bytes> SimulatedKeyboard::GetReceived() const {
    std::lock_guard<std::mutex> guard(mLock);
    return mReceived;
}

std::vector<Bytes> SimulatedKeyboard::GetOtherMessages() const {
    std::lock_guard<std::mutex> guard(mLock);
    return mOthers;
}

std::chrono::steady_clock::time_point SimulatedKeyboard::GetLastReplyTime() const {
    std::lock_guard<std::mutex> guard(mLock);
    return mLastReply;
}

void SimulatedKeyboard::Send(const Bytes& bytes) {
    mToEditor->Send(bytes);
}

void SimulatedKeyboard::Send(const Bytes& bytes, uint32_t timestamp) {
    mToEditor->Send(bytes, timestamp);
}

void SimulatedKeyboard::SendEndlessSysEx(size_t dataBytes) {
    Bytes piece = {0xF0};
    while (dataBytes > 0) {
        const size_t count = std::min<size_t>(dataBytes, 1024 - piece.size());
        piece.insert(piece.end(), count, 0x55);
        dataBytes -= count;
        mToEditor->Send(piece);
        piece.clear();
    }
    if (!piece.empty()) {
        mToEditor->Send(piece);
    }
}

void SimulatedKeyboard::Hear(const Bytes& message) {
    Reply reply = Reply::kDump;
    uint8_t slot = 0;
    {
        std::lock_guard<std::mutex> guard(mLock);
        mReceived.push_back(message);
        if (message.size() == 11 && HasHeader(message, 0x02) && message[7] == 0x00 && message[8] == 0x01) {
            ++mRequests;
            slot = message[9];
            if (slot >= kSlotCount) {
                return;
            }
            reply = mReply;
            if (reply == Reply::kHeld) {
                mHeld = true;
                mHeldSlot = slot;
                return;
            }
        } else if (message.size() == 182 && HasHeader(message, 0x01) && message[9] < kSlotCount) {
            ++mWrites;
            mSlots[message[9]].assign(message.begin() + 10, message.end() - 1);
            return;
        } else {
            mOthers.push_back(message);
            return;
        }
    }
    Answer(slot, reply);
}

void SimulatedKeyboard::Answer(uint8_t slot, Reply reply) {
    if (reply == Reply::kSilent) {
        return;
    }
    Bytes preset = GetSlot(slot);
    if (reply == Reply::kShort) {
        preset.pop_back();
    } else if (reply == Reply::kLong) {
        preset.push_back(0x00);
    }
    Bytes dump = PresetDump(slot, preset);
    if (reply == Reply::kWrongCommand) {
        dump[6] = 0x02;
    }
    {
        std::lock_guard<std::mutex> guard(mLock);
        mLastReply = std::chrono::steady_clock::now();
    }
    if (reply == Reply::kAfterEndless) {
        SendEndlessSysEx(1000);
    }
    if (reply == Reply::kInPieces) {
        for (size_t offset = 0; offset < dump.size(); offset += 40) {
            mToEditor->Send(Bytes(dump.begin() + offset, dump.begin() + std::min(dump.size(), offset + 40)));
        }
        return;
    }
    mToEditor->Send(dump);
}

}  // namespace MidiTestSupport
