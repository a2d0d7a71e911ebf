#include "Platform/IniFileManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Platform/DynamicLibrary.h"
#include "Platform/ScopedUserEnvironment.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {
namespace {

using TestSupport::ReadWholeFile;
using TestSupport::Utf8;
using TestSupport::WriteWholeFile;

std::filesystem::path ProgramFolder() {
    return std::filesystem::path(Utf8(Platform::DynamicLibrary::GetProgramPath())).parent_path();
}

WString Wide(const std::filesystem::path& path) {
    return WString(path.c_str());
}

class IniFileManagerTest : public testing::Test {
protected:
    // A manager with the real library loaded and the file opened.
    RCPtr<LIniFileManager> OpenManager(int32_t& handle) {
        RCPtr<LIniFileManager> manager = LIniFileManager::Create();
        EXPECT_EQ(manager->Initialize(WString()), S_OK);
        EXPECT_EQ(manager->OpenIniFile(Wide(mPath), u"1_0_0", u"Skylet Preset Editor", handle), S_OK);
        EXPECT_GT(handle, 0);
        return manager;
    }

    TestSupport::ScopedUserEnvironment mEnvironment;
    std::filesystem::path mPath = mEnvironment.Root() / "UserSettings.ini";
};

TEST_F(IniFileManagerTest, TwoLoadsShareValuesAndTheFileKeepsThemAcrossLoads) {
    int32_t first = 0;
    int32_t second = 0;
    RCPtr<LIniFileManager> a = OpenManager(first);
    RCPtr<LIniFileManager> b = OpenManager(second);
    EXPECT_NE(first, second);
    EXPECT_EQ(a->Initialize(WString()), 1);
    EXPECT_TRUE(std::filesystem::exists(mPath)) << "a missing file is created on open";

    EXPECT_EQ(a->SetIniValueInt(first, u"CurrentSkinIndex", 3), S_OK);
    EXPECT_EQ(b->SetIniValueStr(second, u"LastFolderPath", u"/home/user/Presets"), S_OK);
    int32_t index = -1;
    WString folder;
    EXPECT_EQ(b->GetIniValueInt(second, u"CurrentSkinIndex", 0, index), S_OK);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(a->GetIniValueStr(first, u"LastFolderPath", u"default", folder), S_OK);
    EXPECT_EQ(Utf8(folder), "/home/user/Presets");

    // Nothing asked for a write or a close: the values are in the file already.
    const std::string text = ReadWholeFile(mPath);
    EXPECT_NE(text.find("CurrentSkinIndex=3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("LastFolderPath=/home/user/Presets\n"), std::string::npos) << text;

    EXPECT_EQ(a->Uninitialize(), S_OK);
    EXPECT_EQ(b->Uninitialize(), S_OK);
    EXPECT_EQ(a->Uninitialize(), 1);
    int32_t third = 0;
    RCPtr<LIniFileManager> c = OpenManager(third);
    EXPECT_EQ(c->GetIniValueInt(third, u"CurrentSkinIndex", 0, index), S_OK);
    EXPECT_EQ(index, 3);
}

TEST_F(IniFileManagerTest, MissingAndMalformedValuesGiveTheDefault) {
    int32_t handle = 0;
    RCPtr<LIniFileManager> manager = OpenManager(handle);
    int32_t value = -1;
    EXPECT_NE(manager->GetIniValueInt(handle, u"CurrentSkinIndex", 7, value), S_OK);
    EXPECT_EQ(value, 7);
    WString text;
    EXPECT_NE(manager->GetIniValueStr(handle, u"LastFolderPath", u"/docs", text), S_OK);
    EXPECT_EQ(Utf8(text), "/docs");

    EXPECT_EQ(manager->SetIniValueStr(handle, u"CurrentSkinIndex", u"12abc"), S_OK);
    EXPECT_LT(manager->GetIniValueInt(handle, u"CurrentSkinIndex", 7, value), 0);
    EXPECT_EQ(value, 7);
    for (const char16_t* bad : {u"", u"a//b", u"/a", u"a/"}) {
        EXPECT_LT(manager->SetIniValueInt(handle, bad, 1), 0) << Utf8(bad);
    }
    EXPECT_LT(manager->SetIniValueInt(handle + 100, u"Key", 1), 0) << "unknown handle";
}

TEST_F(IniFileManagerTest, LongAndNonAsciiTextsComeBackWhole) {
    int32_t handle = 0;
    RCPtr<LIniFileManager> manager = OpenManager(handle);
    std::u16string longText;
    for (int i = 0; i < 3000; ++i) {
        longText += static_cast<char16_t>(u'a' + i % 26);
    }
    const WString key = u"Größe/Ключ";
    const WString value = u"日本語 = ü; [x] \\ end";
    EXPECT_EQ(manager->SetIniValueStr(handle, u"Long", longText.c_str()), S_OK);
    EXPECT_EQ(manager->SetIniValueStr(handle, key, value), S_OK);
    EXPECT_EQ(manager->SetIniValueStr(handle, u"Lines", u"one\ntwo\r\n"), S_OK);

    int32_t again = 0;
    RCPtr<LIniFileManager> other = OpenManager(again);
    manager = nullptr;  // the file is read anew only after every user is gone
    other = nullptr;
    RCPtr<LIniFileManager> fresh = OpenManager(again);
    WString text;
    EXPECT_EQ(fresh->GetIniValueStr(again, u"Long", WString(), text), S_OK);
    EXPECT_EQ(text.GetLength(), 3000);
    EXPECT_TRUE(text == longText.c_str());
    EXPECT_EQ(fresh->GetIniValueStr(again, key, WString(), text), S_OK);
    EXPECT_EQ(Utf8(text), Utf8(value));
    EXPECT_EQ(fresh->GetIniValueStr(again, u"Lines", WString(), text), S_OK);
    EXPECT_EQ(Utf8(text), "one\ntwo\r\n");
    EXPECT_TRUE(fresh->DoesNodeExist(again, u"Größe"));
    EXPECT_FALSE(fresh->DoesNodeExist(again, u"Ключ"));
    EXPECT_NE(ReadWholeFile(mPath).find("[Größe]\nКлюч="), std::string::npos) << "stored as UTF-8";

    // A lone surrogate has no UTF-8 form: refused before the library sees a mangled key.
    const char16_t lone[] = {u'K', 0xD800, 0};
    EXPECT_EQ(fresh->SetIniValueInt(again, lone, 1), E_FAIL);
}

TEST_F(IniFileManagerTest, DamagedFileStillOpensWithWhatCanBeRead) {
    std::string damaged = "; header\nGood=1\n\x01\x02\xff garbage without equals\n[Unclosed\nHidden=2\n";
    damaged += std::string("Nul=a\0b\n", 8);
    damaged += "[Window]\nBroken=\\xZZ\\x4\nList[0]=zero\nList[5]=gap\nList[1]=one\nHuge[999999999]=x\n";
    damaged += "[]\n=no name\nLast=9";  // no line feed at the end
    WriteWholeFile(mPath, damaged);

    int32_t handle = 0;
    RCPtr<LIniFileManager> manager = OpenManager(handle);
    int32_t value = 0;
    EXPECT_EQ(manager->GetIniValueInt(handle, u"Good", 0, value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(manager->GetIniValueInt(handle, u"Last", 0, value), S_OK);
    EXPECT_EQ(value, 9);
    EXPECT_FALSE(manager->DoesNodeExist(handle, u"Hidden")) << "values under a broken header are dropped";
    WString text;
    EXPECT_EQ(manager->GetIniValueStr(handle, u"Window/Broken", WString(), text), S_OK);
    EXPECT_EQ(Utf8(text), "\\xZZ\\x4");
    int32_t count = 0;
    EXPECT_EQ(manager->GetArrayCount(handle, u"Window/List", count), S_OK);
    EXPECT_EQ(count, 2);
    EXPECT_FALSE(manager->DoesNodeExist(handle, u"Window/Huge"));

    // The next change rewrites the file in good form, keeping what was read.
    EXPECT_EQ(manager->SetIniValueInt(handle, u"Good", 2), S_OK);
    manager = nullptr;
    RCPtr<LIniFileManager> fresh = OpenManager(handle);
    EXPECT_EQ(fresh->GetArrayItemAt(handle, u"Window/List", 1, text), S_OK);
    EXPECT_EQ(Utf8(text), "one");
    EXPECT_EQ(fresh->GetIniValueInt(handle, u"Good", 0, value), S_OK);
    EXPECT_EQ(value, 2);
}

TEST_F(IniFileManagerTest, KeysAndListsFollowTheTree) {
    int32_t handle = 0;
    RCPtr<LIniFileManager> manager = OpenManager(handle);
    EXPECT_EQ(manager->SetIniValueInt(handle, u"B/Second", 2), S_OK);
    EXPECT_EQ(manager->SetIniValueInt(handle, u"A\\First", 1), S_OK) << "backslash separates too";
    EXPECT_EQ(manager->SetIniValueInt(handle, u"Top", 0), S_OK);
    int32_t count = -1;
    EXPECT_EQ(manager->GetKeyCount(handle, WString(), count), S_OK);
    EXPECT_EQ(count, 3);
    WString name;
    EXPECT_EQ(manager->GetKeyNameAt(handle, WString(), 0, name), S_OK);
    EXPECT_EQ(Utf8(name), "A");
    EXPECT_EQ(manager->GetKeyNameAt(handle, u"B", 0, name), S_OK);
    EXPECT_EQ(Utf8(name), "Second");
    EXPECT_LT(manager->GetKeyNameAt(handle, u"B", 1, name), 0);
    EXPECT_TRUE(name.IsEmpty());

    EXPECT_EQ(manager->SetArrayItemAt(handle, u"Recent", 0, u"x"), S_OK);
    EXPECT_EQ(manager->SetArrayItemAt(handle, u"Recent", 1, u"y"), S_OK);
    EXPECT_LT(manager->SetArrayItemAt(handle, u"Recent", 3, u"gap"), 0);
    EXPECT_EQ(manager->RemoveArrayItemAt(handle, u"Recent", 0), S_OK);
    EXPECT_EQ(manager->SetArrayCount(handle, u"Recent", 3), S_OK);
    EXPECT_EQ(manager->GetArrayCount(handle, u"Recent", count), S_OK);
    EXPECT_EQ(count, 3);
    WString item;
    EXPECT_EQ(manager->GetArrayItemAt(handle, u"Recent", 0, item), S_OK);
    EXPECT_EQ(Utf8(item), "y");
    EXPECT_LT(manager->SetArrayCount(handle, u"Recent", -1), 0);
}

TEST_F(IniFileManagerTest, FailedWriteIsReportedAndTheValueWrittenLater) {
    const std::filesystem::path folder = mEnvironment.Root() / "settings";
    std::filesystem::create_directories(folder);
    mPath = folder / "UserSettings.ini";
    int32_t handle = 0;
    RCPtr<LIniFileManager> manager = OpenManager(handle);
    std::filesystem::remove_all(folder);

    EXPECT_LT(manager->SetIniValueInt(handle, u"CurrentSkinIndex", 4), 0);
    int32_t value = 0;
    EXPECT_EQ(manager->GetIniValueInt(handle, u"CurrentSkinIndex", 0, value), S_OK) << "kept in memory";
    EXPECT_EQ(value, 4);
    std::filesystem::create_directories(folder);
    EXPECT_EQ(manager->WriteIniFile(handle), S_OK);
    EXPECT_NE(ReadWholeFile(mPath).find("CurrentSkinIndex=4"), std::string::npos);
    EXPECT_EQ(manager->CloseIniFile(handle, 1), S_OK);
    EXPECT_LT(manager->WriteIniFile(handle), 0) << "closed handle";
}

TEST_F(IniFileManagerTest, FileThatCannotBeCreatedGivesNoHandle) {
    RCPtr<LIniFileManager> manager = LIniFileManager::Create();
    ASSERT_EQ(manager->Initialize(WString()), S_OK);
    int32_t handle = 5;
    EXPECT_LT(manager->OpenIniFile(Wide(mEnvironment.Root() / "missing" / "UserSettings.ini"), u"1_0_0", u"P",
                                   handle),
              0);
    EXPECT_EQ(handle, 0);
    EXPECT_LT(manager->OpenIniFile(Wide(mEnvironment.Root()), u"1_0_0", u"P", handle), 0) << "a folder";
    EXPECT_EQ(handle, 0);
}

TEST_F(IniFileManagerTest, FolderIsJoinedWithOrWithoutTrailingSeparator) {
    for (const std::string& folder : {ProgramFolder().string(), ProgramFolder().string() + "/"}) {
        RCPtr<LIniFileManager> manager = LIniFileManager::Create();
        EXPECT_EQ(manager->Initialize(WString(folder.c_str())), S_OK) << folder;
    }
}

// Every wrapper answers without calling: E_FAIL (false), out arguments at their first values.
void ExpectFailureAnswers(IIniFileManager& manager) {
    int32_t handle = 7;
    EXPECT_EQ(manager.OpenIniFile(u"/tmp/none.ini", u"1_0_0", u"P", handle), E_FAIL);
    EXPECT_EQ(handle, 0);
    int32_t value = -1;
    EXPECT_EQ(manager.GetIniValueInt(1, u"CurrentSkinIndex", 0, value), E_FAIL);
    EXPECT_EQ(value, 0);
    WString text = u"junk";
    EXPECT_EQ(manager.GetIniValueStr(1, u"LastFolderPath", u"/docs", text), E_FAIL);
    EXPECT_EQ(Utf8(text), "/docs");
    EXPECT_FALSE(manager.DoesNodeExist(1, u"Key"));
    int32_t count = 9;
    EXPECT_EQ(manager.GetKeyCount(1, u"Key", count), E_FAIL);
    EXPECT_EQ(count, 0);
    text = u"junk";
    EXPECT_EQ(manager.GetArrayItemAt(1, u"Key", 0, text), E_FAIL);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(manager.SetIniValueInt(1, u"Key", 1), E_FAIL);
    EXPECT_EQ(manager.SetIniValueStr(1, u"Key", u"v"), E_FAIL);
    EXPECT_EQ(manager.WriteIniFile(1), E_FAIL);
    EXPECT_EQ(manager.CloseIniFile(1, 0), E_FAIL);
    EXPECT_EQ(manager.RemoveArrayItemAt(1, u"Key", 0), E_FAIL);
}

TEST_F(IniFileManagerTest, MissingLibraryGivesTheWrappersFailureAnswers) {
    RCPtr<LIniFileManager> manager = LIniFileManager::Create();
    EXPECT_EQ(manager->Initialize(Wide(mEnvironment.Root())), E_FAIL);
    ExpectFailureAnswers(*manager);
    EXPECT_EQ(manager->Uninitialize(), 1);
}

TEST_F(IniFileManagerTest, LibraryWithoutTheEntryPointsStaysLoadedAndAnswersFailure) {
    // Some other shared library under the settings library's name.
    std::filesystem::create_symlink(ProgramFolder() / "libQV.so",
                                    mEnvironment.Root() / "libIniFileManager.so");
    RCPtr<LIniFileManager> manager = LIniFileManager::Create();
    EXPECT_EQ(manager->Initialize(Wide(mEnvironment.Root())), E_FAIL);
    EXPECT_EQ(manager->Initialize(Wide(mEnvironment.Root())), 1);
    ExpectFailureAnswers(*manager);
    EXPECT_EQ(manager->Uninitialize(), S_OK);
}

// The text protocol against a scripted library: each answer is (result, size asked for, text).
struct Answer {
    int32_t result;
    int32_t needed;
    std::string text;
};

struct TextCase {
    const char* name;
    std::vector<Answer> answers;
    int32_t expectedResult;
    std::string expectedText;  // "<default>" when the default must stay
    size_t expectedCalls;
};

TEST(IniTextProtocol, RetriesOnceWithASaneSizeAndKeepsTheDefaultOtherwise) {
    const std::string big(2999, 'v');
    const std::vector<TextCase> cases = {
        {"fits", {{0, 4, "abc"}}, 0, "abc", 1},
        {"other result keeps default", {{1, 8, "default"}}, 1, "<default>", 1},
        {"grows once", {{-2, 3000, ""}, {0, 3000, big}}, 0, big, 2},
        {"size not above first buffer", {{-2, 1024, ""}}, E_FAIL, "<default>", 1},
        {"size below first buffer", {{-2, 10, ""}}, E_FAIL, "<default>", 1},
        {"no size", {{-2, 0, ""}}, E_FAIL, "<default>", 1},
        {"negative size", {{-2, -5, ""}}, E_FAIL, "<default>", 1},
        {"absurd size", {{-2, (64 << 20) + 1, ""}}, E_FAIL, "<default>", 1},
        {"largest size", {{-2, 64 << 20, ""}, {0, 0, "x"}}, 0, "x", 2},
        {"second answer fails", {{-2, 3000, ""}, {-2, 6000, ""}}, -2, "<default>", 2},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        size_t calls = 0;
        WString out = u"<default>";
        const int32_t result = ReadIniText(
            [&](char* buffer, int32_t size, int32_t* needed) {
                EXPECT_EQ(buffer[0], 0);
                EXPECT_EQ(size, calls == 0 ? 1024 : c.answers[0].needed);
                const Answer& answer = c.answers.at(calls++);
                *needed = answer.needed;
                if (answer.result == 0) {
                    std::copy(answer.text.begin(), answer.text.end(), buffer);
                    buffer[answer.text.size()] = 0;
                }
                return answer.result;
            },
            out);
        EXPECT_EQ(result, c.expectedResult);
        EXPECT_EQ(Utf8(out), c.expectedText);
        EXPECT_EQ(calls, c.expectedCalls);
    }
}

}  // namespace
}  // namespace QV
