// The start-up probe's language and common files folder on the bench.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "launcher/Globals.h"
#include "launcher/Probe.h"
#include "services/LanguageTable.h"

TEST(Probe, LanguageAndCommonFilesFolder)
{
    g_szLanguageCode[0] = '\0';
    ProbeLanguage();
    EXPECT_STREQ(LanguageCodeFromLangId(GetSystemDefaultLangID()), g_szLanguageCode);

    // The value as the registry holds it ("C:\Program Files\Common Files" on
    // the bench).
    char  szExpected[MAX_PATH] = {};
    DWORD cbExpected           = sizeof(szExpected);
    HKEY  hKey                 = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, CURRENT_VERSION_KEY, 0, KEY_READ, &hKey));
    RegQueryValueExA(hKey, "CommonFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(szExpected), &cbExpected);
    RegCloseKey(hKey);
    ASSERT_NE('\0', szExpected[0]);

    const std::string logPath = UseTestLog("probe");
    g_szCommonFilesDir[0]     = '\0';
    {
        CRegistry registry(CURRENT_VERSION_KEY, HKEY_LOCAL_MACHINE, FALSE);
        ProbeCommonFilesDir(registry);
    }
    EXPECT_STREQ(szExpected, g_szCommonFilesDir);

    // A key that cannot be opened: the log line, and the folder stays empty.
    g_szCommonFilesDir[0] = '\0';
    {
        CRegistry registry("Software\\SetupLauncherTests\\NoSuchKey", HKEY_LOCAL_MACHINE, FALSE);
        ProbeCommonFilesDir(registry);
    }
    EXPECT_STREQ("", g_szCommonFilesDir);
    EXPECT_EQ("CRegistry().  Oooops , Failed to open subKey Software\\SetupLauncherTests\\NoSuchKey\n",
              LogMessages(logPath));
}
