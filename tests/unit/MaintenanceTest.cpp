// The driver registry import through regedit. Which file is imported on
// which Windows version runs end to end (tests/e2e/test_drivers.py); here the
// test program stands in for the launcher, so the registry file lies beside it.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "TestSupport.h"
#include "launcher/Globals.h"
#include "launcher/Maintenance.h"
#include "launcher/ModuleFolder.h"
#include "services/OsIdentify.h"

namespace {

const char* const DRIVER_KEY = "Software\\SetupEngineTests";

std::string ImportedValue()
{
    char  szValue[64] = {};
    DWORD cbValue     = sizeof(szValue);
    if (SHGetValueA(HKEY_CURRENT_USER, DRIVER_KEY, "Source", nullptr, szValue, &cbValue) != ERROR_SUCCESS)
        return "";
    return szValue;
}

} // namespace

// regedit is waited for: the value is in the registry when the call returns.
TEST(DriverImport, RegistryFileIsImportedBeforeTheCallReturns)
{
    LocateModuleFolder(g_szModuleFolder);
    const std::string drvs = std::string(g_szModuleFolder) + "\\Drvs";
    const std::string file = drvs + "\\Bin\\express.reg";
    CreateDirectoryA(drvs.c_str(), nullptr);
    CreateDirectoryA((drvs + "\\Bin").c_str(), nullptr);
    WriteFileText(file,
                  std::string("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\") + DRIVER_KEY + "]\r\n\"Source\"=\"Drvs\"\r\n");
    RegDeleteKeyA(HKEY_CURRENT_USER, DRIVER_KEY);
    const std::string log = UseTestLog("driver_import");

    ImportDriverRegistryFile(OS_WINXP);
    EXPECT_EQ("Drvs", ImportedValue());
    EXPECT_EQ("LaunchCmdline::Launching C:\\windows\\regedit.exe /s \"" + file + "\"\n", LogMessages(log));

    RegDeleteKeyA(HKEY_CURRENT_USER, DRIVER_KEY);
    DeleteFileA(file.c_str());
    RemoveDirectoryA((drvs + "\\Bin").c_str());
    RemoveDirectoryA(drvs.c_str());
}
