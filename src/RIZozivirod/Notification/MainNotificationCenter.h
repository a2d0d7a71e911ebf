#pragma once

#include "RIZozivirod/Notification/NotificationCenter.h"

namespace QV {

// The centre named "application", made on first use by the process's centre manager: the device
// engine posts its state changes there, the host window and the menu post the exit request there,
// and every control keeps it as its notification centre. Any thread; null only when the centre
// cannot be made.
RCPtr<LNotificationCenter> GetMainNotificationCenter();

}  // namespace QV
