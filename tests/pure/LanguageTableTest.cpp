// The language table: exact language identifiers only.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "services/LanguageTable.h"

TEST(LanguageCodeFromLangId, EveryListedIdentifierAndNothingElse)
{
    const std::map<uint16_t, std::string> listed = {
        {0x0413, "nld"}, {0x040C, "fra"}, {0x0407, "deu"}, {0x0410, "ita"}, {0x0416, "ptb"}, {0x0816, "ptb"},
        {0x040A, "esp"}, {0x080A, "esp"}, {0x0C0A, "esp"}, {0x0804, "chs"}, {0x0404, "cht"}, {0x0412, "kor"},
        {0x0411, "jpn"}, {0x0406, "dan"}, {0x0414, "nor"}, {0x0415, "plk"}, {0x041D, "sve"}, {0x040B, "fin"},
    };
    // All 65536 identifiers: the listed ones give their code, every other one
    // (English included) gives "enu".
    for (uint32_t n = 0; n <= 0xFFFF; ++n)
    {
        const uint16_t wLangId  = static_cast<uint16_t>(n);
        const auto     found    = listed.find(wLangId);
        const char*    szExpect = found != listed.end() ? found->second.c_str() : "enu";
        ASSERT_STREQ(szExpect, LanguageCodeFromLangId(wLangId)) << std::hex << n;
    }
}

TEST(LanguageCodeFromLangId, ThePrimaryLanguageAloneDoesNotCount)
{
    EXPECT_STREQ("enu", LanguageCodeFromLangId(0x0807)); // German, Switzerland
    EXPECT_STREQ("enu", LanguageCodeFromLangId(0x0C0C)); // French, Canada
    EXPECT_STREQ("enu", LanguageCodeFromLangId(0x0809)); // English, United Kingdom
    EXPECT_STREQ("enu", LanguageCodeFromLangId(0x0419)); // Russian
    EXPECT_STREQ("enu", LanguageCodeFromLangId(0x0007)); // German, neutral
    EXPECT_STREQ("enu", LanguageCodeFromLangId(0x0814)); // Norwegian, Nynorsk
    EXPECT_STREQ("enu", LanguageCodeFromLangId(0x0C04)); // Chinese, Hong Kong
}
