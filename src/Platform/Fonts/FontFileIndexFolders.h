#pragma once

#include <cstdint>

#include "RIZozivirod/Utilities/Storage/StringArrayT.h"

namespace Platform {

// The folders fontconfig's current configuration scans for fonts (the configured folders and
// the folders below them) and those of the fonts the application added, in ordinal order. S_OK, or E_FAIL with no folders when fontconfig
// has no configuration or names no folder.
int32_t GetFontFolders(QV::WStringArray& folders);

}  // namespace Platform
