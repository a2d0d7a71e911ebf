#include "Platform/Resources/ModuleResources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

using Platform::FindModuleResource;
using Platform::ModuleResource;
using QV::WString;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ResourceBytes(const ModuleResource& resource) {
    return {reinterpret_cast<const char*>(resource.bytes), resource.length};
}

TEST(ModuleResources, ReferencesNameResourcesByTheUpperCasedRest) {
    struct Case {
        const char16_t* reference;
        bool isResource;
        const char16_t* name;
    };
    const Case cases[] = {
        {u"::ce.png", true, u"CE_PNG"},
        {u"::Main Skin.v2.xml", true, u"MAIN_SKIN_V2_XML"},
        {u"::", true, u""},
        {u":ce.png", false, nullptr},
        {u"images/::ce.png", false, nullptr},
        {u"", false, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Platform::IsResourceReference(WString(c.reference)), c.isResource);
        if (c.isResource) {
            EXPECT_EQ(Platform::ResourceNameFromReference(WString(c.reference)), WString(c.name));
        }
    }
}

// The build compiled these files into the test program (tests/CMakeLists.txt).
TEST(ModuleResources, EmbeddedFilesAreFoundByTypeAndName) {
    const std::string onDisk = ReadFile(SKYLET_TEST_DATA_DIR "/Graphics/palette 3x2.png");
    ASSERT_FALSE(onDisk.empty());
    const ModuleResource resource = FindModuleResource(WString(u"GDIPLUS"), WString(u"PALETTE_3X2_PNG"));
    ASSERT_TRUE(resource);
    EXPECT_EQ(ResourceBytes(resource), onDisk);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(resource.bytes) % 16, 0u);
    EXPECT_EQ(FindModuleResource(WString(u"gdiplus"), WString(u"Palette_3x2_png")).bytes, resource.bytes);
    EXPECT_FALSE(FindModuleResource(WString(u"QVXML"), WString(u"PALETTE_3X2_PNG")));
    EXPECT_FALSE(FindModuleResource(WString(u"GDIPLUS"), WString(u"PALETTE_3X2")));
    EXPECT_FALSE(FindModuleResource(WString(u"GDIPLUS"), WString(u"PALETTE_3X2_PNG_")));
    EXPECT_FALSE(FindModuleResource(WString(u"GDIPLUS"), WString()));
    EXPECT_EQ(ResourceBytes(FindModuleResource(WString(u"GDIPLUS"), WString(u"TRUNCATED-IN-IMAGE-DATA_PNG"))),
              ReadFile(SKYLET_TEST_DATA_DIR "/Graphics/truncated-in-image-data.png"));
}

TEST(ModuleResources, TheFirstTableToNameAResourceWins) {
    static const unsigned char first[] = {1, 2, 3};
    static const unsigned char second[] = {4};
    static const Platform::EmbeddedResource tables[][1] = {
        {{"QVXML", "REGISTERED_TWICE", first, sizeof first}},
        {{"QVXML", "REGISTERED_TWICE", second, sizeof second}},
    };
    Platform::RegisterEmbeddedResources(tables[0], 1);
    Platform::RegisterEmbeddedResources(tables[1], 1);
    EXPECT_EQ(ResourceBytes(FindModuleResource(WString(u"QVXML"), WString(u"REGISTERED_TWICE"))), "\x01\x02\x03");
}

}  // namespace
