#include "RIZozivirod/Application/ApplicationSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Platform/ScopedUserEnvironment.h"
#include "RIZozivirod/Application/ApplicationFolders.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {
namespace {

using TestSupport::Utf8;

class ApplicationSettingsTest : public testing::Test {
protected:
    ApplicationSettingsTest() { mStore->Initialize(WString()); }

    ApplicationSettings MakeSettings(RCPtr<IIniFileManager> store) {
        return ApplicationSettings(
            store, ApplicationSettings::kSettingsVersion, u"Skylet Preset Editor",
            [](int32_t id) { return ApplicationFolders::GetFolder(id, u"Tarvel", u"Skylet"); });
    }

    TestSupport::ScopedUserEnvironment mEnvironment;
    RCPtr<LIniFileManager> mStore = LIniFileManager::Create();
};

TEST_F(ApplicationSettingsTest, FirstStartCreatesTheUserFileAndKeepsTheUsersChoices) {
    ApplicationSettings settings = MakeSettings(mStore);
    const int32_t handle = settings.OpenSettings(ApplicationSettings::kUserSettings);
    EXPECT_GT(handle, 0);
    EXPECT_EQ(settings.OpenSettings(ApplicationSettings::kUserSettings), handle);
    EXPECT_TRUE(std::filesystem::exists(mEnvironment.Root() / "data/Tarvel/Skylet/UserSettings.ini"));
    EXPECT_EQ(settings.GetCurrentSkinIndex(), 0);
    EXPECT_EQ(Utf8(settings.GetLastFolderPath()), (mEnvironment.Root() / "home").string());

    EXPECT_EQ(settings.SetCurrentSkinIndex(2), S_OK);
    EXPECT_EQ(settings.SetLastFolderPath(u"/srv/presets"), S_OK);
    ApplicationSettings later = MakeSettings(mStore);
    EXPECT_EQ(later.GetCurrentSkinIndex(), 2);
    EXPECT_EQ(Utf8(later.GetLastFolderPath()), "/srv/presets");

    EXPECT_GT(settings.OpenSettings(ApplicationSettings::kMachineSettings), 0);
    EXPECT_TRUE(std::filesystem::exists(mEnvironment.Root() / "system-data/Tarvel/Skylet/AppSettings.ini"));
    EXPECT_EQ(settings.OpenSettings(2), 0);
    EXPECT_EQ(settings.OpenSettings(-1), 0);
}

TEST_F(ApplicationSettingsTest, WithoutAPerUserFolderNoFileIsOpenedUntilOneAppears) {
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
        mEnvironment.Set(name, nullptr);
    }
    ApplicationSettings settings = MakeSettings(mStore);
    EXPECT_EQ(settings.OpenSettings(ApplicationSettings::kUserSettings), 0);
    EXPECT_EQ(settings.GetCurrentSkinIndex(), 0);
    EXPECT_EQ(settings.SetCurrentSkinIndex(3), S_FALSE) << "skipped";
    EXPECT_EQ(Utf8(settings.GetLastFolderPath()), "");
    EXPECT_FALSE(std::filesystem::exists("/UserSettings.ini"));

    mEnvironment.Set("XDG_DATA_HOME", (mEnvironment.Root() / "late").c_str());
    EXPECT_GT(settings.OpenSettings(ApplicationSettings::kUserSettings), 0) << "tried again";
    EXPECT_EQ(settings.SetCurrentSkinIndex(3), S_OK);
    EXPECT_EQ(settings.GetCurrentSkinIndex(), 3);
}

TEST_F(ApplicationSettingsTest, WithoutTheLibraryDefaultsAreRead) {
    RCPtr<LIniFileManager> unloaded = LIniFileManager::Create();
    EXPECT_EQ(unloaded->Initialize(WString(mEnvironment.Root().c_str())), E_FAIL);
    for (RCPtr<IIniFileManager> store : {RCPtr<IIniFileManager>(unloaded), RCPtr<IIniFileManager>()}) {
        ApplicationSettings settings = MakeSettings(store);
        EXPECT_EQ(settings.OpenSettings(ApplicationSettings::kUserSettings), 0);
        EXPECT_EQ(settings.GetCurrentSkinIndex(), 0);
        EXPECT_EQ(settings.SetCurrentSkinIndex(1), S_FALSE);
        EXPECT_EQ(Utf8(settings.GetLastFolderPath()), (mEnvironment.Root() / "home").string());
    }
}

// Settings that cannot be kept are said in the debug output: a file that cannot be opened once,
// however often it is tried again, and a failed save once until a save succeeds.
TEST_F(ApplicationSettingsTest, SettingsThatCannotBeKeptAreSaidOnce) {
    const auto count = [](const std::string& text, const std::string& what) {
        size_t found = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++found;
        }
        return found;
    };
    // The data folder's place is taken by a regular file.
    TestSupport::WriteWholeFile(mEnvironment.Root() / "blocked", "a file");
    mEnvironment.Set("XDG_DATA_HOME", (mEnvironment.Root() / "blocked" / "data").c_str());
    {
        ApplicationSettings settings = MakeSettings(mStore);
        testing::internal::CaptureStderr();
        EXPECT_EQ(settings.OpenSettings(ApplicationSettings::kUserSettings), 0);
        EXPECT_EQ(settings.SetCurrentSkinIndex(1), S_FALSE);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(count(said, "Settings : "), 1u) << said;
        EXPECT_NE(said.find("blocked/data/Tarvel/Skylet/UserSettings.ini cannot be opened (Not a directory)"),
                  std::string::npos)
            << said;
    }
    // No folder at all.
    for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
        mEnvironment.Set(name, nullptr);
    }
    {
        ApplicationSettings settings = MakeSettings(mStore);
        testing::internal::CaptureStderr();
        EXPECT_EQ(settings.OpenSettings(ApplicationSettings::kUserSettings), 0);
        EXPECT_EQ(settings.OpenSettings(ApplicationSettings::kUserSettings), 0);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(count(said, "Settings : UserSettings.ini has no folder"), 1u) << said;
    }
    // Saves that fail after the file was opened: its folder goes away, then comes back.
    mEnvironment.Set("XDG_DATA_HOME", (mEnvironment.Root() / "data").c_str());
    ApplicationSettings settings = MakeSettings(mStore);
    ASSERT_GT(settings.OpenSettings(ApplicationSettings::kUserSettings), 0);
    std::filesystem::remove_all(mEnvironment.Root() / "data");
    testing::internal::CaptureStderr();
    EXPECT_LT(settings.SetCurrentSkinIndex(1), 0);
    EXPECT_LT(settings.SetLastFolderPath(u"/srv"), 0);
    std::filesystem::create_directories(mEnvironment.Root() / "data/Tarvel/Skylet");
    EXPECT_EQ(settings.SetCurrentSkinIndex(2), S_OK);
    std::filesystem::remove_all(mEnvironment.Root() / "data");
    EXPECT_LT(settings.SetCurrentSkinIndex(3), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count(said, "Settings : UserSettings.ini could not be saved (No such file or directory)"), 2u)
        << said;
}

}  // namespace
}  // namespace QV
