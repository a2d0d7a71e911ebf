#include "RIZozivirod/Renderer/FontRenderer/FontFileInfo.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "Platform/Fonts/FontFileIndexFolders.h"
#include "RIZozivirod/Renderer/FontRenderer/SfntBuilder.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/TestFonts.h"

namespace QV {
namespace {

using namespace SfntBuilder;

std::string Utf8(const WString& text) {
    return NString(text).GetString();
}

// Font folders made for the test under the system's temporary folder.
class FontFileInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "FontFileInfoTest.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        mRoot = pattern;
    }
    void TearDown() override {
        LFontFileInfo::EmptyFontIndex();
        std::filesystem::remove_all(mRoot);
    }

    // Writes a file (folders made as needed) and returns its path.
    std::string Put(const std::string& relative, const std::string& bytes) const {
        const std::filesystem::path path = std::filesystem::path(mRoot) / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    void Build(const std::vector<std::string>& folders) const {
        WStringArray list;
        for (const std::string& folder : folders) {
            list.Add(WString((mRoot + "/" + folder).c_str()));
        }
        ASSERT_EQ(LFontFileInfo::BuildFontIndex(list), S_OK);
    }

    static std::string PathOf(const char16_t* family, int32_t style) {
        const ConstRCPtr<LFontFileInfo> entry = LFontFileInfo::FindFamily(family);
        return entry ? Utf8(entry->GetPath(style)) : "(no family)";
    }

    static int32_t IdOf(const char16_t* face, int32_t style) {
        return LFontFileInfo::GetFileID(LFont::GetFont(face, 9.0f, style));
    }

    std::string mRoot;
    ScopedTestApplicationServices mServices;
};

TEST_F(FontFileInfoTest, IndexesStylesOfFontFolders) {
    Put("a/Sans.ttf", Font(u"Sans", u"Regular"));
    const std::string bold = Put("a/SANS-BOLD.TTF", Font(u"Sans", u"BOLD"));
    const std::string oblique = Put("a/Sans_Oblique.ttf", Font(u"Sans", u"Oblique"));
    const std::string italic = Put("b/SansItalic.ttf", Font(u"Sans", u"Italic"));
    const std::string boldItalic = Put("b/Sans-BI.Ttf", Font(u"Sans", u"bold italic"));
    // A collection is scanned after every single font, whatever its folder: its style wins.
    const std::string collection = Put("a/Pack.ttc", Collection({{Win(1, u"Serif"), Win(2, u"Regular")},
                                                                 {Win(1, u"Serif"), Win(2, u"Bold")},
                                                                 {Win(1, u"Sans"), Win(2, u"Italic")}}));
    Put("b/Serif.ttf", Font(u"Serif", u"Regular"));
    Put("b/Other.otf", Font(u"Other", u"Regular"));
    Put("b/Broken.ttf", Font(u"Sans", u"Regular").substr(0, 20));
    Put("b/Empty.ttf", "");
    Build({"a", "b", "missing"});

    ASSERT_EQ(LFontFileInfo::GetFamilyCount(), 2u);
    const ConstRCPtr<LFontFileInfo> sans = LFontFileInfo::FindFamily(u"Sans");
    ASSERT_TRUE(sans);
    EXPECT_EQ(sans->GetIndex(), 0);
    // An oblique file is a regular style; scanned after "Sans.ttf", it replaced it.
    EXPECT_EQ(Utf8(sans->GetPath(LFontFileInfo::kRegular)), oblique);
    EXPECT_EQ(Utf8(sans->GetPath(LFontFileInfo::kBold)), bold);
    EXPECT_EQ(Utf8(sans->GetPath(LFontFileInfo::kItalic)), collection);
    EXPECT_EQ(Utf8(sans->GetPath(LFontFileInfo::kBoldItalic)), boldItalic);
    EXPECT_EQ(LFontFileInfo::FindFamily(u"Serif")->GetIndex(), 1);
    EXPECT_EQ(PathOf(u"Serif", LFontFileInfo::kRegular), collection);
    EXPECT_EQ(PathOf(u"Serif", LFontFileInfo::kBold), collection);
    EXPECT_FALSE(LFontFileInfo::FindFamily(u"Other"));
    EXPECT_FALSE(LFontFileInfo::FindFamily(u"sans"));

    // Ids and paths: index x 4 + style; ids outside the index have no path.
    EXPECT_EQ(IdOf(u"Serif", LFont::kBold | LFont::kUnderline), 5);
    EXPECT_EQ(Utf8(LFontFileInfo::GetFilePath(5)), collection);
    EXPECT_EQ(Utf8(LFontFileInfo::GetFilePath(3)), boldItalic);
    for (const int32_t outside : {-1, -4, 8, 9}) {
        EXPECT_TRUE(LFontFileInfo::GetFilePath(outside).IsEmpty()) << outside;
    }

    // Rebuilding starts from an empty index.
    Build({"b"});
    EXPECT_EQ(LFontFileInfo::GetFamilyCount(), 2u);
    EXPECT_EQ(PathOf(u"Sans", LFontFileInfo::kItalic), italic);
    LFontFileInfo::EmptyFontIndex();
    EXPECT_EQ(LFontFileInfo::GetFamilyCount(), 0u);
}

TEST_F(FontFileInfoTest, MissingStylesFallBackAndAreKept) {
    // Families named after the styles they have: R regular, B bold, I italic, X bold italic.
    const struct {
        const char16_t* family;
        int32_t requested;
        int32_t chosen;
    } cases[] = {
        {u"BIX", LFontFileInfo::kRegular, LFontFileInfo::kBold},
        {u"IX", LFontFileInfo::kRegular, LFontFileInfo::kItalic},
        {u"X", LFontFileInfo::kRegular, LFontFileInfo::kBoldItalic},
        {u"RIX", LFontFileInfo::kBold, LFontFileInfo::kBoldItalic},
        {u"RI", LFontFileInfo::kBold, LFontFileInfo::kRegular},
        {u"I", LFontFileInfo::kBold, LFontFileInfo::kItalic},
        {u"RBX", LFontFileInfo::kItalic, LFontFileInfo::kBoldItalic},
        {u"RB", LFontFileInfo::kItalic, LFontFileInfo::kRegular},
        {u"B", LFontFileInfo::kItalic, LFontFileInfo::kBold},
        {u"RBI", LFontFileInfo::kBoldItalic, LFontFileInfo::kBold},
        {u"IR", LFontFileInfo::kBoldItalic, LFontFileInfo::kItalic},
        {u"R", LFontFileInfo::kBoldItalic, LFontFileInfo::kRegular},
    };
    const std::u16string letters = u"RBIX";
    const char16_t* subfamilies[] = {u"Regular", u"Bold", u"Italic", u"Bold Italic"};
    for (const auto& c : cases) {
        const std::u16string family = c.family;
        for (int32_t style = 0; style < 4; ++style) {
            if (family.find(letters[style]) != std::u16string::npos) {
                Put("f/" + Utf8(family.c_str()) + std::to_string(style) + ".ttf",
                    Font(family, subfamilies[style]));
            }
        }
    }
    Build({"f"});
    for (const auto& c : cases) {
        const ConstRCPtr<LFontFileInfo> entry = LFontFileInfo::FindFamily(c.family);
        ASSERT_TRUE(entry) << Utf8(c.family);
        const std::string expected = Utf8(entry->GetPath(c.chosen));
        const int32_t id = IdOf(c.family, c.requested);
        EXPECT_EQ(id, entry->GetIndex() * 4 + c.requested) << Utf8(c.family) << " " << c.requested;
        EXPECT_EQ(Utf8(LFontFileInfo::GetFilePath(id)), expected) << Utf8(c.family) << " " << c.requested;
        EXPECT_EQ(Utf8(entry->GetPath(c.requested)), expected) << Utf8(c.family) << " " << c.requested;
    }
}

// The tests' own fonts are indexed from the folder fontconfig was given them in.
TEST_F(FontFileInfoTest, IndexesTheFontsTheApplicationAdded) {
    TestSupport::UseTestFonts();
    ASSERT_EQ(LFontFileInfo::BuildFontIndex(), S_OK);
    const ConstRCPtr<LFontFileInfo> dejaVu = LFontFileInfo::FindFamily(u"DejaVu Sans");
    ASSERT_TRUE(dejaVu);
    EXPECT_EQ(Utf8(dejaVu->GetPath(LFontFileInfo::kRegular)), TestSupport::TestFontPath());
    EXPECT_EQ(Utf8(dejaVu->GetPath(LFontFileInfo::kBold)), TestSupport::TestBoldFontPath());
}

TEST_F(FontFileInfoTest, UnknownFacesUseTheSystemFontsFamily) {
    TestSupport::UseTestFonts();
    const std::string system = Put("f/System.ttf", Font(u"System Sans", u"Regular"));
    const std::string dejaVu = Put("f/DejaVu.ttf", Font(u"DejaVu Sans", u"Bold"));
    Put("f/Case.ttf", Font(u"Mixed Case", u"Regular"));
    Build({"f"});

    // Face names match exactly: another letter case is another family.
    mServices->systemFontFace = u"System Sans";
    const RCPtr<LFont> other = LFont::GetFont(u"mixed case", 9.0f, 0);
    EXPECT_EQ(Utf8(LFontFileInfo::GetFilePath(LFontFileInfo::GetFileID(other))), system);
    // A generic system face resolves through fontconfig (to DejaVu Sans in the tests' set).
    mServices->systemFontFace = u"sans-serif";
    EXPECT_EQ(Utf8(LFontFileInfo::GetFilePath(IdOf(u"Nowhere", 0))), dejaVu);
    // A font keeps the family it was resolved to until the index is rebuilt.
    EXPECT_EQ(Utf8(LFontFileInfo::GetFilePath(LFontFileInfo::GetFileID(other))), system);

    Put("g/Case.ttf", Font(u"Mixed Case", u"Regular"));
    Build({"g"});
    try {
        LFontFileInfo::GetFileID(other);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_TRUE(std::regex_match(
            e.what(), std::regex("Runtime Error : QV::LFontFileInfo::GetFileID : "
                                 "RIZozivirod/Renderer/FontRenderer/FontFileInfo\\.cpp : Line [0-9]+")))
            << e.what();
    }
}

// The machine's own fonts: every indexed path is a font file of a folder fontconfig scans.
TEST_F(FontFileInfoTest, IndexesTheMachinesFonts) {
    // The machine's configuration rather than the tests' own, kept for the process (faces are
    // remembered by configuration).
    static FcConfig* const machine = FcInitLoadConfigAndFonts();
    ASSERT_NE(machine, nullptr);
    FcConfig* const previous = FcConfigReference(nullptr);
    FcConfigSetCurrent(machine);
    struct Restore {
        FcConfig* config;
        ~Restore() {
            FcConfigSetCurrent(config);
            FcConfigDestroy(config);
        }
    } restore{previous};

    WStringArray folders;
    if (Failed(Platform::GetFontFolders(folders))) {
        GTEST_SKIP() << "fontconfig names no font folder";
    }
    ASSERT_EQ(LFontFileInfo::BuildFontIndex(), S_OK);
    for (uint32_t i = 0; i < LFontFileInfo::GetFamilyCount() * 4; ++i) {
        const std::string path = Utf8(LFontFileInfo::GetFilePath(static_cast<int32_t>(i)));
        if (path.empty()) {
            continue;
        }
        EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
        EXPECT_TRUE(std::regex_match(path, std::regex(".*\\.tt[fc]", std::regex::icase))) << path;
        EXPECT_NE(folders.Find(WString(std::filesystem::path(path).parent_path().c_str()), true), -1) << path;
    }
    // A regular DejaVu Sans that fontconfig knows is indexed under its family.
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans:style=Book"));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* fonts = FcFontList(machine, pattern, objects);
    if (fonts != nullptr && fonts->nfont > 0) {
        EXPECT_TRUE(LFontFileInfo::FindFamily(u"DejaVu Sans"));
    }
    if (fonts != nullptr) {
        FcFontSetDestroy(fonts);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
}

}  // namespace
}  // namespace QV
