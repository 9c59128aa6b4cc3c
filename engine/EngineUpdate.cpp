#include "engine/EngineUpdate.h"

#include <shlwapi.h>

#include "engine/EngineNames.h"
#include "engine/FileVersion.h"
#include "engine/KillEngine.h"
#include "services/Format.h"
#include "services/Launch.h"
#include "services/Log.h"
#include "services/PathWithin.h"

namespace {

// Size of the path buffers of the engine file test.
const size_t ENGINE_PATH_SIZE = 256;

// Pause between closing the engine's processes and starting the update, so
// that the files they held are free again.
const DWORD ENGINE_UPDATE_PAUSE_MS = 500;

// The engine files tested in the engine folder, in order.
const char* const ENGINE_FOLDER_FILES[] = {ENGINE_FILE_CTOR, ENGINE_FILE_IUSER, ENGINE_FILE_IKERNEL,
                                           ENGINE_FILE_OBJECTPS};

// Builds szFolder\szName in szPath (ENGINE_PATH_SIZE bytes); 1 when the file
// exists. A path that does not fit the buffer counts as a missing file and
// szPath then holds it cut, for the log.
int EngineFileExists(char* szPath, const char* szFolder, const char* szName)
{
    return JoinPathWithin(szPath, ENGINE_PATH_SIZE, szFolder, szName) && PathFileExistsA(szPath);
}

} // namespace

int CheckEngineFiles(const char* szEngineFolder, const char* szCommonFilesDir)
{
    char szPath[ENGINE_PATH_SIZE];
    int  bCurrent = 1;

    // A missing file is logged and the test goes on; an outdated one ends it
    // at once (its comparison line in the log shows which it was).
    for (const char* szName : ENGINE_FOLDER_FILES)
    {
        if (EngineFileExists(szPath, szEngineFolder, szName))
        {
            if (!CheckFileVersion(ENGINE_REQUIRED_VERSION, szPath))
                return 0;
        }
        else
        {
            WriteLog("File %s not found.\n", szPath);
            bCurrent = 0;
        }
    }

    if (!EngineFileExists(szPath, szCommonFilesDir, ENGINE_SCRIPT_FILE))
    {
        WriteLog("File %s not found.\n", szPath);
        return 0;
    }
    if (!CheckFileVersion(ENGINE_REQUIRED_VERSION, szPath))
    {
        WriteLog("%s need to be updated\n", szPath);
        return 0;
    }
    return bCurrent;
}

int IsEngineUpdateNeeded(const char* szCommonFilesDir)
{
    // A common files folder too long for the engine folder leaves it cut;
    // the engine files then count as missing.
    char szEngineFolder[MAX_PATH];
    JoinPathWithin(szEngineFolder, MAX_PATH, szCommonFilesDir, ENGINE_FOLDER);
    if (CheckEngineFiles(szEngineFolder, szCommonFilesDir))
    {
        WriteLog("Skipping Engine update.\n");
        return 0;
    }
    return 1;
}

int UpdateEngine(const char* szRoot, const char* szCommonFilesDir)
{
    char szProgram[MAX_PATH];
    const int bProgramFits = FormatBounded(szProgram, MAX_PATH, ENGINE_UPDATE_PROGRAM, szRoot) < MAX_PATH;

    char szEngineFolder[MAX_PATH];
    const int bKernelFits =
        FormatBounded(szEngineFolder, MAX_PATH, ENGINE_KERNEL_PATH_FORMAT, szCommonFilesDir) < MAX_PATH;

    // A cut program name might name another file: then nothing is started.
    char szFullPath[MAX_PATH] = {};
    if (bProgramFits)
    {
        const DWORD cchFull = GetFullPathNameA(szProgram, MAX_PATH, szFullPath, nullptr);
        if (cchFull == 0 || cchFull >= MAX_PATH)
            szFullPath[0] = '\0';
    }

    // Also when the caller has already done so: the update must not find
    // the engine's files held open.
    KillEngineProcesses();
    Sleep(ENGINE_UPDATE_PAUSE_MS);

    // A missing program is logged by the launch; the test below runs anyway.
    LaunchCmdline(szFullPath, ENGINE_UPDATE_PARAMETERS, INFINITE, SW_SHOWNORMAL);

    // The kernel's folder is the engine folder. A cut kernel path is kept
    // whole: too long for the test's buffers, its files count as missing.
    if (bKernelFits)
        PathRemoveFileSpecA(szEngineFolder);
    if (!CheckEngineFiles(szEngineFolder, szCommonFilesDir))
        WriteLog("IKernel files are not sync after launching update.\n");
    return 0;
}
