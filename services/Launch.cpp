#include "services/Launch.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "services/Bounded.h"
#include "services/Log.h"

namespace {

// Sizes of the copies handed to the shell.
const DWORD LAUNCH_TEXT_SIZE = 520;

} // namespace

int LaunchCmdline(const char* szFile, const char* szParams, DWORD dwWaitMs, int nShow)
{
    if (szFile == nullptr)
        return 0;

    // Callers keep both texts within 519 bytes; a longer one is cut here
    // rather than written past the copy.
    char szFileCopy[LAUNCH_TEXT_SIZE]   = {};
    char szParamsCopy[LAUNCH_TEXT_SIZE] = {};
    CopyStringBounded(szFileCopy, LAUNCH_TEXT_SIZE, szFile);

    // The test is made on the path as written: the shell alone might find a
    // bare name through the search path, the launcher does not want it to.
    if (!PathFileExistsA(szFileCopy))
    {
        WriteLog("LaunchCmdline - cant find szFile %s\n", szFileCopy);
        return 0;
    }
    if (szParams != nullptr)
        CopyStringBounded(szParamsCopy, LAUNCH_TEXT_SIZE, szParams);

    WriteLog("LaunchCmdline::Launching %s %s\n", szFileCopy, szParamsCopy);

    SHELLEXECUTEINFOA sei;
    ZeroMemory(&sei, sizeof(sei));
    sei.cbSize       = sizeof(sei);
    sei.fMask        = dwWaitMs != 0 ? SEE_MASK_NOCLOSEPROCESS : 0;
    sei.lpVerb       = "open";
    sei.lpFile       = szFileCopy;
    sei.lpParameters = szParamsCopy;
    sei.nShow        = nShow;
    const int nResult = ShellExecuteExA(&sei) ? 1 : 0;

    // A finite wait that runs out leaves the program running; only the
    // launcher's handle to it is closed.
    if (dwWaitMs != 0)
        WaitForSingleObject(sei.hProcess, dwWaitMs);
    if (sei.hProcess != nullptr)
        CloseHandle(sei.hProcess);
    return nResult;
}
