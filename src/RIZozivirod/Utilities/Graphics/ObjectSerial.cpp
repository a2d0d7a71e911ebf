#include "RIZozivirod/Utilities/Graphics/ObjectSerial.h"

#include <atomic>

namespace QV {

int64_t NextObjectSerial() {
    static std::atomic<int64_t> last{0};
    return ++last;
}

}  // namespace QV
