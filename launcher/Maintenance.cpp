#include "launcher/Maintenance.h"

#include <shlwapi.h>

#include "engine/EngineUpdate.h"
#include "engine/KillEngine.h"
#include "launcher/Globals.h"
#include "launcher/MaintenanceChoice.h"
#include "services/Format.h"
#include "services/Launch.h"
#include "services/OsIdentify.h"
#include "services/PathWithin.h"

namespace {

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
    for (size_t i = 0; i < g_nDriverRegistryFiles; ++i)
    {
        if (JoinPathWithin(szFile, MAX_PATH, g_szModuleFolder, g_rgszDriverRegistryFiles[i]) &&
            PathFileExistsA(szFile))
            return 1;
    }
    return 0;
}

} // namespace

int CheckEngineFreshness(int bEngineUpdateFound)
{
    // Without the update program on the disc the engine is not looked at.
    return bEngineUpdateFound ? IsEngineUpdateNeeded(g_szCommonFilesDir) : 0;
}

void RunEngineUpdate()
{
    KillEngineProcesses();
    UpdateEngine(ChooseEngineUpdateRoot(PathFileExistsA(".\\AppInst\\setup.exe")), g_szCommonFilesDir);
}

void ImportDriverRegistryFile(int nOsCode)
{
    if (!IsDriverImportSystem(nOsCode))
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
