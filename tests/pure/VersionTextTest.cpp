// The clean-up of version texts and their numeric comparison.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "engine/VersionText.h"

namespace {

const char* const REQUIRED = "6.31.100.1190";

std::string Normalized(std::string text)
{
    NormalizeVersionText(&text[0]);
    return text.c_str();
}

} // namespace

TEST(VersionText, NormalizationTurnsCommasIntoStopsAndDropsBlanks)
{
    EXPECT_EQ("6.31.100.1190", Normalized("6, 31, 100, 1190"));
    EXPECT_EQ("6.31.100.1190", Normalized("6.31.100.1190 "));
    EXPECT_EQ("6.31.100.1190", Normalized("  6 ,31,  100 ,1190  "));
    EXPECT_EQ("", Normalized(""));
    EXPECT_EQ("", Normalized("   "));
    EXPECT_EQ("....", Normalized(",.,."));

    std::string text = "a-b-c-";
    ReplaceChar(&text[0], '-', '+');
    EXPECT_EQ("a+b+c+", text);
    RemoveChar(&text[0], 'a');
    EXPECT_STREQ("+b+c+", text.c_str());
    RemoveChar(&text[0], '+');
    EXPECT_STREQ("bc", text.c_str());
}

// The texts of an engine file against the required "6.31.100.1190".
TEST(VersionText, EngineFileTextsAgainstTheRequiredVersion)
{
    struct Case
    {
        const char* szFound;
        int         nCurrent;
    };
    const Case cases[] = {
        {"6.31.100.1190", 1},
        {"6, 31, 100, 1190", 1},
        {"6.31.100.1190 ", 1},
        {"6.31.100.1205", 1},
        {"6.31.101.0", 1},
        {"6.32", 1},
        {"7", 1},
        {"10.0.0.0", 1},
        {"06.031.0100.01190", 1},
        {"6.31.100.1190.0.0.0", 1},
        {"6.31.100.1190.1", 1},
        {"6.31.100.1190 (built by: release)", 1},
        {"6.31.100.1190-beta", 1},
        {"6.31.100.999", 0},
        {"6.4.0.0", 0},
        {"6.31.100.119", 0},
        {"6.31.100", 0},
        {"6.31", 0},
        {"6", 0},
        {"5.99.999.9999", 0},
        {"0", 0},
        {"", 0},
        {"   ", 0},
        {"v6.31.100.1190", 0},
        {"-6.31.100.1190", 0},
        {".31.100.1190", 0},
        {"unknown", 0},
        // A field that breaks off at another character ends the version.
        {"6.31x.100.1190", 0},
        {"6.x.100.1190", 0},
        // An empty field counts as 0.
        {"6.31..1190", 0},
        {"6..200", 0},
        {"7..", 1},
    };
    for (const Case& c : cases)
    {
        std::string found = c.szFound;
        NormalizeVersionText(&found[0]);
        EXPECT_EQ(c.nCurrent, IsVersionCurrent(REQUIRED, found.c_str())) << '"' << c.szFound << '"';
        // The comparison reads unnormalised texts the same way.
        EXPECT_EQ(c.nCurrent, IsVersionCurrent(REQUIRED, c.szFound)) << '"' << c.szFound << '"';
    }
}

TEST(VersionText, ComparisonIsNumericAndSymmetric)
{
    struct Case
    {
        const char* szLeft;
        const char* szRight;
        int         nOrder;
    };
    const Case cases[] = {
        {"1", "1", 0},
        {"1", "1.0.0.0", 0},
        {"1.0", "1.0.0.1", -1},
        {"9", "10", -1},
        {"1.9", "1.10", -1},
        {"1.0010", "1.10", 0},
        {"", "0", 0},
        {"", "0.0.1", -1},
        {"2, 0", "2.0", 0},
        {"2 0", "20", 0},
        // Numbers far beyond any integer type compare exactly.
        {"99999999999999999999999999999999999999", "99999999999999999999999999999999999998", 1},
        {"1.99999999999999999999999999999999999999", "2", -1},
        {"18446744073709551616", "18446744073709551615", 1},
        {"4294967296", "0", 1},
        {"00000000000000000000000000000000000000001", "1", 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.nOrder, CompareVersionTexts(c.szLeft, c.szRight)) << c.szLeft << " vs " << c.szRight;
        EXPECT_EQ(-c.nOrder, CompareVersionTexts(c.szRight, c.szLeft)) << c.szRight << " vs " << c.szLeft;
    }
}

TEST(VersionText, ManyFieldsAndLongTextsAreReadToTheirEnd)
{
    std::string many;
    for (int i = 0; i < 400; ++i)
        many += "0.";
    EXPECT_EQ(0, CompareVersionTexts((many + "0").c_str(), "0"));
    EXPECT_EQ(1, CompareVersionTexts((many + "1").c_str(), "0"));
    EXPECT_EQ(0, IsVersionCurrent(REQUIRED, (many + "1").c_str()));
    EXPECT_EQ(1, IsVersionCurrent(REQUIRED, ("6.31.100.1190." + many + "1").c_str()));

    std::string huge = "6.31.100." + std::string(5000, '9');
    EXPECT_EQ(1, IsVersionCurrent(REQUIRED, huge.c_str()));
    std::string zeros = "6.31.100." + std::string(5000, '0') + "1189";
    EXPECT_EQ(0, IsVersionCurrent(REQUIRED, zeros.c_str()));
}

// A required text passed with blanks or commas reads as its normalised form.
TEST(VersionText, RequiredTextIsReadLikeTheFoundOne)
{
    EXPECT_EQ(1, IsVersionCurrent("6, 31, 100, 1190", "6.31.100.1190"));
    EXPECT_EQ(0, IsVersionCurrent("6, 31, 100, 1190", "6.31.100.1189"));
    EXPECT_EQ(1, IsVersionCurrent("", "0"));
    EXPECT_EQ(0, IsVersionCurrent("", ""));
}

TEST(VersionText, CopyWithinStopsAtTerminatorBlockEndAndBuffer)
{
    char szDest[VERSION_TEXT_SIZE];
    const char block[] = {'6', '.', '3', '1'}; // no terminator
    EXPECT_EQ(4u, CopyTextWithin(szDest, sizeof(szDest), block, sizeof(block)));
    EXPECT_STREQ("6.31", szDest);
    EXPECT_EQ(2u, CopyTextWithin(szDest, sizeof(szDest), "6.31", 2));
    EXPECT_STREQ("6.", szDest);
    EXPECT_EQ(0u, CopyTextWithin(szDest, sizeof(szDest), "6.31", 0));
    EXPECT_STREQ("", szDest);

    const std::string longText(200, '7');
    memset(szDest, 'x', sizeof(szDest));
    EXPECT_EQ(VERSION_TEXT_SIZE - 1, CopyTextWithin(szDest, sizeof(szDest), longText.c_str(), 1000));
    EXPECT_EQ(VERSION_TEXT_SIZE - 1, strlen(szDest));

    char szOne[1] = {'x'};
    EXPECT_EQ(0u, CopyTextWithin(szOne, 1, "6", 1));
    EXPECT_EQ('\0', szOne[0]);
    EXPECT_EQ(0u, CopyTextWithin(szDest, sizeof(szDest), nullptr, 10));
    EXPECT_STREQ("", szDest);
}

// Cutting a text can only make it read as an older version, never a newer
// one: whatever falls past a buffer, a needed update is never skipped.
TEST(VersionText, CuttingNeverMakesAVersionNewer)
{
    const char* const texts[] = {"6.31.100.1190", "6, 31, 100, 1190", "10.0.0.0.1", "6.31.100.1190 (x)",
                                 "007.0009.10"};
    for (const char* szText : texts)
    {
        const std::string full = Normalized(szText);
        for (size_t n = 0; n <= strlen(szText); ++n)
        {
            const std::string cut = Normalized(std::string(szText, n));
            EXPECT_LE(CompareVersionTexts(cut.c_str(), full.c_str()), 0) << '"' << cut << '"';
        }
    }
}
