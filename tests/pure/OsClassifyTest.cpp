// The Windows version classification, over recorded version data of real
// releases and over every row of its decision table.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "services/OsClassify.h"

namespace {

// What the fake "VersionNumber" reader answers, and how often it was asked.
const char* g_szVersionNumber = nullptr; // null: the value cannot be read
int         g_nReads          = 0;

int FakeReadVersionNumber(char* pBuffer, uint32_t cbBuffer)
{
    ++g_nReads;
    EXPECT_EQ(OS_VERSION_NUMBER_SIZE, cbBuffer);
    for (uint32_t i = 0; i < cbBuffer; ++i)
        EXPECT_EQ('\0', pBuffer[i]) << "the buffer is zero-filled before the read";
    if (g_szVersionNumber == nullptr)
        return 0;
    memcpy(pBuffer, g_szVersionNumber, strnlen(g_szVersionNumber, cbBuffer));
    return 1;
}

struct Outcome
{
    int         nOsCode;
    std::string description;
    int         nReads;
};

Outcome Classify(uint32_t dwPlatform, uint32_t dwMajor, uint32_t dwMinor, uint32_t dwBuild, const char* szCSD,
                 const char* szVersionNumber = nullptr)
{
    g_szVersionNumber = szVersionNumber;
    g_nReads          = 0;
    char szDescription[OS_DESCRIPTION_SIZE + 16];
    memset(szDescription, '#', sizeof(szDescription));
    const OsVersionData data  = {dwPlatform, dwMajor, dwMinor, dwBuild, szCSD};
    const int           nCode = ClassifyOs(data, FakeReadVersionNumber, szDescription);

    // Cleared before it is written: every byte after the text is zero, and
    // nothing is written past the record's 256 bytes.
    const size_t nLength = strnlen(szDescription, OS_DESCRIPTION_SIZE);
    EXPECT_LT(nLength, OS_DESCRIPTION_SIZE);
    for (size_t i = nLength; i < OS_DESCRIPTION_SIZE; ++i)
        EXPECT_EQ('\0', szDescription[i]) << "at " << i;
    for (size_t i = OS_DESCRIPTION_SIZE; i < sizeof(szDescription); ++i)
        EXPECT_EQ('#', szDescription[i]) << "written past the description at " << i;
    return {nCode, std::string(szDescription, nLength), g_nReads};
}

// Version data as real releases report it (GetVersionEx), with the
// "VersionNumber" value their registry carries.
struct Release
{
    const char* szName;
    uint32_t    dwPlatform;
    uint32_t    dwMajor;
    uint32_t    dwMinor;
    uint32_t    dwBuild;
    const char* szCSD;
    const char* szVersionNumber;
    int         nOsCode;
    const char* szDescription;
};

const Release g_releases[] = {
    {"Win32s 1.30", 0, 3, 10, 0, "Win32s 1.3", nullptr, 1, "Windows 3.1"},
    {"Windows 95", 1, 4, 0, 0x040003B6, "", "4.00.950", 2, "Windows 95"},
    {"Windows 95 OSR2", 1, 4, 0, 0x04000457, " B", "4.00.1111", 2, "Windows 95"},
    {"Windows 95 OSR2.5", 1, 4, 0, 0x040304BE, " C", "4.03.1214", 2, "Windows 95 OSR2"},
    {"Windows 98", 1, 4, 10, 0x040A07CE, " ", "4.10.1998", 3, "Windows 98 Gold Build 1998"},
    {"Windows 98 SE", 1, 4, 10, 0x040A08AE, " A ", "4.10.2222", 4, "Windows 98 Second Edition Build 2222"},
    {"Windows Me", 1, 4, 90, 0x045A0BB8, " ", "4.90.3000", 5, "Windows Millenium Build 3000"},
    {"Windows NT 3.51", 2, 3, 51, 1057, "Service Pack 5", nullptr, 6, ""},
    {"Windows NT 4.0", 2, 4, 0, 1381, "Service Pack 6a", nullptr, 6, ""},
    {"Windows 2000", 2, 5, 0, 2195, "Service Pack 4", nullptr, 7, "Windows 2000 Build 2195 Service Pack 4"},
    {"Windows XP", 2, 5, 1, 2600, "Service Pack 3", nullptr, 8, "Windows XP Build 2600 Service Pack 3"},
    {"Windows XP x64", 2, 5, 2, 3790, "Service Pack 2", nullptr, 9, "Windows XP x64 Build 3790 Service Pack 2"},
    {"Windows Server 2003", 2, 5, 2, 3790, "Service Pack 1", nullptr, 9, "Windows XP x64 Build 3790 Service Pack 1"},
    {"Windows Vista", 2, 6, 0, 6002, "Service Pack 2", nullptr, 10, "Windows Vista 6002 Service Pack 2"},
    {"Windows 7", 2, 6, 1, 7601, "Service Pack 1", nullptr, 10, "Windows Vista 7601 Service Pack 1"},
    {"Windows 8.1 (no manifest: 6.2)", 2, 6, 2, 9200, "", nullptr, 10, "Windows Vista 9200 "},
    {"Windows 10 (manifested)", 2, 10, 0, 19045, "", nullptr, -1, ""},
};

} // namespace

TEST(ClassifyOs, RecordedReleases)
{
    for (const Release& release : g_releases)
    {
        const Outcome outcome = Classify(release.dwPlatform, release.dwMajor, release.dwMinor, release.dwBuild,
                                         release.szCSD, release.szVersionNumber);
        EXPECT_EQ(release.nOsCode, outcome.nOsCode) << release.szName;
        EXPECT_EQ(release.szDescription, outcome.description) << release.szName;
    }
}

TEST(ClassifyOs, NtFamily)
{
    EXPECT_EQ(8, Classify(2, 5, 1, 2600, "Service Pack 2").nOsCode);
    EXPECT_EQ("Windows XP Build 2600 Service Pack 2", Classify(2, 5, 1, 2600, "Service Pack 2").description);
    EXPECT_EQ("Windows XP Build 2600 ", Classify(2, 5, 1, 2600, "").description) << "ends in a blank";
    EXPECT_EQ("Windows 2000 Build 2195 ", Classify(2, 5, 0, 2195, "").description);

    // NT 3.x and 4.x: code 6, no description, whatever the minor.
    for (uint32_t dwMajor : {3u, 4u})
        for (uint32_t dwMinor : {0u, 1u, 10u, 51u, 90u})
        {
            EXPECT_EQ(6, Classify(2, dwMajor, dwMinor, 1381, "Service Pack 6").nOsCode);
            EXPECT_EQ("", Classify(2, dwMajor, dwMinor, 1381, "Service Pack 6").description);
        }

    // 5.2 is 9 for every edition; 5.3 and later minors are not identified
    // but keep a description.
    EXPECT_EQ(9, Classify(2, 5, 2, 3790, "").nOsCode);
    const Outcome nt53 = Classify(2, 5, 3, 4000, "Service Pack 1");
    EXPECT_EQ(-1, nt53.nOsCode);
    EXPECT_EQ("Windows Build 4000 Service Pack 1", nt53.description);
    EXPECT_EQ("Windows Build 5000 ", Classify(2, 5, 99, 5000, "").description);

    // Every 6.x is 10, the build printed in full; 10.0 and the majors below 3
    // are not identified and not described.
    for (uint32_t dwMinor : {0u, 1u, 2u, 3u, 4u})
        EXPECT_EQ(10, Classify(2, 6, dwMinor, 9600, "").nOsCode) << dwMinor;
    EXPECT_EQ("Windows Vista 70000 x", Classify(2, 6, 3, 70000, "x").description) << "NT builds are not masked";
    for (uint32_t dwMajor : {0u, 1u, 2u, 7u, 10u})
    {
        EXPECT_EQ(-1, Classify(2, dwMajor, 0, 19045, "").nOsCode) << dwMajor;
        EXPECT_EQ("", Classify(2, dwMajor, 0, 19045, "").description) << dwMajor;
    }
}

TEST(ClassifyOs, Windows9xFamily)
{
    // The second character of the service pack text decides OSR2 and 98 SE,
    // whatever the first one is; a text of one character has no second one.
    EXPECT_EQ("Windows 95 OSR2", Classify(1, 4, 0, 0x04000457, " C").description);
    EXPECT_EQ("Windows 95 OSR2", Classify(1, 4, 0, 0x04000457, "xC").description);
    EXPECT_EQ("Windows 95", Classify(1, 4, 0, 0x04000457, " B").description);
    EXPECT_EQ("Windows 95", Classify(1, 4, 0, 0x04000457, "C").description);
    EXPECT_EQ("Windows 95", Classify(1, 4, 0, 0x04000457, " c").description);
    EXPECT_EQ(2, Classify(1, 0, 0, 0, "").nOsCode) << "the major version is not looked at";

    // Builds print their low 16 bits only.
    EXPECT_EQ("Windows 98 Second Edition Build 2222", Classify(1, 4, 10, 0x040A08AE, " A").description);
    EXPECT_EQ("Windows 98 Second Edition Build 65535", Classify(1, 4, 10, 0xFFFFFFFF, " A").description);
    EXPECT_EQ("Windows Millenium Build 3000", Classify(1, 4, 90, 0x045A0BB8, "").description);
    EXPECT_EQ(5, Classify(1, 7, 90, 0, "").nOsCode);

    // Other minors of the family are not identified.
    for (uint32_t dwMinor : {1u, 3u, 9u, 11u, 89u, 91u})
    {
        EXPECT_EQ(-1, Classify(1, 4, dwMinor, 0x04000000, " C").nOsCode) << dwMinor;
        EXPECT_EQ("", Classify(1, 4, dwMinor, 0x04000000, " C").description) << dwMinor;
    }
}

TEST(ClassifyOs, WindowsMeBehindTheFirst98VersionIsToldByTheRegistryAlone)
{
    const Outcome me = Classify(1, 4, 10, 0x040A0BB8, "", "4.90.3000");
    EXPECT_EQ(5, me.nOsCode);
    EXPECT_EQ("Windows Millenium Build 3000", me.description);
    EXPECT_EQ(1, me.nReads);

    // Anything but the exact text, or no value at all, is the first 98.
    for (const char* szValue : {"4.10.1998", "4.90.30000", "4.90.3000 ", " 4.90.3000", "4.90.300", ""})
    {
        const Outcome gold = Classify(1, 4, 10, 0x040A07CE, " ", szValue);
        EXPECT_EQ(3, gold.nOsCode) << szValue;
        EXPECT_EQ("Windows 98 Gold Build 1998", gold.description) << szValue;
    }
    EXPECT_EQ(3, Classify(1, 4, 10, 0x040A07CE, "", nullptr).nOsCode);

    // A value that fills the whole buffer without a terminator is compared
    // within the buffer.
    std::string full(OS_VERSION_NUMBER_SIZE, '4');
    EXPECT_EQ(3, Classify(1, 4, 10, 0x040A07CE, "", full.c_str()).nOsCode);

    // No reader at all reads as no value.
    char szDescription[OS_DESCRIPTION_SIZE];
    const OsVersionData data = {1, 4, 10, 0x040A07CE, ""};
    EXPECT_EQ(3, ClassifyOs(data, nullptr, szDescription));
}

TEST(ClassifyOs, ReadsTheRegistryOnlyForThe98WithoutItsSecondEditionMark)
{
    EXPECT_EQ(1, Classify(1, 4, 10, 0x040A07CE, "", "4.10.1998").nReads);
    EXPECT_EQ(1, Classify(1, 4, 10, 0x040A07CE, " B", "4.10.1998").nReads);
    EXPECT_EQ(0, Classify(1, 4, 10, 0x040A08AE, " A", "4.90.3000").nReads);
    EXPECT_EQ(0, Classify(1, 4, 0, 0x04000457, "", "4.90.3000").nReads);
    EXPECT_EQ(0, Classify(1, 4, 90, 0x045A0BB8, "", "4.90.3000").nReads);
    EXPECT_EQ(0, Classify(2, 5, 1, 2600, "", "4.90.3000").nReads);
    EXPECT_EQ(0, Classify(0, 3, 10, 0, "", "4.90.3000").nReads);
}

TEST(ClassifyOs, OtherPlatformsAndOversizedTexts)
{
    EXPECT_EQ(1, Classify(0, 0, 0, 0, "").nOsCode);
    EXPECT_EQ("Windows 3.1", Classify(0, 9, 9, 9, "x").description);
    for (uint32_t dwPlatform : {3u, 4u, 0xFFFFFFFFu})
    {
        EXPECT_EQ(-1, Classify(dwPlatform, 5, 1, 2600, "Service Pack 3").nOsCode);
        EXPECT_EQ("", Classify(dwPlatform, 5, 1, 2600, "Service Pack 3").description);
    }

    // A service pack text of 255 characters still leaves a terminated
    // description within its 256 bytes.
    const std::string csd(255, 'S');
    const Outcome     outcome = Classify(2, 5, 2, 3790, csd.c_str());
    EXPECT_EQ(9, outcome.nOsCode);
    EXPECT_EQ(255u, outcome.description.size());
    EXPECT_EQ(0u, outcome.description.find("Windows XP x64 Build 3790 SSS"));

    // A null service pack text reads as empty.
    char szDescription[OS_DESCRIPTION_SIZE];
    const OsVersionData data = {2, 5, 1, 2600, nullptr};
    EXPECT_EQ(8, ClassifyOs(data, nullptr, szDescription));
    EXPECT_STREQ("Windows XP Build 2600 ", szDescription);
}
