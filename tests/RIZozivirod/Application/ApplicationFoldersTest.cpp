#include "RIZozivirod/Application/ApplicationFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "Platform/ScopedUserEnvironment.h"

namespace QV {
namespace {

using TestSupport::Utf8;

constexpr char16_t kCompany[] = u"Tarvel";
constexpr char16_t kProduct[] = u"Skylet Preset Editor";

class ApplicationFoldersTest : public testing::Test {
protected:
    std::string Folder(int32_t id, const WString& company = kCompany, const WString& product = kProduct) {
        return Utf8(ApplicationFolders::GetFolder(id, company, product));
    }
    std::string Under(const char* part) const { return (mEnvironment.Root() / part).string(); }

    TestSupport::ScopedUserEnvironment mEnvironment;
};

TEST_F(ApplicationFoldersTest, EachIdNamesItsFolder) {
    EXPECT_EQ(Folder(0), std::filesystem::canonical("/proc/self/exe").parent_path().string());
    EXPECT_EQ(Folder(1), "::");
    EXPECT_EQ(Folder(2), Under("system-data") + "/Tarvel/Skylet Preset Editor");
    EXPECT_EQ(Folder(3), Under("data") + "/Tarvel/Skylet Preset Editor");
    EXPECT_EQ(Folder(4), Under("home"));
    EXPECT_EQ(Folder(5), Folder(4));
    EXPECT_EQ(Folder(6), Folder(4));
    for (int32_t id : {2, 3, 4}) {
        EXPECT_TRUE(std::filesystem::is_directory(Folder(id))) << "created: " << id;
    }
    EXPECT_EQ(Utf8(ApplicationFolders::GetProfilePath(kCompany, kProduct)),
              Under("state") + "/Tarvel/Skylet Preset Editor/Profile.ini");
}

TEST_F(ApplicationFoldersTest, NamesAreMadeValidFileNames) {
    EXPECT_EQ(Folder(3, u"Tar:vel & Co", u"Sky/let (1)"), Under("data") + "/Tar_vel _ Co/Sky_let _1_");
    EXPECT_TRUE(std::filesystem::is_directory(Under("data") + "/Tar_vel _ Co/Sky_let _1_"));
}

TEST_F(ApplicationFoldersTest, UnknownIdIsOutOfRange) {
    for (int32_t id : {7, -1, 1000}) {
        try {
            ApplicationFolders::GetFolder(id, kCompany, kProduct);
            ADD_FAILURE() << id;
        } catch (const std::out_of_range& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Out of Range : Unknown Path ID. : ", 0), 0u) << e.what();
        }
    }
}

TEST_F(ApplicationFoldersTest, WithoutAHomeThePerUserFoldersAreEmpty) {
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CONFIG_HOME"}) {
        mEnvironment.Set(name, nullptr);
    }
    EXPECT_EQ(Folder(3), "");
    EXPECT_EQ(Folder(4), "");
    EXPECT_EQ(Utf8(ApplicationFolders::GetProfilePath(kCompany, kProduct)), "");
    EXPECT_FALSE(std::filesystem::exists("/Tarvel"));
}

}  // namespace
}  // namespace QV
