#include "Platform/ProfileStore.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Platform/ScopedUserEnvironment.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace Platform {
namespace {

using TestSupport::ReadWholeFile;
using TestSupport::WriteWholeFile;

constexpr char16_t kMainWindowClass[] = u"VelkorTolvanePresetEditorMainWindowClass";

class ProfileStoreTest : public testing::Test {
protected:
    TestSupport::ScopedUserEnvironment mEnvironment;
    std::filesystem::path mPath = mEnvironment.Root() / "state" / "Tarvel" / "Skylet" / "Profile.ini";
    ProfileStore mStore{QV::WString(mPath.c_str())};
};

TEST_F(ProfileStoreTest, WindowPlacementBytesRoundTrip) {
    std::vector<uint8_t> placement(44);
    for (size_t i = 0; i < placement.size(); ++i) {
        placement[i] = static_cast<uint8_t>(i * 37 + 200);  // every nibble value, zeros included
    }
    placement[0] = 0;
    std::vector<uint8_t> read;
    EXPECT_FALSE(mStore.GetProfileBinary(kMainWindowClass, ProfileStore::kWindowPlacementEntry, read));

    ASSERT_EQ(mStore.WriteProfileBinary(kMainWindowClass, ProfileStore::kWindowPlacementEntry,
                                        placement.data(), static_cast<uint32_t>(placement.size())),
              QV::S_OK);
    ASSERT_TRUE(mStore.GetProfileBinary(kMainWindowClass, ProfileStore::kWindowPlacementEntry, read));
    EXPECT_EQ(read, placement);
    EXPECT_EQ(ReadWholeFile(mPath).rfind("[VelkorTolvanePresetEditorMainWindowClass]\nWP=00", 0), 0u);

    // A second entry and a rewrite keep each other.
    const uint8_t other[] = {1, 2, 3};
    EXPECT_EQ(mStore.WriteProfileBinary(u"Other", u"Entry", other, 3), QV::S_OK);
    placement.resize(10);
    EXPECT_EQ(mStore.WriteProfileBinary(kMainWindowClass, u"WP", placement.data(), 10), QV::S_OK);
    ASSERT_TRUE(mStore.GetProfileBinary(u"Other", u"Entry", read));
    EXPECT_EQ(read, std::vector<uint8_t>({1, 2, 3}));
    ASSERT_TRUE(mStore.GetProfileBinary(kMainWindowClass, u"WP", read));
    EXPECT_EQ(read, placement);
    EXPECT_FALSE(mStore.GetProfileBinary(u"other", u"Entry", read)) << "names are exact";
}

TEST_F(ProfileStoreTest, DamagedFileGivesWhatCanBeRead) {
    std::filesystem::create_directories(mPath.parent_path());
    WriteWholeFile(mPath, "Orphan=00\n[Window]\nOdd=ABC\nBad=zz\nGood=0aFf\r\ngarbage\n[Broken\nAfter=01\n");
    std::vector<uint8_t> read;
    EXPECT_FALSE(mStore.GetProfileBinary(u"Window", u"Odd", read));
    EXPECT_FALSE(mStore.GetProfileBinary(u"Window", u"Bad", read));
    ASSERT_TRUE(mStore.GetProfileBinary(u"Window", u"Good", read));
    EXPECT_EQ(read, std::vector<uint8_t>({0x0A, 0xFF}));
    ASSERT_TRUE(mStore.GetProfileBinary(u"Window", u"After", read)) << "a broken header is not a section";
    const uint8_t byte = 7;
    EXPECT_EQ(mStore.WriteProfileBinary(u"Window", u"WP", &byte, 1), QV::S_OK);
    EXPECT_TRUE(mStore.GetProfileBinary(u"Window", u"Good", read));
}

TEST_F(ProfileStoreTest, BadNamesAndFailedWritesAreReported) {
    const uint8_t byte = 1;
    const char16_t lone[] = {u'W', 0xDC00, 0};
    for (const char16_t* name : {u"", u"a]b", u"a=b", u"a\nb", u"[x", lone}) {
        EXPECT_EQ(mStore.WriteProfileBinary(name, u"WP", &byte, 1), QV::E_INVALIDARG);
        EXPECT_EQ(mStore.WriteProfileBinary(u"Section", name, &byte, 1), QV::E_INVALIDARG);
    }
    EXPECT_EQ(mStore.WriteProfileBinary(u"Section", u";WP", &byte, 1), QV::E_INVALIDARG);
    EXPECT_FALSE(std::filesystem::exists(mPath));

    // The folder's place is taken by a file: nothing can be written there.
    std::filesystem::create_directories(mPath.parent_path().parent_path());
    WriteWholeFile(mPath.parent_path(), "in the way");
    EXPECT_EQ(mStore.WriteProfileBinary(u"Section", u"WP", &byte, 1), QV::E_FAIL);
    EXPECT_EQ(ReadWholeFile(mPath.parent_path()), "in the way");
    EXPECT_EQ(mStore.GetLastError(), std::strerror(ENOTDIR));
    EXPECT_FALSE(mStore.IsUnreadable());
    ProfileStore nowhere{QV::WString()};
    EXPECT_EQ(nowhere.WriteProfileBinary(u"Section", u"WP", &byte, 1), QV::E_FAIL);
    EXPECT_FALSE(nowhere.GetLastError().empty());
}

// A store that exists but cannot be read is never replaced: the placement in it would be lost.
TEST_F(ProfileStoreTest, AFileThatCannotBeReadIsKeptAsItIs) {
    namespace fs = std::filesystem;
    fs::create_directories(mPath.parent_path());
    struct Case {
        const char* what;
        std::function<void()> make;
    };
    std::vector<Case> cases = {
        {"a link to itself", [&] { fs::create_symlink(mPath.filename(), mPath); }},
        {"a folder", [&] { fs::create_directory(mPath); }},
        {"a pipe (never waited on)", [&] { ASSERT_EQ(::mkfifo(mPath.c_str(), 0600), 0); }},
    };
    if (::geteuid() != 0) {  // the superuser reads any file whatever its mode
        cases.push_back({"a file without permissions", [&] {
                             WriteWholeFile(mPath, "[Window]\nWP=00\n");
                             fs::permissions(mPath, fs::perms::none);
                         }});
    }
    const uint8_t byte = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        const fs::file_status before = fs::symlink_status(mPath);
        std::vector<uint8_t> read;
        EXPECT_FALSE(mStore.GetProfileBinary(u"Window", u"WP", read));
        EXPECT_TRUE(mStore.IsUnreadable());
        EXPECT_FALSE(mStore.GetLastError().empty());
        EXPECT_EQ(mStore.WriteProfileBinary(u"Window", u"WP", &byte, 1), QV::E_FAIL);
        EXPECT_TRUE(mStore.IsUnreadable());
        EXPECT_EQ(fs::symlink_status(mPath).type(), before.type());
        EXPECT_EQ(fs::symlink_status(mPath).permissions(), before.permissions());
        fs::remove(mPath);
    }
    // A missing file is not a failure.
    std::vector<uint8_t> read;
    EXPECT_FALSE(mStore.GetProfileBinary(u"Window", u"WP", read));
    EXPECT_FALSE(mStore.IsUnreadable());
    EXPECT_TRUE(mStore.GetLastError().empty());
}

}  // namespace
}  // namespace Platform
