#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "Platform/UserFolders.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace TestSupport {

inline std::string Utf8(const QV::WString& text) {
    return QV::NString(text).GetString();
}

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Gives one test a home of its own: HOME and the XDG base folders point into a fresh
// temporary folder (nothing there exists yet), and everything is put back and removed at the
// end. Never lets a test touch the real home.
class ScopedUserEnvironment {
public:
    ScopedUserEnvironment() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && base[0] == '/' ? base : "/tmp") + "/skylet-env-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();  // no safe place to point the home at
        }
        mRoot = pattern;
        Set("HOME", (mRoot / "home").c_str());
        Set("XDG_DATA_HOME", (mRoot / "data").c_str());
        Set("XDG_CONFIG_HOME", (mRoot / "config").c_str());
        Set("XDG_STATE_HOME", (mRoot / "state").c_str());
        Set("XDG_CACHE_HOME", (mRoot / "cache").c_str());
        Set("XDG_DATA_DIRS", (mRoot / "system-data").c_str());
        // Without HOME a test finds no home at all, never the real one in the password database.
        PasswordDatabaseHome().clear();
        mLookup = Platform::SetHomeFolderLookup(&NoPasswordDatabaseHome);
    }

    ~ScopedUserEnvironment() {
        Platform::SetHomeFolderLookup(mLookup);
        for (const auto& [name, value] : mSaved) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
        std::error_code ignored;
        if (!mRoot.empty()) {
            std::filesystem::remove_all(mRoot, ignored);
        }
    }

    ScopedUserEnvironment(const ScopedUserEnvironment&) = delete;
    ScopedUserEnvironment& operator=(const ScopedUserEnvironment&) = delete;

    const std::filesystem::path& Root() const { return mRoot; }

    // Null unsets the variable; the first value seen is restored at the end.
    void Set(const char* name, const char* value) {
        if (mSaved.count(name) == 0) {
            const char* old = std::getenv(name);
            mSaved[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }

    // The home folder the password database gives while the test runs; empty: none.
    static void SetPasswordDatabaseHome(const std::string& home) { PasswordDatabaseHome() = home; }

private:
    static std::string& PasswordDatabaseHome() {
        static std::string home;
        return home;
    }
    static std::string NoPasswordDatabaseHome() { return PasswordDatabaseHome(); }

    Platform::HomeFolderLookup mLookup = nullptr;
    std::filesystem::path mRoot;
    std::map<std::string, std::optional<std::string>> mSaved;
};

}  // namespace TestSupport
