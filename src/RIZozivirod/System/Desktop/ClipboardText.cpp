// The clipboard's text value, made here once for every unit. This unit is compiled on its own
// (not batched with others): the destructor it defines must not be seen where plain strings are
// destroyed, or an optimising build guesses it for them and warns about what it would touch.
#include "RIZozivirod/System/Desktop/Clipboard.h"

namespace QV {

template class LWrapperStringable<WString, &ClipboardTextToString, LRefCountedObject>;

}  // namespace QV
