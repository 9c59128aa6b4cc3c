// Which tree of a disc image each system reads, and the names of the trees
// as Windows shows them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discfs/Names.h"
#include "discplan/findings/ImageFindings.h"
#include "discplan/input/TreeChoice.h"
#include "discplan/plan/Systems.h"

namespace {

const TreeChoice JOLIET = {TreeChoice::Reads, FsKind::Joliet};
const TreeChoice ISO9660 = {TreeChoice::Reads, FsKind::Iso9660};
const TreeChoice UDF = {TreeChoice::Reads, FsKind::Udf};
const TreeChoice UNKNOWN = {TreeChoice::Unknown, FsKind::Udf};
const TreeChoice NOTHING = {TreeChoice::Nothing, FsKind::Iso9660};

ImageFacts Facts(bool bIso9660, bool bJoliet, unsigned nUdfRevision, bool bUdfRead)
{
    ImageFacts facts;
    facts.bIso9660 = bIso9660;
    facts.bJoliet = bJoliet;
    facts.bUdf = nUdfRevision != 0xFFFF;
    facts.nUdfRevision = facts.bUdf ? nUdfRevision : 0;
    facts.bUdfRead = bUdfRead;
    return facts;
}

std::string Text(const TreeChoice& choice)
{
    return choice.outcome == TreeChoice::Unknown ? "unknown"
           : choice.outcome == TreeChoice::Nothing ? "nothing"
                                                   : FsKindName(choice.kind);
}

} // namespace

TEST(ImageTreeChoice, EachSystemReadsTheTreeOfItsRow)
{
    const unsigned NO_UDF = 0xFFFF;
    const struct
    {
        ImageFacts                            facts;
        std::vector<std::pair<const char*, TreeChoice>> expected;
    } cases[] = {
        {Facts(true, true, NO_UDF, false), {{"win95", JOLIET}, {"winme", JOLIET}, {"win10", JOLIET}}},
        {Facts(true, false, NO_UDF, false), {{"nt4", ISO9660}, {"vista", ISO9660}}},
        // A UDF 1.02 bridge: Windows 95 and NT 4.0 have no UDF driver.
        {Facts(true, true, 0x0102, true),
         {{"win95", JOLIET}, {"nt4", JOLIET}, {"win98", UDF}, {"win98se", UDF}, {"winme", UDF}, {"win2000", UDF},
          {"winxp", UDF}, {"win10", UDF}}},
        {Facts(true, true, 0x0150, true), {{"winme", JOLIET}, {"win2000", UDF}, {"winxp64", UDF}}},
        // A revision a system would read but the reader did not: no plan,
        // never the Joliet tree in its place.
        {Facts(true, true, 0x0201, false),
         {{"win2000", JOLIET}, {"winxp", UNKNOWN}, {"winxp64", UNKNOWN}, {"vista", UNKNOWN}, {"win7", UNKNOWN}}},
        {Facts(true, false, 0x0250, false), {{"win95", ISO9660}, {"winxp", ISO9660}, {"vista", UNKNOWN}}},
        {Facts(false, false, 0x0260, false), {{"win2000", NOTHING}, {"winxp", NOTHING}, {"win10", UNKNOWN}}},
        {Facts(true, true, 0x0300, false), {{"win10", JOLIET}, {"win11", JOLIET}}},
        {Facts(true, true, 0x0260, true), {{"win8", UDF}, {"win81", UDF}, {"win11", UDF}, {"winxp", JOLIET}}},
        // Without the OSTA domain no Windows mounts the UDF volume.
        {Facts(true, true, 0, false), {{"winxp", JOLIET}, {"win10", JOLIET}}},
    };
    for (const auto& test : cases)
    {
        for (const auto& row : test.expected)
        {
            TreeChoice choice;
            ASSERT_EQ(1, ChooseTree(row.first, test.facts, &choice)) << row.first;
            EXPECT_EQ(Text(row.second), Text(choice))
                << row.first << " on UDF " << std::hex << test.facts.nUdfRevision << (test.facts.bJoliet ? " with Joliet" : "");
        }
    }
    TreeChoice choice;
    EXPECT_EQ(0, ChooseTree("win31", Facts(true, true, 0x0102, true), &choice));
    EXPECT_EQ(14u, KnownSystems().size());
}

TEST(ImageTreeChoice, TheWindows98FamilyOnAUdf102BridgeMayReadEitherTree)
{
    for (bool bJoliet : {true, false})
    {
        const ImageFacts facts = Facts(true, bJoliet, 0x0102, true);
        for (const char* szSystem : {"win98", "win98se", "winme", "win2000", "winxp", "win10"})
        {
            TreeChoice choice;
            ASSERT_EQ(1, ChooseTree(szSystem, facts, &choice));
            const bool b98 = std::string(szSystem).compare(0, 5, "win98") == 0 || std::string(szSystem) == "winme";
            EXPECT_EQ(b98, choice.bUncertain) << szSystem;
            EXPECT_EQ("UDF", Text(choice)) << szSystem;
            if (b98)
                EXPECT_EQ(bJoliet ? "Joliet" : "ISO 9660", std::string(FsKindName(choice.other))) << szSystem;
        }
    }
    // Only a tree the reader has: no doubt about a UDF tree it did not read.
    TreeChoice choice;
    ASSERT_EQ(1, ChooseTree("win98", Facts(true, true, 0x0102, false), &choice));
    EXPECT_FALSE(choice.bUncertain);
    std::vector<TreeReaders> groups = GroupSystemsByTree(Facts(true, true, 0x0102, true), KnownSystems());
    ASSERT_EQ(3u, groups.size());
    EXPECT_EQ("win95, nt4", JoinSystems(groups[0].systems));
    EXPECT_EQ("win98, win98se, winme", JoinSystems(groups[1].systems));
    EXPECT_EQ("win2000, winxp, winxp64, vista, win7, win8, win81, win10, win11", JoinSystems(groups[2].systems));
}

TEST(ImageTreeChoice, SystemsThatShareATree)
{
    std::vector<TreeReaders> groups = GroupSystemsByTree(Facts(true, true, 0x0150, true), KnownSystems());
    ASSERT_EQ(2u, groups.size());
    EXPECT_EQ("Joliet", Text(groups[0].choice));
    EXPECT_EQ("win95, win98, win98se, winme, nt4", JoinSystems(groups[0].systems));
    EXPECT_EQ("UDF", Text(groups[1].choice));
    EXPECT_EQ("win2000, winxp, winxp64, vista, win7, win8, win81, win10, win11", JoinSystems(groups[1].systems));
}

TEST(ImageNames, AsTheCdDriverListsThem)
{
    const struct
    {
        const char* szRecorded;
        const char* szShown;
    } cases[] = {
        {"SETUP.EXE;1", "SETUP.EXE"}, {"README.;1", "README"}, {"A.B.;1", "A.B"},  {"NAME;", "NAME"},
        {"X..;1", "X."},              {"a;b;1", "a"},          {"Corvan Lite", "Corvan Lite"},
        {".;1", ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.szShown, CdWindowsName(test.szRecorded)) << test.szRecorded;
    const struct
    {
        const char* szRecorded;
        uint32_t    nVersion;
    } versions[] = {{"SETUP.INI;1", 1}, {"SETUP.INI;2", 2}, {"A;32767", 32767}, {"A;32768", 0},
                    {"A;1x", 0},        {"A;", 0},          {"A", 0},          {"A;99999999999", 0}};
    for (const auto& test : versions)
    {
        uint32_t nVersion = 7;
        CdWindowsName(test.szRecorded, &nVersion);
        EXPECT_EQ(test.nVersion, nVersion) << test.szRecorded;
    }
}

TEST(ImageNames, Utf16AndLatin1ToUtf8)
{
    const uint8_t pair[] = {0xD8, 0x3D, 0xDE, 0x00, 0x00, 'a'}; // U+1F600 then "a"
    EXPECT_EQ("\xF0\x9F\x98\x80" "a", Utf16BeToUtf8(pair, sizeof(pair)));
    const uint8_t lone[] = {0xDC, 0x00, 0x65, 0xE5};
    EXPECT_EQ("\xEF\xBF\xBD\xE6\x97\xA5", Utf16BeToUtf8(lone, sizeof(lone)));
    EXPECT_EQ(3u, Utf16Length("\xF0\x9F\x98\x80" "a"));

    std::string name;
    const uint8_t latin1[] = {8, 'c', 'a', 'f', 0xE9};
    ASSERT_EQ(1, UdfNameToUtf8(latin1, sizeof(latin1), &name));
    EXPECT_EQ("caf\xC3\xA9", name);
    const uint8_t wide[] = {16, 0x65, 0xE5, 0x00, 'x'};
    ASSERT_EQ(1, UdfNameToUtf8(wide, sizeof(wide), &name));
    EXPECT_EQ("\xE6\x97\xA5x", name);
    const uint8_t odd[] = {16, 0x65};
    const uint8_t other[] = {254, 'a'};
    EXPECT_EQ(0, UdfNameToUtf8(odd, sizeof(odd), &name));
    EXPECT_EQ(0, UdfNameToUtf8(other, sizeof(other), &name));

    EXPECT_EQ(0, IsNameRefused("Corvan Lite \"<>|.txt"));
    for (const char* szName : {"a:b", "a?b", "a*b", "a/b", "a\\b", "tab\there", ""})
        EXPECT_EQ(1, IsNameRefused(szName)) << szName;
}
