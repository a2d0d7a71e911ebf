#pragma once

#include <cstdint>

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// The program's folders by identifier, computed anew at every call from the company and
// product names of the version block. No folder ends with the separator.
class ApplicationFolders {
public:
    static constexpr int32_t kProgramFolder = 0;      // the folder of the program file
    static constexpr int32_t kResourceFolder = 1;     // "::", the embedded resources
    static constexpr int32_t kMachineDataFolder = 2;  // machine-wide data + company + product
    static constexpr int32_t kUserDataFolder = 3;     // per-user data + company + product
    static constexpr int32_t kDocumentsFolder = 4;    // also answers 5 and 6

    // The data folders and the documents folder are created when missing (a failure to
    // create is not an error: the path is still the answer). Empty when the system has no such
    // folder, for example a per-user folder without a home. An id outside 0 to 6 raises
    // std::out_of_range "Unknown Path ID.".
    static WString GetFolder(int32_t id, const WString& companyName, const WString& productName);

    // The profile file: per-user state folder + company + product + "Profile.ini"; empty
    // without a state folder. Nothing is created.
    static WString GetProfilePath(const WString& companyName, const WString& productName);
};

}  // namespace QV
