#include "Platform/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace Platform {
namespace {

// Empty unless the text is an absolute path in well-formed UTF-8.
QV::WString ToFolder(std::string path) {
    if (path.empty() || path.front() != '/') {
        return QV::WString();
    }
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    QV::WString folder(path.c_str());
    if (path != QV::NString(folder).GetString()) {
        return QV::WString();  // not UTF-8: a cut-off path would name another folder
    }
    return folder;
}

std::atomic<HomeFolderLookup>& HomeLookup() {
    static std::atomic<HomeFolderLookup> lookup{&GetPasswordDatabaseHome};
    return lookup;
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

QV::WString FromVariableOrHome(const char* name, const char* belowHome) {
    QV::WString folder = ToFolder(Variable(name));
    if (!folder.IsEmpty()) {
        return folder;
    }
    const QV::WString home = GetHomeFolder();
    return home.IsEmpty() ? home : home + QV::WString(belowHome);
}

// The value of one "XDG_DOCUMENTS_DIR=..." line: a double-quoted text with backslash escapes,
// starting with "$HOME" or "/". Empty for any other form.
std::string ParseUserDirValue(const std::string& text, const std::string& home) {
    if (text.size() < 2 || text.front() != '"') {
        return std::string();
    }
    std::string value;
    size_t i = 1;
    for (; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
        }
        value += text[i];
    }
    if (i >= text.size()) {
        return std::string();  // no closing quote
    }
    if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/')) {
        return home.empty() ? std::string() : home + value.substr(5);
    }
    return value.front() == '/' ? value : std::string();
}

}  // namespace

std::string GetPasswordDatabaseHome() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    int error = 0;
    while ((error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    return error == 0 && found != nullptr && found->pw_dir != nullptr ? std::string(found->pw_dir)
                                                                      : std::string();
}

HomeFolderLookup SetHomeFolderLookup(HomeFolderLookup lookup) {
    return HomeLookup().exchange(lookup != nullptr ? lookup : &GetPasswordDatabaseHome);
}

QV::WString GetHomeFolder() {
    QV::WString home = ToFolder(Variable("HOME"));
    return !home.IsEmpty() ? home : ToFolder(HomeLookup().load()());
}

QV::WString GetUserDataFolder() {
    return FromVariableOrHome("XDG_DATA_HOME", "/.local/share");
}

QV::WString GetUserStateFolder() {
    return FromVariableOrHome("XDG_STATE_HOME", "/.local/state");
}

QV::WString GetUserConfigFolder() {
    return FromVariableOrHome("XDG_CONFIG_HOME", "/.config");
}

QV::WString GetSystemDataFolder() {
    const std::string list = Variable("XDG_DATA_DIRS");
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        QV::WString folder = ToFolder(list.substr(start, end - start));
        if (!folder.IsEmpty()) {
            return folder;
        }
        start = end + 1;
    }
    return QV::WString(u"/usr/local/share");
}

QV::WString GetDocumentsFolder() {
    const QV::WString home = GetHomeFolder();
    const QV::WString config = GetUserConfigFolder();
    if (!config.IsEmpty()) {
        const std::string homeText = QV::NString(home).GetString();
        std::ifstream file(std::string(QV::NString(config).GetString()) + "/user-dirs.dirs");
        std::string line;
        std::string documents;
        const std::string prefix = "XDG_DOCUMENTS_DIR=";
        while (std::getline(file, line)) {
            const size_t start = line.find_first_not_of(" \t");
            if (start != std::string::npos && line.compare(start, prefix.size(), prefix) == 0) {
                // As in the shell, the last assignment counts.
                documents = ParseUserDirValue(line.substr(start + prefix.size()), homeText);
            }
        }
        QV::WString folder = ToFolder(documents);
        if (!folder.IsEmpty()) {
            return folder;
        }
    }
    return home;
}

}  // namespace Platform
