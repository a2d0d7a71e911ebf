#pragma once

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// The program's version block: the company, product, version and copyright texts, fixed when
// the program is built.
class Version {
public:
    Version() = default;

    // The value of key ("CompanyName", "ProductName", "ProductVersion", "LegalCopyright"),
    // empty for a key the block does not have.
    WString GetStringValue(const WString& key) const;
};

}  // namespace QV
