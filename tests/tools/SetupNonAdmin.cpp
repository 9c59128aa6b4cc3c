// Setup.exe as a user outside the Administrators group sees it: the real
// launcher sequence, with "advapi32" loaded from fakeadvapi.dll beside this
// program (which answers "not a member"). Wine's user is always an
// administrator, so only this seam reaches the refusal path end to end.
#include <shlwapi.h>
#include <windows.h>

#include "launcher/Sequence.h"
#include "services/SystemLibrary.h"

namespace {

PFN_LOAD_SYSTEM_LIBRARY g_pfnSystemLoader = nullptr;

HMODULE LoadWithFakeAdvapi(const char* szName)
{
    if (lstrcmpiA(szName, "advapi32") != 0 && lstrcmpiA(szName, "advapi32.dll") != 0)
        return g_pfnSystemLoader(szName);
    char szPath[MAX_PATH];
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    PathRemoveFileSpecA(szPath);
    PathAppendA(szPath, "fakeadvapi.dll");
    return LoadLibraryA(szPath);
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR szCmdLine, int)
{
    SetEnvironmentVariableA("FAKE_ADVAPI_MODE", "notmember");
    g_pfnSystemLoader = SetSystemLibraryLoader(LoadWithFakeAdvapi);
    return RunSetup(hInstance, szCmdLine);
}
