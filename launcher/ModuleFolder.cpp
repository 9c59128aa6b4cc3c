#include "launcher/ModuleFolder.h"

#include <shlwapi.h>

#include "services/AnsiText.h"
#include "services/Bounded.h"
#include "services/ProcAddress.h"

namespace {

typedef DWORD(WINAPI* PFN_GET_MODULE_FILE_NAME_W)(HMODULE hModule, LPWSTR wszName, DWORD cchName);

// The Unicode functions are looked up: the import of a function that a
// system's kernel32 lacks would keep the launcher from loading at all.
HMODULE Kernel32() { return GetModuleHandleA("kernel32.dll"); }

DWORD WINAPI GetShortPathNameFromSystem(LPCWSTR wszLong, LPWSTR wszShort, DWORD cchShort)
{
    PFN_GET_SHORT_PATH_NAME_W pfnGetShortPathName =
        GetProcAddressAs<PFN_GET_SHORT_PATH_NAME_W>(Kernel32(), "GetShortPathNameW");
    return pfnGetShortPathName != nullptr ? pfnGetShortPathName(wszLong, wszShort, cchShort) : 0;
}

PFN_GET_SHORT_PATH_NAME_W g_pfnGetShortPathName = GetShortPathNameFromSystem;

// PathRemoveFileSpecA's cut for a Unicode path: the last backslash goes,
// except the one of a drive root.
void RemoveFileName(wchar_t* wszPath)
{
    wchar_t* pLast = nullptr;
    for (wchar_t* p = wszPath; *p != L'\0'; ++p)
    {
        if (*p == L'\\')
            pLast = p;
    }
    if (pLast == nullptr)
        return;
    if (pLast == wszPath + 2 && wszPath[1] == L':')
        ++pLast;
    *pLast = L'\0';
}

} // namespace

ModuleFolderName LocateModuleFolder(char* szFolder)
{
    GetModuleFileNameA(nullptr, szFolder, MAX_PATH);
    szFolder[MAX_PATH - 1] = '\0'; // older systems leave a cut name unterminated
    PathRemoveFileSpecA(szFolder);

    // Windows 95, 98 and Me have GetModuleFileNameW only as a stub that fails.
    // A name too long for the buffer is left to the ANSI name, as ever.
    PFN_GET_MODULE_FILE_NAME_W pfnGetModuleFileName =
        GetProcAddressAs<PFN_GET_MODULE_FILE_NAME_W>(Kernel32(), "GetModuleFileNameW");
    wchar_t wszFolder[MAX_PATH];
    const DWORD cchModule = pfnGetModuleFileName != nullptr ? pfnGetModuleFileName(nullptr, wszFolder, MAX_PATH) : 0;
    if (cchModule == 0 || cchModule >= MAX_PATH)
        return FOLDER_AS_IS;
    RemoveFileName(wszFolder);

    // Only the folder counts: a launcher renamed with such a character still
    // finds its folder through the ANSI name.
    char szConverted[MAX_PATH];
    if (ConvertToAnsi(wszFolder, szConverted, MAX_PATH) != ANSI_LOSSY)
        return FOLDER_AS_IS;

    // A volume without short names gives the long name back, which converts
    // with the same loss.
    wchar_t     wszShort[MAX_PATH];
    const DWORD cchShort = g_pfnGetShortPathName(wszFolder, wszShort, MAX_PATH);
    if (cchShort == 0 || cchShort >= MAX_PATH || ConvertToAnsi(wszShort, szConverted, MAX_PATH) != ANSI_EXACT)
        return FOLDER_UNNAMEABLE;
    CopyStringBounded(szFolder, MAX_PATH, szConverted);
    return FOLDER_SHORT_NAME;
}

PFN_GET_SHORT_PATH_NAME_W SetShortPathNameFunction(PFN_GET_SHORT_PATH_NAME_W pfnGetShortPathName)
{
    PFN_GET_SHORT_PATH_NAME_W pfnPrevious = g_pfnGetShortPathName;
    g_pfnGetShortPathName                 = pfnGetShortPathName;
    return pfnPrevious;
}
