#pragma once

#include <string>

#include "RIZozivirod/Utilities/Storage/StringT.h"

// The user's and the machine's folders after the XDG base and user directories. Each answer is
// an absolute path without a trailing "/", or empty when it cannot be found (neither the XDG
// variable nor the home folder is an absolute path in UTF-8). Nothing is created here.
namespace Platform {

// $HOME when it is an absolute path; otherwise (unset, empty or relative) the home folder of the
// user's entry in the password database, as other desktop programs find it.
QV::WString GetHomeFolder();
// Where GetHomeFolder looks when HOME gives nothing: the password database's home folder of the
// process's user, empty when there is no entry. Tests put their own lookup in place (and get
// the one before back); null restores the password database.
using HomeFolderLookup = std::string (*)();
HomeFolderLookup SetHomeFolderLookup(HomeFolderLookup lookup);
std::string GetPasswordDatabaseHome();
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
