#include "RIZozivirod/System/Version.h"

#include "RIZozivirod/System/VersionTable.h"

namespace QV {

WString Version::GetStringValue(const WString& key) const {
    for (const VersionTable::Entry& entry : VersionTable::kEntries) {
        if (key == entry.key) {
            return WString(entry.value);
        }
    }
    return WString();
}

}  // namespace QV
