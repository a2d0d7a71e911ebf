#include "RIZozivirod/Utilities/Storage/File.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <regex>
#include <string>
#include <vector>

namespace QV {
namespace {

std::string Utf8(const WString& text) {
    return std::string(NString(text).GetString());
}

// Runs action and checks that it raises the runtime error text of function with message.
void ExpectRuntimeError(const std::function<void()>& action, const std::string& message,
                        const std::string& function) {
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const std::runtime_error& e) {
        const std::regex shape("Runtime Error : " + message + " : " + function +
                               " : RIZozivirod/Utilities/Storage/File\\.cpp : Line [0-9]+");
        EXPECT_TRUE(std::regex_match(e.what(), shape)) << e.what();
    }
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "FileTest.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        mRoot = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(mRoot); }

    std::string Native(const std::string& relative) const { return mRoot + "/" + relative; }
    WString Path(const std::string& relative = "") const {
        return WString(relative.empty() ? mRoot.c_str() : Native(relative).c_str());
    }
    void Put(const std::string& relative, const std::string& bytes) const {
        std::ofstream(Native(relative), std::ios::binary) << bytes;
    }
    std::string Contents(const std::string& relative) const {
        std::ifstream in(Native(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(const std::string& relative) const { return std::filesystem::exists(Native(relative)); }

    // Reads up to n bytes at offset.
    static std::string ReadSome(File& file, uint32_t n, int32_t offset) {
        std::string bytes(n, '\0');
        bytes.resize(file.Read(bytes.data(), n, offset));
        return bytes;
    }

    std::string mRoot;
};

TEST_F(FileTest, OpenJoinsFolderAndNameOrTakesTheFirstTextAsItIs) {
    Put("a.bin", "abc");
    File joined(Path(), u"a.bin", File::kRead);
    ASSERT_TRUE(joined.IsOpen());
    EXPECT_EQ(ReadSome(joined, 8, -1), "abc");

    File whole(Path("a.bin"), u"", File::kRead);
    ASSERT_TRUE(whole.IsOpen());
    EXPECT_EQ(ReadSome(whole, 8, -1), "abc");

    // With both texts empty the constructor and Open raise, and the File stays closed.
    ExpectRuntimeError([] { File none(u"", u"", File::kRead); }, "invalid pathname", "QV::File::Open");
    File missing(Path("missing"), u"", File::kRead);
    ExpectRuntimeError([&] { missing.Open(u"", u"", File::kRead); }, "invalid pathname", "QV::File::Open");
    EXPECT_FALSE(missing.IsOpen());
}

TEST_F(FileTest, SecondOpenIsRefusedAndKeepsTheFirstFile) {
    Put("a.bin", "first");
    Put("b.bin", "second");
    File file(Path("a.bin"), u"", File::kRead);
    EXPECT_EQ(file.Open(Path("b.bin"), u"", File::kRead), S_FALSE);
    EXPECT_EQ(ReadSome(file, 16, 0), "first");
    // Once closed, the same object opens the other file.
    EXPECT_EQ(file.Close(), S_OK);
    EXPECT_EQ(file.Open(Path(), u"b.bin", File::kRead), S_OK);
    EXPECT_EQ(ReadSome(file, 16, 0), "second");
}

// Saving replaces the whole file or, on failure, nothing: no temporary file is left behind, a
// replaced file keeps its permissions and a new one is its owner's only; only files are replaced.
TEST_F(FileTest, WriteAtomicallyReplacesTheWholeFileOrNothing) {
    Put("shared.txt", "old");
    ASSERT_EQ(::chmod(Native("shared.txt").c_str(), 0644), 0);
    std::filesystem::create_directory(Native("folder"));
    const struct {
        const char* name;
        int32_t result;
        const char* contents;  // null: not a file afterwards
        unsigned mode;
    } cases[] = {
        {"shared.txt", S_OK, "new bytes", 0644},
        {"created.txt", S_OK, "new bytes", 0600},
        {"folder", E_FAIL, nullptr, 0},  // a folder is never replaced
        {"missing/file.txt", E_FAIL, nullptr, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(File::WriteAtomically(Path(c.name), "new bytes", 9), c.result) << c.name;
        struct stat status {};
        if (c.contents != nullptr) {
            EXPECT_EQ(Contents(c.name), c.contents) << c.name;
            ASSERT_EQ(::stat(Native(c.name).c_str(), &status), 0);
            EXPECT_EQ(status.st_mode & 0777, c.mode) << c.name;
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(Native("folder")));
    WStringArray files;
    EXPECT_EQ(File::ListDirectory(Path(), u"*", files), 2);
    EXPECT_EQ(File::WriteAtomically(WString(), "x", 1), E_FAIL);
    // Nor is a device: renamed over it the new file would take its place.
    EXPECT_EQ(File::WriteAtomically(u"/dev/full", "x", 1), E_FAIL);
    struct stat device {};
    ASSERT_EQ(::stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode));
}

TEST_F(FileTest, CreateAndExclusiveFlags) {
    File file(Path("new.bin"), u"", File::kRead);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(Exists("new.bin"));
    EXPECT_EQ(file.Open(Path("new.bin"), u"", File::kRead | File::kCreate), S_OK);
    EXPECT_EQ(file.GetLength(), 0);
    struct stat status;
    ASSERT_EQ(::stat(Native("new.bin").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    file.Close();

    const struct {
        uint32_t flags;
        int32_t result;
    } onExisting[] = {
        {File::kRead | File::kCreate | File::kExclusive, E_FAIL},
        {File::kRead | File::kExclusive, S_OK},  // exclusive means nothing without create
        {File::kWrite | File::kCreate, S_OK},    // never truncates
    };
    Put("old.bin", "kept");
    for (const auto& row : onExisting) {
        EXPECT_EQ(file.Open(Path("old.bin"), u"", row.flags), row.result) << std::hex << row.flags;
        EXPECT_EQ(file.IsOpen(), row.result == S_OK);
        file.Close();
    }
    EXPECT_EQ(Contents("old.bin"), "kept");

    // A folder is not a file.
    EXPECT_EQ(file.Open(Path(), u"", File::kRead), E_FAIL);
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(FileTest, ReadsAtOffsetsAndAtTheCurrentPosition) {
    Put("data.bin", "0123456789");
    File file(Path("data.bin"), u"", File::kRead);
    EXPECT_EQ(file.GetLength(), 10);
    EXPECT_EQ(ReadSome(file, 4, -1), "0123");
    EXPECT_EQ(ReadSome(file, 4, -1), "4567");  // continues
    EXPECT_EQ(ReadSome(file, 4, -1), "89");    // short at the end
    EXPECT_EQ(ReadSome(file, 4, -1), "");      // at the end
    EXPECT_EQ(ReadSome(file, 3, 2), "234");
    EXPECT_EQ(ReadSome(file, 3, -1), "567");
    EXPECT_EQ(ReadSome(file, 4, 10), "");
    EXPECT_EQ(ReadSome(file, 4, 50), "");  // past the end
    ExpectRuntimeError([&] { ReadSome(file, 4, -5); }, "lseek", "QV::File::Read");
}

TEST_F(FileTest, WritesAndSeeks) {
    File file(Path("out.bin"), u"", File::kWrite | File::kCreate);
    char bytes[] = "abcdef";
    EXPECT_EQ(file.Write(bytes, 6, -1), 6);
    EXPECT_EQ(file.Write(bytes, 2, 1), 2);
    EXPECT_EQ(file.Write(bytes + 4, 2, -1), 2);  // continues after the write at 1
    EXPECT_EQ(file.GetLength(), 6);
    EXPECT_EQ(Contents("out.bin"), "aabeff");
    EXPECT_EQ(file.Seek(0, 2), 6);
    EXPECT_EQ(file.Seek(-2, 1), 4);
    EXPECT_EQ(ReadSome(file, 8, -1), "ff");
    EXPECT_EQ(file.Seek(1, 0), 1);
    EXPECT_EQ(file.Seek(-10, 0), -1);
    EXPECT_EQ(file.Seek(0, 7), -1);
    ExpectRuntimeError([&] { file.Write(bytes, 1, -3); }, "lseek", "QV::File::Write");
}

TEST_F(FileTest, WriteWithoutTheWriteFlagRaisesEvenForNothing) {
    Put("ro.bin", "x");
    File file(Path("ro.bin"), u"", File::kRead);
    for (uint32_t length : {0u, 1u}) {
        ExpectRuntimeError([&] { file.Write("y", length, 0); }, "file is read only", "QV::File::Write");
    }
    EXPECT_EQ(Contents("ro.bin"), "x");
}

TEST_F(FileTest, DeleteOnCloseThroughCloseAndThroughTheDestructor) {
    Put("a.tmp", "a");
    Put("b.tmp", "b");
    {
        File file(Path("a.tmp"), u"", File::kRead | File::kDeleteOnClose);
        EXPECT_EQ(file.Close(), S_OK);
        EXPECT_FALSE(file.IsOpen());
        EXPECT_FALSE(Exists("a.tmp"));
        EXPECT_EQ(file.Close(), S_OK);
    }
    {
        File file(Path(), u"b.tmp", File::kRead | File::kDeleteOnClose);
        EXPECT_TRUE(Exists("b.tmp"));
    }
    EXPECT_FALSE(Exists("b.tmp"));
}

TEST_F(FileTest, CloseLeavesADescriptorThatACopySharesOpen) {
    Put("shared.tmp", "shared");
    File original(Path("shared.tmp"), u"", File::kRead | File::kDeleteOnClose);
    {
        File copy(original);
        EXPECT_EQ(original.Close(), S_OK);
        EXPECT_TRUE(original.IsOpen());
        EXPECT_TRUE(Exists("shared.tmp"));
        EXPECT_EQ(ReadSome(copy, 16, 0), "shared");
    }
    // The copy has let go; now the original holds the last reference.
    EXPECT_TRUE(Exists("shared.tmp"));
    EXPECT_EQ(original.Close(), S_OK);
    EXPECT_FALSE(original.IsOpen());
    EXPECT_FALSE(Exists("shared.tmp"));
}

TEST_F(FileTest, AClosedFileRaisesInsteadOfTouchingADescriptor) {
    File file(Path("missing"), u"", File::kRead | File::kWrite);
    ASSERT_FALSE(file.IsOpen());
    char buffer[4];
    ExpectRuntimeError([&] { file.Read(buffer, 4, -1); }, "read", "QV::File::Read");
    ExpectRuntimeError([&] { file.Read(buffer, 4, 0); }, "read", "QV::File::Read");
    ExpectRuntimeError([&] { file.Write(buffer, 4, 0); }, "write", "QV::File::Write");
    ExpectRuntimeError([&] { file.GetLength(); }, "fstat", "QV::File::GetLength");
    EXPECT_EQ(file.Seek(0, 0), -1);
    EXPECT_EQ(file.Close(), S_OK);

    File readOnly(Path("missing"), u"", File::kRead);
    ExpectRuntimeError([&] { readOnly.Write(buffer, 4, 0); }, "file is read only", "QV::File::Write");
}

TEST_F(FileTest, LengthsPastThirtyTwoBitsAreNotReported) {
    const struct {
        off_t size;
        bool fits;
    } rows[] = {{0x7FFFFFFF, true}, {0x80000000LL, false}, {0x100000005LL, false}};
    for (const auto& row : rows) {
        Put("sparse.bin", "");
        ASSERT_EQ(::truncate(Native("sparse.bin").c_str(), row.size), 0);
        File file(Path("sparse.bin"), u"", File::kRead);
        if (row.fits) {
            EXPECT_EQ(file.GetLength(), 0x7FFFFFFF);
            EXPECT_EQ(file.Seek(0, 2), 0x7FFFFFFF);
        } else {
            ExpectRuntimeError([&] { file.GetLength(); }, "fstat", "QV::File::GetLength");
            EXPECT_EQ(file.Seek(0, 2), -1);
        }
    }
}

TEST(FilePath, FileNameAndDirectoryName) {
    const struct {
        const char16_t* path;
        const char16_t* fileName;
        const char16_t* directoryName;
    } rows[] = {
        {u"/dir/a.txt", u"a.txt", u"/dir"},
        {u"/dir\\sub/a.txt", u"a.txt", u"/dir\\sub"},
        {u"/dir/sub\\a.txt", u"a.txt", u"/dir"},  // only "/" splits the folder off
        {u"a.txt", u"a.txt", u"a.txt"},
        {u"/dir/", u"/dir/", u"/dir"},
        {u"/a.txt", u"a.txt", u""},
        {u"/", u"/", u""},
        {u"", u"", u""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Utf8(File::GetFileName(row.path)), Utf8(row.fileName)) << Utf8(row.path);
        EXPECT_EQ(Utf8(File::GetDirectoryName(row.path)), Utf8(row.directoryName)) << Utf8(row.path);
    }
}

TEST(FilePath, MakeValidFileNameReplacesOneForOne) {
    EXPECT_EQ(Utf8(File::MakeValidFileName(u"a/b:c (1).txt")), "a_b_c _1_.txt");
    EXPECT_EQ(Utf8(File::MakeValidFileName(u"\\/:*?\"<>|&;,^()")), std::string(15, '_'));
    EXPECT_EQ(Utf8(File::MakeValidFileName(u"Grand Piano \u00e9 #1-2.syx")), "Grand Piano \u00e9 #1-2.syx");
    EXPECT_EQ(Utf8(File::GetLongPath(u"/tmp/A~1/x")), "/tmp/A~1/x");
}

TEST_F(FileTest, ExistenceTests) {
    Put("f.txt", "");
    std::filesystem::create_directory(Native("d"));
    const struct {
        WString path;
        bool file;
        bool directory;
    } rows[] = {
        {Path("f.txt"), true, false}, {Path("f.txt/"), false, false},
        {Path("d"), false, true},     {Path("d/"), false, true},
        {Path("d//"), false, true},   {Path("missing"), false, false},
        {u"/", false, true},          {u"", false, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(File::FileExists(row.path), row.file) << Utf8(row.path);
        EXPECT_EQ(File::DirectoryExists(row.path), row.directory) << Utf8(row.path);
    }
}

TEST_F(FileTest, EnsureDirectoryCreatesAChain) {
    Put("f.txt", "");
    EXPECT_EQ(File::EnsureDirectory(Path()), S_FALSE);
    EXPECT_EQ(File::EnsureDirectory(Path("f.txt")), E_FAIL);
    EXPECT_EQ(File::EnsureDirectory(Path("a/b/c")), S_OK);
    EXPECT_TRUE(std::filesystem::is_directory(Native("a/b/c")));
    EXPECT_EQ(File::EnsureDirectory(Path("a/b/c")), S_FALSE);
    EXPECT_EQ(File::EnsureDirectory(Path("f.txt/below")), E_FAIL);
    EXPECT_EQ(File::EnsureDirectory(u""), E_FAIL);

    // Naming a file: its folders are made, the file itself is not.
    EXPECT_TRUE(File::CreateDirectories(Path("x/y/file.txt"), true));
    EXPECT_TRUE(std::filesystem::is_directory(Native("x/y")));
    EXPECT_FALSE(Exists("x/y/file.txt"));
    EXPECT_TRUE(File::CreateDirectories(u"file.txt", true));
}

TEST_F(FileTest, ListDirectoryOfAMissingFolderEmptiesTheArray) {
    WStringArray files;
    files.Add(u"stale");
    EXPECT_EQ(File::ListDirectory(Path("missing"), u"*", files), E_NOTIMPL);
    EXPECT_EQ(files.GetCount(), 0u);
    Put("f.txt", "");
    files.Add(u"stale");
    EXPECT_EQ(File::ListDirectory(Path("f.txt"), u"*", files), E_NOTIMPL);
    EXPECT_EQ(files.GetCount(), 0u);
}

TEST_F(FileTest, ListDirectoryMatchesPatternsWithoutCaseAndSortsOrdinally) {
    // A name that is not UTF-8 has no wide form and is left out.
    for (const char* name : {"b.ttf", "A.TTF", "a.ttc", "c.ttf.bak", "readme", "\xff.ttf"}) {
        Put(name, "");
    }
    std::filesystem::create_directory(Native("sub.ttf"));
    std::filesystem::create_directory_symlink(Native("sub.ttf"), Native("link.ttf"));
    const struct {
        const char16_t* pattern;
        std::vector<std::string> names;
    } rows[] = {
        {u"*.ttf", {"A.TTF", "b.ttf"}},
        {u"*.TT?", {"A.TTF", "a.ttc", "b.ttf"}},
        {u"*", {"A.TTF", "a.ttc", "b.ttf", "c.ttf.bak", "readme"}},
        {u"?.tt*", {"A.TTF", "a.ttc", "b.ttf", "c.ttf.bak"}},
        {u"read*e", {"readme"}},
        {u"*.otf", {}},
    };
    for (const auto& row : rows) {
        WStringArray files;
        EXPECT_EQ(File::ListDirectory(Path(), row.pattern, files), static_cast<int32_t>(row.names.size()))
            << Utf8(row.pattern);
        std::vector<std::string> listed;
        for (uint32_t i = 0; i < files.GetCount(); ++i) {
            listed.push_back(Utf8(files.GetAt(i)));
        }
        std::vector<std::string> expected;
        for (const std::string& name : row.names) {
            expected.push_back(Native(name));
        }
        EXPECT_EQ(listed, expected) << Utf8(row.pattern);
    }
}

}  // namespace
}  // namespace QV
