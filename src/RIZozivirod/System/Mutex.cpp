#include "RIZozivirod/System/Mutex.h"

namespace QV {

Mutex::Mutex() = default;
Mutex::~Mutex() = default;

}  // namespace QV
