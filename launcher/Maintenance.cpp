#include "launcher/Maintenance.h"

#include <shlwapi.h>

#include "engine/EngineNames.h"
#include "engine/EngineUpdate.h"
#include "launcher/Globals.h"
#include "process/KillEngine.h"
#include "services/Format.h"
#include "services/Launch.h"
#include "services/OsIdentify.h"
#include "services/PathWithin.h"

namespace {

// The driver registry file, looked for in this order beside the launcher.
const char* const DRIVER_REGISTRY_FILES[] = {"Drvs\\Bin\\express.reg", "Drivers\\Bin\\express.reg"};

// regedit's parameters: "/s", then the file in double quotes. Sized for any
// registry file path the launcher can build (259 characters) rather than
// 100 bytes, so a disc unpacked into a deep folder still gets its driver
// settings.
const size_t REGEDIT_PARAMETERS_SIZE = MAX_PATH + 8;

// Finds the driver registry file beside the launcher: 1 with its path in
// szFile (MAX_PATH bytes), 0 when the disc carries none.
int FindDriverRegistryFile(char* szFile)
{
    char szModule[MAX_PATH];
    const DWORD cchModule = GetModuleFileNameA(nullptr, szModule, MAX_PATH);
    if (cchModule == 0 || cchModule >= MAX_PATH)
        return 0; // a cut name is not the launcher's folder
    for (const char* szName : DRIVER_REGISTRY_FILES)
    {
        if (JoinPathWithin(szFile, MAX_PATH, g_szModuleFolder, szName) && PathFileExistsA(szFile))
            return 1;
    }
    return 0;
}

} // namespace

int CheckEngineFreshness(int bEngineUpdateFound)
{
    // Without the update program on the disc the engine is not looked at.
    return bEngineUpdateFound ? IsEngineUpdateNeeded() : 0;
}

void RunEngineUpdate()
{
    KillEngineProcesses();
    // Chosen by this test alone, whatever root the probe found the update in.
    UpdateEngine(PathFileExistsA(".\\AppInst\\setup.exe") ? ENGINE_UPDATE_ROOT_APPINST
                                                           : ENGINE_UPDATE_ROOT_TECHSUPT);
}

void ImportDriverRegistryFile(int nOsCode)
{
    if (nOsCode != OS_WINXP)
        return;

    char szFile[MAX_PATH];
    if (!FindDriverRegistryFile(szFile))
        return;

    char szRegedit[MAX_PATH];
    const UINT cchWindows = GetWindowsDirectoryA(szRegedit, MAX_PATH);
    if (cchWindows == 0 || cchWindows >= MAX_PATH || !AppendPathWithin(szRegedit, MAX_PATH, "regedit.exe"))
        return;

    char szParameters[REGEDIT_PARAMETERS_SIZE];
    if (FormatBounded(szParameters, sizeof(szParameters), "/s \"%s\"", szFile) >= sizeof(szParameters))
        return;

    // Hidden, and waited for: the settings are in place before anything is launched.
    LaunchCmdline(szRegedit, szParameters, INFINITE, SW_HIDE);
}
