#include "launcher/Sequence.h"

#include <shlwapi.h>

#include "launcher/Globals.h"
#include "launcher/LaunchSelection.h"
#include "launcher/Maintenance.h"
#include "launcher/ModuleFolder.h"
#include "launcher/Probe.h"
#include "launcher/ProductFolder.h"
#include "services/Bounded.h"
#include "services/Log.h"
#include "services/SystemLibrary.h"

namespace {

// Step 5: 1 when this is the only launcher. The event is never closed: the
// system closes it when the process ends, so its name marks a running
// launcher for that launcher's whole life, waits included.
int IsOnlyInstance(CSyncLock& lock)
{
    // The mutex makes create-then-test atomic between launchers started at the
    // same moment. Whether the wait worked is not looked at: the test runs anyway.
    lock.Lock(INFINITE);
    CreateEventA(nullptr, TRUE, FALSE, SETUP_EVENT_NAME);
    if (GetLastError() == ERROR_ALREADY_EXISTS)
    {
        WriteLog("A duplicate is already running. Exiting...\n");
        lock.Unlock();
        return 0;
    }
    lock.Unlock();
    return 1;
}

} // namespace

int RunSetup(HINSTANCE hInstance, const char* szCmdLine)
{
    RestrictDllSearchToSystem();

    // 1. Work relative to the launcher's own folder from here on. Everything
    // built from that folder takes it from g_szModuleFolder.
    const ModuleFolderName folderName = LocateModuleFolder(g_szModuleFolder);
    SetCurrentDirectoryA(g_szModuleFolder);

    // 2. The command line, cut to 259 characters when longer.
    CopyStringBounded(g_szCommandLine, MAX_PATH, szCmdLine != nullptr ? szCmdLine : "");

    // 3. The log file, in the Windows folder's temp subfolder.
    GetWindowsDirectoryA(g_szLogPath, MAX_PATH);
    PathAppendA(g_szLogPath, "temp\\Brivanta.log");

    // 4.
    WriteLog("Entering Setup launcher\n\n");
    if (folderName == FOLDER_SHORT_NAME)
        WriteLog("Folder name not in the system code page, working from its short name %s\n", g_szModuleFolder);
    if (folderName == FOLDER_SHORT_NAME_TOO_LONG)
        WriteLog("Folder name too long in the system code page, working from its short name %s\n", g_szModuleFolder);
    if (folderName == FOLDER_UNNAMEABLE)
    {
        // Every path built from "?" names nothing: starting nothing is said
        // so, rather than reported as success.
        WriteLog("Folder %s cannot be named in the system code page, nothing launched\n", g_szModuleFolder);
        return EXIT_FOLDER_UNNAMEABLE;
    }

    // 5. Single instance.
    CSyncLock lock(&g_SetupMutex, FALSE);
    if (!IsOnlyInstance(lock))
        return EXIT_DUPLICATE;

    // 6, 7. Language and Windows version.
    ProbeLanguage();
    OsInfo osInfo;
    ZeroMemory(&osInfo, sizeof(osInfo));
    const int nOsCode = ProbeOs(osInfo);

    // 8.
    int bEngineStale = 0;

    // 9. Common files folder; the key stays open until the run ends.
    CRegistry registry(CURRENT_VERSION_KEY, HKEY_LOCAL_MACHINE, FALSE);
    ProbeCommonFilesDir(registry);

    // 10, 11. Product folder and setup program.
    ProductLocation location;
    ZeroMemory(&location, sizeof(location));
    ResolveProductFolder(location);
    ResolveSetupProgram(location);

    // 12. Engine freshness, when the disc carries the engine update.
    bEngineStale = CheckEngineFreshness(ProbeEngineUpdate(location));

    // 13. Administrator gate.
    if (!PassAdministratorGate(hInstance, nOsCode))
        return EXIT_DONE;

    // 14. Engine update.
    if (bEngineStale)
        RunEngineUpdate();

    // 15, 16. Switches and Setup.ini.
    const int bHasSwitch = HasSwitch("/");
    BuildSetupIniPath();

    // 17. Driver registry import (Windows XP only).
    ImportDriverRegistryFile(nOsCode);

    // 18, 19. Launch selection.
    LaunchSettings settings(g_szSetupIniPath);
    return SelectAndLaunch(location, bHasSwitch, settings);

    // 20. The settings reader, the registry key and the lock end here, in
    // that order.
}
