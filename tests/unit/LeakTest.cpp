// Every resource-owning operation gives back what it takes: the process's
// handle count is the same before and after, on success and failure paths.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "TestSupport.h"
#include "Utils/Common/Sync/Sync.h"
#include "engine/FileVersion.h"
#include "services/Launch.h"
#include "services/Log.h"
#include "services/Registry.h"
#include "services/Settings.h"

namespace {

// Runs the operation once to let the system settle its own caches (the shell
// and the registry keep some handles for the process's life), then three
// more times, and compares the counts around those.
void ExpectNoLeak(const char* szWhat, const std::function<void()>& operation)
{
    operation();
    const DWORD dwBefore = HandleCount();
    for (int i = 0; i < 3; ++i)
        operation();
    EXPECT_EQ(dwBefore, HandleCount()) << szWhat;
}

} // namespace

TEST(Leaks, HandleCountSeesALeak)
{
    const DWORD dwBefore = HandleCount();
    HANDLE      hEvent   = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(dwBefore + 1, HandleCount()) << "the measurement itself works";
    CloseHandle(hEvent);
    EXPECT_EQ(dwBefore, HandleCount());
}

TEST(Leaks, RegistrySettingsAndLog)
{
    UseTestLog("leaks");
    ExpectNoLeak("open key", [] {
        CRegistry registry("Software\\Microsoft\\Windows\\CurrentVersion", HKEY_LOCAL_MACHINE, FALSE);
        char      szValue[MAX_PATH];
        DWORD     cbValue = MAX_PATH;
        EXPECT_TRUE(registry.ReadString("CommonFilesDir", szValue, &cbValue));
    });
    ExpectNoLeak("missing key", [] {
        CRegistry registry("Software\\No\\Such\\Key", HKEY_CURRENT_USER, FALSE);
        char      szValue[MAX_PATH];
        DWORD     cbValue = MAX_PATH;
        EXPECT_FALSE(registry.ReadString("Nothing", szValue, &cbValue));
    });

    std::string ini = FreshFolder("leaks_ini") + "\\Setup.ini";
    WriteFileText(ini, "[Settings]\r\nDemoPath=demo.exe\r\n");
    ExpectNoLeak("settings", [&] {
        LaunchSettings settings(ini.c_str());
        char           szValue[MAX_PATH];
        DWORD          cchValue = MAX_PATH;
        EXPECT_TRUE(settings.GetValue("Settings", "DemoPath", szValue, &cchValue));
        cchValue = MAX_PATH;
        EXPECT_FALSE(settings.GetValue("Settings", "SetupPath", szValue, &cchValue));
    });
    ExpectNoLeak("log line", [] { WriteLog("%s\n", "a line"); });
}

TEST(Leaks, MutexAndLock)
{
    ExpectNoLeak("mutex and lock", [] {
        CMutex    mutex(FALSE, "leak_tests_mutex", nullptr);
        CSyncLock lock(&mutex, TRUE);
        EXPECT_TRUE(lock.m_bAcquired);
        EXPECT_TRUE(lock.Unlock());
        EXPECT_TRUE(lock.Lock(INFINITE));
    });
    ExpectNoLeak("failed mutex", [] {
        CMutex    mutex(FALSE, "NoSuchNamespace\\leak_tests", nullptr);
        CSyncLock lock(&mutex, TRUE);
        EXPECT_FALSE(lock.m_bAcquired);
    });
}

TEST(Leaks, Launch)
{
    UseTestLog("leaks_launch");
    std::string folder   = FreshFolder("leaks_launch");
    std::string program  = folder + "\\quick.exe";
    std::string sleeper  = folder + "\\slow.exe";
    ASSERT_TRUE(CopyFileA(ToolPath("recorder.exe").c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(ToolPath("recorder.exe").c_str(), sleeper.c_str(), FALSE));
    WriteFileText(sleeper + ".rec", "[rec]\r\nsleep=1500\r\n");

    ExpectNoLeak("launch, waited for", [&] { EXPECT_TRUE(LaunchCmdline(program.c_str(), "a b", INFINITE, 1)); });
    ExpectNoLeak("launch, no wait", [&] { EXPECT_TRUE(LaunchCmdline(program.c_str(), nullptr, 0, 1)); });
    ExpectNoLeak("launch, wait runs out", [&] { EXPECT_TRUE(LaunchCmdline(sleeper.c_str(), nullptr, 100, 1)); });
    ExpectNoLeak("launch, missing file", [&] {
        EXPECT_FALSE(LaunchCmdline((folder + "\\missing.exe").c_str(), nullptr, INFINITE, 1));
    });
    Sleep(1600); // let the sleepers end before the folder is reused
}

TEST(Leaks, VersionQuery)
{
    UseTestLog("leaks_version");
    for (const char* szFile : {"v_current.dll", "v_none.dll", "v_second.dll", "missing.dll"})
    {
        const std::string path = ToolPath("versions\\") + szFile;
        ExpectNoLeak(szFile, [&] {
            char szVersion[50] = {};
            EXPECT_EQ(path.find("v_current") != std::string::npos,
                      QueryFileVersion(path.c_str(), szVersion, sizeof(szVersion)) == 1);
            CheckFileVersion("6.31.100.1190", path.c_str());
        });
    }
}
