// IdentifyOs over the real version query, over stand-in queries for what
// Wine cannot answer (a refused extended form, no answer at all), and over
// the real "VersionNumber" value of the registry.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "launcher/Probe.h"
#include "services/OsIdentify.h"

namespace {

// What the stand-in query answers, and the sizes it was asked with.
struct FakeQuery
{
    BOOL               bAcceptExtended = TRUE;
    BOOL               bAcceptBasic    = TRUE;
    OSVERSIONINFOEXA   answer          = {};
    std::vector<DWORD> sizes;
} g_query;

BOOL WINAPI FakeGetVersionEx(OSVERSIONINFOA* pVersionInfo)
{
    const DWORD dwSize = pVersionInfo->dwOSVersionInfoSize;
    g_query.sizes.push_back(dwSize);
    if ((dwSize == sizeof(OSVERSIONINFOEXA) && g_query.bAcceptExtended) ||
        (dwSize == sizeof(OSVERSIONINFOA) && g_query.bAcceptBasic))
    {
        memcpy(pVersionInfo, &g_query.answer, dwSize);
        pVersionInfo->dwOSVersionInfoSize = dwSize;
        return TRUE;
    }
    return FALSE;
}

class OsIdentifyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_query   = FakeQuery();
        m_pfnReal = SetVersionQuery(FakeGetVersionEx);
    }

    void TearDown() override { SetVersionQuery(m_pfnReal); }

    static void Answer(DWORD dwPlatform, DWORD dwMajor, DWORD dwMinor, DWORD dwBuild, const char* szCSD,
                       WORD wSpMajor = 0, WORD wSpMinor = 0)
    {
        g_query.answer.dwPlatformId      = dwPlatform;
        g_query.answer.dwMajorVersion    = dwMajor;
        g_query.answer.dwMinorVersion    = dwMinor;
        g_query.answer.dwBuildNumber     = dwBuild;
        g_query.answer.wServicePackMajor = wSpMajor;
        g_query.answer.wServicePackMinor = wSpMinor;
        lstrcpynA(g_query.answer.szCSDVersion, szCSD, sizeof(g_query.answer.szCSDVersion));
    }

    PFN_GET_VERSION_EX m_pfnReal = nullptr;
};

// Sets or removes HKLM's "VersionNumber" for one test and puts back what was there.
class CVersionNumberValue
{
public:
    CVersionNumberValue()
    {
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, CURRENT_VERSION_KEY, 0, KEY_READ | KEY_WRITE, &m_hKey);
        DWORD cbData = sizeof(m_szSaved);
        m_bSaved     = RegQueryValueExA(m_hKey, "VersionNumber", nullptr, &m_dwType, reinterpret_cast<BYTE*>(m_szSaved),
                                        &cbData) == ERROR_SUCCESS;
        m_cbSaved    = cbData;
    }

    ~CVersionNumberValue()
    {
        if (m_bSaved)
            RegSetValueExA(m_hKey, "VersionNumber", 0, m_dwType, reinterpret_cast<BYTE*>(m_szSaved), m_cbSaved);
        else
            RegDeleteValueA(m_hKey, "VersionNumber");
        RegCloseKey(m_hKey);
    }

    bool Set(const char* szValue)
    {
        if (szValue == nullptr)
        {
            RegDeleteValueA(m_hKey, "VersionNumber");
            return true;
        }
        return RegSetValueExA(m_hKey, "VersionNumber", 0, REG_SZ, reinterpret_cast<const BYTE*>(szValue),
                              lstrlenA(szValue) + 1) == ERROR_SUCCESS;
    }

private:
    HKEY  m_hKey = nullptr;
    BOOL  m_bSaved;
    DWORD m_dwType = REG_SZ;
    char  m_szSaved[512];
    DWORD m_cbSaved;
};

} // namespace

TEST(IdentifyOs, RealQueryOfTheBench)
{
    // The bench runs as Wine's default Windows 7 (NT 6.1).
    OsInfo info;
    ZeroMemory(&info, sizeof(info));
    EXPECT_EQ(10, IdentifyOs(&info));
    EXPECT_EQ(10, info.nOsCode);
    EXPECT_EQ(sizeof(OSVERSIONINFOEXA), info.dwOSVersionInfoSize);
    EXPECT_EQ(156u, info.dwOSVersionInfoSize);
    EXPECT_EQ(2u, info.dwPlatformId);
    EXPECT_EQ(6u, info.dwMajorVersion);
    const std::string expected = "Windows Vista " + std::to_string(info.dwBuildNumber) + " " + info.szCSDVersion;
    EXPECT_EQ(expected, info.szDescription);
}

TEST_F(OsIdentifyTest, ExtendedQueryFirstWithItsServicePackNumbers)
{
    Answer(2, 5, 1, 2600, "Service Pack 3", 3, 1);
    OsInfo info;
    ZeroMemory(&info, sizeof(info));
    memset(info.szDescription, 'x', sizeof(info.szDescription));
    EXPECT_EQ(8, IdentifyOs(&info));

    EXPECT_EQ(std::vector<DWORD>{156}, g_query.sizes);
    EXPECT_EQ(156u, info.dwOSVersionInfoSize);
    EXPECT_EQ(2u, info.dwPlatformId);
    EXPECT_EQ(5u, info.dwMajorVersion);
    EXPECT_EQ(1u, info.dwMinorVersion);
    EXPECT_EQ(2600u, info.dwBuildNumber);
    EXPECT_STREQ("Service Pack 3", info.szCSDVersion);
    EXPECT_EQ(3, info.wServicePackMajor);
    EXPECT_EQ(1, info.wServicePackMinor);
    EXPECT_STREQ("Windows XP Build 2600 Service Pack 3", info.szDescription);
    for (size_t i = strlen(info.szDescription); i < sizeof(info.szDescription); ++i)
        ASSERT_EQ('\0', info.szDescription[i]) << "the description is cleared first, at " << i;
    EXPECT_EQ(8, info.nOsCode);
}

TEST_F(OsIdentifyTest, BasicQueryWhenTheExtendedOneIsRefused)
{
    g_query.bAcceptExtended = FALSE;
    Answer(1, 4, 10, 0x040A08AE, " A ", 9, 9);
    OsInfo info;
    ZeroMemory(&info, sizeof(info));
    info.wServicePackMajor = 0x7777;
    info.wServicePackMinor = 0x7777;
    EXPECT_EQ(4, IdentifyOs(&info));

    EXPECT_EQ((std::vector<DWORD>{156, 148}), g_query.sizes);
    EXPECT_EQ(148u, info.dwOSVersionInfoSize);
    EXPECT_EQ(0x040A08AEu, info.dwBuildNumber) << "stored unmasked";
    EXPECT_STREQ(" A ", info.szCSDVersion);
    EXPECT_EQ(0x7777, info.wServicePackMajor) << "left as the caller had it";
    EXPECT_EQ(0x7777, info.wServicePackMinor);
    EXPECT_STREQ("Windows 98 Second Edition Build 2222", info.szDescription);
}

TEST_F(OsIdentifyTest, NoAnswerOrNoRecord)
{
    g_query.bAcceptExtended = FALSE;
    g_query.bAcceptBasic    = FALSE;
    OsInfo info;
    memset(&info, 0xAB, sizeof(info));
    OsInfo untouched = info;
    EXPECT_EQ(-1, IdentifyOs(&info));
    EXPECT_EQ(0, memcmp(&info, &untouched, sizeof(info))) << "the record is untouched";
    EXPECT_EQ((std::vector<DWORD>{156, 148}), g_query.sizes);

    // The launcher reads the zeroed record: 0, no version-dependent step.
    ZeroMemory(&info, sizeof(info));
    EXPECT_EQ(0, ProbeOs(info));
    ZeroMemory(&untouched, sizeof(untouched));
    EXPECT_EQ(0, memcmp(&info, &untouched, sizeof(info)));

    // A null record: the query runs, nothing is identified.
    g_query       = FakeQuery();
    Answer(2, 5, 1, 2600, "");
    EXPECT_EQ(0, IdentifyOs(nullptr));
    EXPECT_EQ(std::vector<DWORD>{156}, g_query.sizes);
}

TEST_F(OsIdentifyTest, WindowsMeBehindThe98VersionThroughTheRealRegistry)
{
    CVersionNumberValue value;
    Answer(1, 4, 10, 0x040A0BB8, "");

    struct
    {
        const char* szValue;
        int         nOsCode;
        const char* szDescription;
    } const cases[] = {
        {"4.90.3000", 5, "Windows Millenium Build 3000"},
        {"4.10.1998", 3, "Windows 98 Gold Build 3000"},
        {nullptr, 3, "Windows 98 Gold Build 3000"},
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(value.Set(c.szValue));
        OsInfo info;
        ZeroMemory(&info, sizeof(info));
        EXPECT_EQ(c.nOsCode, IdentifyOs(&info)) << (c.szValue ? c.szValue : "no value");
        EXPECT_STREQ(c.szDescription, info.szDescription);
    }

    char szBuffer[OS_VERSION_NUMBER_SIZE] = {};
    ASSERT_TRUE(value.Set("4.90.3000"));
    EXPECT_EQ(1, ReadVersionNumber(szBuffer, sizeof(szBuffer)));
    EXPECT_STREQ("4.90.3000", szBuffer);
}
