#pragma once

#include "RIZozivirod/Utilities/Storage/StringT.h"

// The user's and the machine's folders after the XDG base and user directories. Each answer is
// an absolute path without a trailing "/", or empty when it cannot be found (neither the XDG
// variable nor HOME holds an absolute path in UTF-8). Nothing is created here.
namespace Platform {

// $HOME.
QV::WString GetHomeFolder();
// $XDG_DATA_HOME, else $HOME/.local/share.
QV::WString GetUserDataFolder();
// $XDG_STATE_HOME, else $HOME/.local/state.
QV::WString GetUserStateFolder();
// $XDG_CONFIG_HOME, else $HOME/.config.
QV::WString GetUserConfigFolder();
// The first absolute entry of $XDG_DATA_DIRS, else /usr/local/share.
QV::WString GetSystemDataFolder();
// XDG_DOCUMENTS_DIR from user-dirs.dirs in the user's configuration folder, else the home
// folder.
QV::WString GetDocumentsFolder();

}  // namespace Platform
