// Setup.exe on a volume whose 8.3 names are switched off: the real launcher
// sequence with GetShortPathNameW giving the long name back, as Windows does
// there. Wine always makes short names, so only this seam reaches the case
// end to end. SHORT_NAME_MODE=fail makes the function fail instead.
#include <windows.h>

#include "launcher/ModuleFolder.h"
#include "launcher/Sequence.h"

namespace {

DWORD WINAPI NoShortName(LPCWSTR wszLong, LPWSTR wszShort, DWORD cchShort)
{
    char szMode[16] = {};
    GetEnvironmentVariableA("SHORT_NAME_MODE", szMode, sizeof(szMode));
    if (lstrcmpA(szMode, "fail") == 0)
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const DWORD cchLong = static_cast<DWORD>(lstrlenW(wszLong));
    if (cchLong >= cchShort)
        return cchLong + 1;
    lstrcpyW(wszShort, wszLong);
    return cchLong;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR szCmdLine, int)
{
    SetShortPathNameFunction(NoShortName);
    return RunSetup(hInstance, szCmdLine);
}
