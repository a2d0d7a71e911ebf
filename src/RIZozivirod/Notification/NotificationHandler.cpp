#include "RIZozivirod/Notification/NotificationHandler.h"

#include <cassert>
#include <ostream>

#include "Platform/DebugOutput.h"

namespace QV {

void ReportNotificationHandlerFailure(const std::string& function, int32_t result) {
    DebugOutput::Get().GetNarrowStream()
        << "Notification binding not restored : " << ResultToString(result) << " : " << function << std::endl;
    assert(false && "a notification binding could not be restored");
}

}  // namespace QV
