#include "RIZozivirod/System/Event.h"

namespace QV {

Event::Event(bool autoReset) : mHandle(Platform::CreateEvent(!autoReset, false)) {}

Event::~Event() {
    Platform::CloseEvent(mHandle);
}

bool Event::Set() {
    return Platform::SetEvent(mHandle);
}

bool Event::Reset() {
    return Platform::ResetEvent(mHandle);
}

uint32_t Event::Wait(uint32_t milliseconds) {
    return Platform::WaitForEvent(mHandle, milliseconds);
}

LEvent::LEvent() : mHandle(Platform::CreateEvent(false, false)) {}

LEvent::~LEvent() {
    Platform::CloseEvent(mHandle);
}

RCPtr<LEvent> LEvent::Create(bool /*autoReset*/) {
    return RCPtr<LEvent>(new LEvent());
}

bool LEvent::Set() {
    return Platform::SetEvent(mHandle);
}

bool LEvent::Reset() {
    return Platform::ResetEvent(mHandle);
}

uint32_t LEvent::Wait(uint32_t milliseconds) {
    return Platform::WaitForEvent(mHandle, milliseconds);
}

}  // namespace QV
