// The pre-launch maintenance steps: the freshness check, the choice of the
// update's root folder and the driver registry import through regedit.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "EngineTestSupport.h"
#include "TestSupport.h"
#include "launcher/Maintenance.h"
#include "services/OsIdentify.h" // OS_WINXP

namespace {

class Maintenance : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* szName = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_log              = UseTestLog("maintenance");
        m_engine           = CEngineLayout(szName);
        m_disc.Enter(szName);
    }

    void TearDown() override { m_disc.Leave(); }

    std::string   m_log;
    CEngineLayout m_engine;
    CTestDisc     m_disc;
};

} // namespace

TEST_F(Maintenance, FreshnessIsCheckedOnlyWithAnUpdateProgram)
{
    m_engine.Lay({"v_current", "v_64", "v_current", "v_current", "v_current"});
    EXPECT_EQ(0, CheckEngineFreshness(0));
    EXPECT_EQ("", LogMessages(m_log));
    EXPECT_EQ(1, CheckEngineFreshness(1));
    EXPECT_NE("", LogMessages(m_log));

    m_engine.Lay({"v_current", "v_current", "v_current", "v_current", "v_current"});
    m_log = UseTestLog("maintenance_current");
    EXPECT_EQ(0, CheckEngineFreshness(1));
    EXPECT_NE(std::string::npos, LogMessages(m_log).find("Skipping Engine update.\n"));
}

// The update runs from AppInst when the disc has ".\AppInst\setup.exe",
// else from techsupt, whichever root the update program was found under.
TEST_F(Maintenance, UpdateRootFollowsTheAppInstSetupProgram)
{
    m_engine.Lay({"v_current", "v_current", "v_current", "v_current", "v_current"});
    const std::string appInst  = m_disc.UpdateProgram("AppInst", {});
    const std::string techSupt = m_disc.UpdateProgram("techsupt", {});

    RunEngineUpdate();
    ASSERT_EQ(1u, m_disc.Records().size());
    EXPECT_EQ(techSupt, m_disc.Records()[0].path);

    m_disc.Program("AppInst\\setup.exe");
    RunEngineUpdate();
    ASSERT_EQ(2u, m_disc.Records().size());
    EXPECT_EQ(appInst, m_disc.Records()[1].path);
    EXPECT_EQ("-s", m_disc.Records()[1].params);
}

namespace {

const char* const DRIVER_KEY = "Software\\SetupEngineTests";

// Driver registry files beside the test program, which stands in for the
// launcher here; each sets the value "Source" to the name of its folder.
class DriverImport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char szModule[MAX_PATH];
        GetModuleFileNameA(nullptr, szModule, MAX_PATH);
        PathRemoveFileSpecA(szModule);
        m_folder = szModule;
        RemoveFiles();
        RegDeleteKeyA(HKEY_CURRENT_USER, DRIVER_KEY);
        m_log = UseTestLog("driver_import");
    }

    void TearDown() override
    {
        RemoveFiles();
        RegDeleteKeyA(HKEY_CURRENT_USER, DRIVER_KEY);
    }

    std::string Put(const char* szFolder)
    {
        const std::string bin = m_folder + "\\" + szFolder + "\\Bin";
        CreateFolders(bin);
        WriteFileText(bin + "\\express.reg", std::string("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\") + DRIVER_KEY +
                                                 "]\r\n\"Source\"=\"" + szFolder + "\"\r\n");
        return bin + "\\express.reg";
    }

    // The value the import left, or "" when nothing was imported.
    static std::string Imported()
    {
        char  szValue[64] = {};
        DWORD cbValue     = sizeof(szValue);
        if (SHGetValueA(HKEY_CURRENT_USER, DRIVER_KEY, "Source", nullptr, szValue, &cbValue) != ERROR_SUCCESS)
            return "";
        return szValue;
    }

    void RemoveFiles()
    {
        for (const char* szFolder : {"Drvs", "Drivers"})
        {
            DeleteFileA((m_folder + "\\" + szFolder + "\\Bin\\express.reg").c_str());
            RemoveDirectoryA((m_folder + "\\" + szFolder + "\\Bin").c_str());
            RemoveDirectoryA((m_folder + "\\" + szFolder).c_str());
        }
    }

    std::string m_folder;
    std::string m_log;
};

} // namespace

TEST_F(DriverImport, OnWindowsXpDrvsWinsOverDrivers)
{
    const std::string drvs = Put("Drvs");
    Put("Drivers");
    ImportDriverRegistryFile(OS_WINXP);
    // Waited for: the value is there as soon as the call returns.
    EXPECT_EQ("Drvs", Imported());
    EXPECT_EQ("LaunchCmdline::Launching C:\\windows\\regedit.exe /s \"" + drvs + "\"\n", LogMessages(m_log));

    DeleteFileA(drvs.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, DRIVER_KEY);
    ImportDriverRegistryFile(OS_WINXP);
    EXPECT_EQ("Drivers", Imported());
}

TEST_F(DriverImport, OtherWindowsVersionsImportNothing)
{
    Put("Drvs");
    for (int nOsCode : {-1, 0, 6, 7, 9, 10})
        ImportDriverRegistryFile(nOsCode);
    EXPECT_EQ("", Imported());
    EXPECT_EQ("", LogMessages(m_log));
}

TEST_F(DriverImport, NoRegistryFileNoLaunch)
{
    ImportDriverRegistryFile(OS_WINXP);
    EXPECT_EQ("", LogMessages(m_log));
}
