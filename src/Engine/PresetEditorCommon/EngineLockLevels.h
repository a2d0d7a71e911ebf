#pragma once

#include <cstdint>

#include "RIZozivirod/System/Mutex.h"

// Levels of the device model's locks in the order that debug builds check (QV::LockLevel): a
// thread takes them from higher to lower levels. A delivery of device values holds the
// communication worker's lock, then the root module's; the root module's lock and the engine's
// are never held together; either may be held while the communication state lock is taken and
// while posting to a notification centre (whose locks lie lower still). The communication queue's
// lock is taken last of all.
namespace EngineLockLevel {
constexpr int32_t kCommunicationWorker = 600;
constexpr int32_t kRootModule = 500;
constexpr int32_t kEngine = 500;
constexpr int32_t kCommunicationState = 400;
constexpr int32_t kCommunicationQueue = 50;
static_assert(kCommunicationState > QV::LockLevel::kNotificationCentres,
              "the state lock lies above the notification centres' locks");
}  // namespace EngineLockLevel
