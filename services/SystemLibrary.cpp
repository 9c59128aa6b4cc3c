#include "services/SystemLibrary.h"

#include "services/Format.h"
#include "services/ProcAddress.h"

namespace {

HMODULE LoadFromSystemFolder(const char* szName)
{
    char szPath[MAX_PATH];
    UINT nLength = GetSystemDirectoryA(szPath, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return nullptr;
    if (FormatBounded(szPath + nLength, MAX_PATH - nLength, "\\%s", szName) >= MAX_PATH - nLength)
        return nullptr;
    // The altered search path makes the library's own imports resolve from
    // the system folder too.
    return LoadLibraryExA(szPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

PFN_LOAD_SYSTEM_LIBRARY g_pfnLoadSystemLibrary = LoadFromSystemFolder;

} // namespace

HMODULE LoadSystemLibrary(const char* szName) { return g_pfnLoadSystemLibrary(szName); }

PFN_LOAD_SYSTEM_LIBRARY SetSystemLibraryLoader(PFN_LOAD_SYSTEM_LIBRARY pfnLoader)
{
    PFN_LOAD_SYSTEM_LIBRARY pfnPrevious = g_pfnLoadSystemLibrary;
    g_pfnLoadSystemLibrary              = pfnLoader;
    return pfnPrevious;
}

void RestrictDllSearchToSystem()
{
    typedef BOOL(WINAPI * PFN_SET_DEFAULT_DLL_DIRECTORIES)(DWORD);
    const DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

    PFN_SET_DEFAULT_DLL_DIRECTORIES pfnSet = GetProcAddressAs<PFN_SET_DEFAULT_DLL_DIRECTORIES>(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (pfnSet != nullptr)
        pfnSet(kSearchSystem32);
}
