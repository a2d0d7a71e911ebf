#include "Platform/UserFolders.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Platform/ScopedUserEnvironment.h"

namespace Platform {
namespace {

using TestSupport::Utf8;

class UserFoldersTest : public testing::Test {
protected:
    std::string Home() const { return (mEnvironment.Root() / "home").string(); }

    TestSupport::ScopedUserEnvironment mEnvironment;
};

TEST_F(UserFoldersTest, XdgVariablesWinOnlyWhenAbsolute) {
    struct Case {
        const char* value;  // of XDG_DATA_HOME; null: unset
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"/srv/data/", "/srv/data"},
        {"/srv/data", "/srv/data"},
        {"relative/data", Home() + "/.local/share"},
        {"", Home() + "/.local/share"},
        {nullptr, Home() + "/.local/share"},
        {"/srv/\xff", Home() + "/.local/share"},  // not UTF-8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value != nullptr ? c.value : "(unset)");
        mEnvironment.Set("XDG_DATA_HOME", c.value);
        EXPECT_EQ(Utf8(GetUserDataFolder()), c.expected);
    }
    mEnvironment.Set("XDG_STATE_HOME", nullptr);
    EXPECT_EQ(Utf8(GetUserStateFolder()), Home() + "/.local/state");
    mEnvironment.Set("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(Utf8(GetUserConfigFolder()), Home() + "/.config");
}

TEST_F(UserFoldersTest, WithoutAnAbsoluteHomeThePerUserFoldersAreNotFound) {
    for (const char* home : {static_cast<const char*>(nullptr), "", "relative/home"}) {
        mEnvironment.Set("HOME", home);
        for (const char* name : {"XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CONFIG_HOME"}) {
            mEnvironment.Set(name, nullptr);
        }
        EXPECT_TRUE(GetHomeFolder().IsEmpty());
        EXPECT_TRUE(GetUserDataFolder().IsEmpty());
        EXPECT_TRUE(GetUserStateFolder().IsEmpty());
        EXPECT_TRUE(GetDocumentsFolder().IsEmpty());
    }
}

TEST_F(UserFoldersTest, WithoutAnAbsoluteHomeThePasswordDatabaseGivesIt) {
    const std::string fromDatabase = (mEnvironment.Root() / "passwd-home").string();
    TestSupport::ScopedUserEnvironment::SetPasswordDatabaseHome(fromDatabase);
    for (const char* name : {"XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CONFIG_HOME"}) {
        mEnvironment.Set(name, nullptr);
    }
    for (const char* home : {static_cast<const char*>(nullptr), "", "relative/home"}) {
        SCOPED_TRACE(home != nullptr ? home : "(unset)");
        mEnvironment.Set("HOME", home);
        EXPECT_EQ(Utf8(GetHomeFolder()), fromDatabase);
        EXPECT_EQ(Utf8(GetUserStateFolder()), fromDatabase + "/.local/state");
        EXPECT_EQ(Utf8(GetUserDataFolder()), fromDatabase + "/.local/share");
    }
    mEnvironment.Set("HOME", Home().c_str());
    EXPECT_EQ(Utf8(GetHomeFolder()), Home()) << "an absolute HOME comes first";

    // The process's own entry in the database.
    const struct passwd* entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(GetPasswordDatabaseHome(), entry->pw_dir);
}

TEST_F(UserFoldersTest, SystemDataFolderIsTheFirstAbsoluteEntry) {
    mEnvironment.Set("XDG_DATA_DIRS", "relative:/opt/share/:/usr/share");
    EXPECT_EQ(Utf8(GetSystemDataFolder()), "/opt/share");
    mEnvironment.Set("XDG_DATA_DIRS", nullptr);
    EXPECT_EQ(Utf8(GetSystemDataFolder()), "/usr/local/share");
}

TEST_F(UserFoldersTest, DocumentsFolderComesFromTheUserDirectoriesElseHome) {
    const std::filesystem::path config = mEnvironment.Root() / "config";
    std::filesystem::create_directories(config);
    struct Case {
        const char* file;  // contents of user-dirs.dirs; null: no file
        std::string expected;
    };
    const std::vector<Case> cases = {
        {nullptr, Home()},
        {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
         Home() + "/Dokumente"},
        {"  XDG_DOCUMENTS_DIR=\"/srv/docs/\"", "/srv/docs"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n", Home() + "/My \"Docs\""},
        {"XDG_DOCUMENTS_DIR=\"$HOME/\"\n", Home()},
        {"XDG_DOCUMENTS_DIR=$HOME/Unquoted\n", Home()},
        {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\n", Home()},
        {"XDG_DOCUMENTS_DIR=\"relative/x\"\n", Home()},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Open\n", Home()},
        {"XDG_DOCUMENTS_DIR=\"$HOME/First\"\nXDG_DOCUMENTS_DIR=\"$HOME/Second\"\n", Home() + "/Second"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file != nullptr ? c.file : "(no file)");
        std::filesystem::remove(config / "user-dirs.dirs");
        if (c.file != nullptr) {
            TestSupport::WriteWholeFile(config / "user-dirs.dirs", c.file);
        }
        EXPECT_EQ(Utf8(GetDocumentsFolder()), c.expected);
    }
    // An absolute documents folder needs no home.
    TestSupport::WriteWholeFile(config / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
    mEnvironment.Set("HOME", nullptr);
    EXPECT_EQ(Utf8(GetDocumentsFolder()), "/srv/docs");
}

}  // namespace
}  // namespace Platform
