#include "RIZozivirod/System/Version.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace QV {
namespace {

std::string Value(const char16_t* key) {
    return NString(Version().GetStringValue(key)).GetString();
}

TEST(Version, BlockNamesTheCompanyProductAndBuildVersion) {
    EXPECT_EQ(Value(u"CompanyName"), "Tarvel");
    EXPECT_EQ(Value(u"ProductName"), "Skylet Preset Editor");
    EXPECT_EQ(Value(u"LegalCopyright"), "Copyright (C) 2026 Tarvel");
    EXPECT_TRUE(std::regex_match(Value(u"ProductVersion"), std::regex(R"(\d+\.\d+\.\d+(\.\d+)?)")))
        << Value(u"ProductVersion");
    EXPECT_EQ(Value(u"companyname"), "") << "keys are exact";
    EXPECT_EQ(Value(u"FileDescription"), "");
}

}  // namespace
}  // namespace QV
