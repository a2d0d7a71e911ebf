// The documents read on a thread of their own: the same factory, warnings and errors as reading
// them in place, handed over only when taken.
#include <gtest/gtest.h>
#include <sched.h>

#include <exception>
#include <stdexcept>
#include <string>

#include "RIZozivirod/Application/Windows/ResourceLoader.h"
#include "RIZozivirod/ControlBase/DocumentFiles.h"

namespace QV {
namespace {

// English and German texts, and a skin with one element the reader skips.
class ResourceLoaderTest : public ::testing::Test {
protected:
    ResourceLoaderTest() {
        files.Write("StringTables.xml", R"(<Doc><StringTable ID="|App">
  <String ID="Hello"><Locale LCID="9">Hello</Locale><Locale LCID="7">Hallo</Locale></String>
</StringTable></Doc>)");
        files.Write("FrameworkStrings.xml", R"(<Doc><StringTable ID="Framework">
  <String ID="OK"><Locale LCID="9">OK</Locale><Locale LCID="7">Gut</Locale></String>
</StringTable></Doc>)");
        const WString skins = files.Write("Skins.xml", R"(<Velkor_Skin_Definitions>
<Skin Name="One" FontName="Sans" FontSize="9">
  <SubControl Class="Framework.Panel" Name="main" XSizeAbs="100">
    <Bogus/>
    <SubControl Class="Framework.Button" Name="ok" XPositionToControl="Parent"/>
  </SubControl>
</Skin></Velkor_Skin_Definitions>)");
        folder = skins.Left(skins.GetLength() -
                            static_cast<int32_t>(std::char_traits<char16_t>::length(u"/Skins.xml")));
    }

    // Everything a reading leaves in a factory that these documents can fill, as text.
    static std::string Describe(const RCPtr<LControlFactory>& factory) {
        std::string text;
        for (uint32_t i = 0; i < factory->GetReaderWarnings().GetCount(); ++i) {
            text +=
                std::string("warning ") + factory->GetReaderWarnings().GetAt(i).ToUTF8().GetString() + "\n";
        }
        for (const WString& table : {WString(u"|App"), WString(u"|PresetEditor"), WString(u"Framework")}) {
            if (const RCPtr<LStringTable> strings = factory->GetStringTable(table)) {
                text += std::string("table ") + table.ToUTF8().GetString() + " " +
                        std::to_string(strings->GetCount()) + "\n";
            }
        }
        WString hello;
        if (const RCPtr<LStringTable> strings = factory->GetStringTable(u"|App")) {
            strings->GetString(u"Hello", hello);
        }
        text += std::string("hello ") + hello.ToUTF8().GetString() + "\n";
        for (uint32_t i = 0; i < factory->GetSkinCount(); ++i) {
            DescribeTree(factory->GetSkin(i), 0, text);
        }
        return text;
    }
    static void DescribeTree(const RCPtr<LControlDescriptor>& descriptor, int depth, std::string& text) {
        text += std::string(static_cast<size_t>(depth), ' ') + descriptor->GetClass().ToUTF8().GetString() +
                " " + descriptor->GetName().ToUTF8().GetString();
        if (descriptor->GetLayout()) {
            text += " " + std::to_string(descriptor->GetLayout()->xSize.offset);
        }
        text += "\n";
        for (uint32_t i = 0; i < descriptor->GetChildren().GetCount(); ++i) {
            DescribeTree(descriptor->GetChildren().GetAt(i), depth + 1, text);
        }
    }

    Testing::DocumentFiles files;
    WString folder;
};

TEST_F(ResourceLoaderTest, TheThreadGivesWhatReadingInPlaceGivesAndItsWarningsOnlyWhenTaken) {
    using Reading = LResourceLoader::Reading;
    const struct {
        const char* what;
        bool embedded;
        uint32_t locale;
        Reading reading;
    } cases[] = {
        {"folder, English", false, 0x0409, Reading::kOnThread},
        {"folder, German", false, 0x0407, Reading::kOnThread},
        {"embedded", true, 0x0409, Reading::kOnThread},
        {"folder, read in Take", false, 0x0407, Reading::kInTake},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const WString base = c.embedded ? WString(u"::") : folder;
        RCPtr<LControlFactory> inPlace = LControlFactory::Create(u"App");
        ::testing::internal::CaptureStderr();
        const int32_t inPlaceResult = LResourceLoader::Load(*inPlace, base, c.locale);
        const std::string inPlaceOutput = ::testing::internal::GetCapturedStderr();

        ::testing::internal::CaptureStderr();
        LResourceLoader loader(u"App", base, c.locale, c.reading);
        loader.Wait();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // read, but nothing said yet
        ::testing::internal::CaptureStderr();
        int32_t result = E_FAIL;
        std::exception_ptr error;
        const RCPtr<LControlFactory> taken = loader.Take(result, error);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), inPlaceOutput);
        ASSERT_TRUE(taken);
        EXPECT_FALSE(error);
        EXPECT_EQ(result, inPlaceResult);
        EXPECT_EQ(taken->GetResourceBasePath(), inPlace->GetResourceBasePath());
        EXPECT_EQ(Describe(taken), Describe(inPlace));
        if (!c.embedded) {
            EXPECT_NE(inPlaceOutput.find("unknown element Bogus"), std::string::npos) << inPlaceOutput;
        }
        // Taken once; a warning found later is written at once again.
        EXPECT_FALSE(loader.Take(result, error));
        ::testing::internal::CaptureStderr();
        taken->LoadSkins(folder + u"/Skins.xml");
        EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
    }
}

TEST_F(ResourceLoaderTest, AReadingThatRaisesHandsTheErrorOverAtTake) {
    const WString missing = folder + u"/none";
    RCPtr<LControlFactory> inPlace = LControlFactory::Create(u"App");
    std::string inPlaceText;
    try {
        LResourceLoader::Load(*inPlace, missing, 0x0409);
    } catch (const std::exception& e) {
        inPlaceText = e.what();
    }
    ASSERT_NE(inPlaceText, "");

    LResourceLoader loader(u"App", missing, 0x0409);
    int32_t result = S_OK;
    std::exception_ptr error;
    const RCPtr<LControlFactory> taken = loader.Take(result, error);
    EXPECT_TRUE(taken);  // what was read before the error stays, as in place
    ASSERT_TRUE(error);
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), inPlaceText);
    }
    // A loader never taken waits for its thread when it goes.
    { LResourceLoader unused(u"App", folder, 0x0409); }
}

TEST(ResourceLoaderReadingTest, OneProcessorReadsInTakeMoreUseTheThread) {
    cpu_set_t original;
    ASSERT_EQ(sched_getaffinity(0, sizeof(original), &original), 0);
    if (CPU_COUNT(&original) > 1) {
        EXPECT_EQ(LResourceLoader::ReadingForThisProcess(), LResourceLoader::Reading::kOnThread);
    }
    // This thread alone on the first processor it may use.
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &original)) {
            CPU_SET(cpu, &one);
            break;
        }
    }
    ASSERT_EQ(sched_setaffinity(0, sizeof(one), &one), 0);
    const LResourceLoader::Reading reading = LResourceLoader::ReadingForThisProcess();
    ASSERT_EQ(sched_setaffinity(0, sizeof(original), &original), 0);
    EXPECT_EQ(reading, LResourceLoader::Reading::kInTake);
}

}  // namespace
}  // namespace QV
