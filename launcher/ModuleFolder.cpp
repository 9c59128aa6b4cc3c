#include "launcher/ModuleFolder.h"

#include <shlwapi.h>

#include "services/AnsiText.h"
#include "services/Bounded.h"
#include "services/ProcAddress.h"

namespace {

typedef DWORD(WINAPI* PFN_GET_MODULE_FILE_NAME_W)(HMODULE hModule, LPWSTR wszName, DWORD cchName);

// The longest path the Unicode functions know (the "\\?\" form), terminator
// included: the module's Unicode name always fits, so only the ANSI one can
// be cut.
const DWORD LONG_PATH = 32768;

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

// A Unicode path buffer of LONG_PATH characters on the process heap (64 KiB
// would need a probed stack frame), freed at the end of its owner's life.
class CLongPath
{
public:
    CLongPath() : m_wszPath(static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, LONG_PATH * sizeof(wchar_t)))) {}
    ~CLongPath()
    {
        if (m_wszPath != nullptr)
            HeapFree(GetProcessHeap(), 0, m_wszPath);
    }

    wchar_t* Get() const { return m_wszPath; }

private:
    wchar_t* m_wszPath;

    CLongPath(const CLongPath&)            = delete;
    CLongPath& operator=(const CLongPath&) = delete;
};

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

// Ends a cut ANSI name after its last whole character: a lead byte without
// its trail byte would join the next byte written after it (in the log).
void DropCutCharacter(char* szName)
{
    for (char* p = szName; *p != '\0'; ++p)
    {
        if (IsDBCSLeadByte(static_cast<BYTE>(*p)))
        {
            if (p[1] == '\0')
            {
                *p = '\0';
                return;
            }
            ++p;
        }
    }
}

} // namespace

ModuleFolderName LocateModuleFolder(char* szFolder)
{
    // A name that fills the buffer is cut: Windows XP and older return the
    // buffer's size and leave it unterminated, later systems terminate it.
    const DWORD cchAnsi    = GetModuleFileNameA(nullptr, szFolder, MAX_PATH);
    const bool  bAnsiWhole = cchAnsi != 0 && cchAnsi < MAX_PATH;
    if (cchAnsi == 0)
        szFolder[0] = '\0';
    szFolder[MAX_PATH - 1] = '\0';

    // Windows 95, 98 and Me have GetModuleFileNameW only as a stub that
    // fails: the ANSI name is all there is.
    PFN_GET_MODULE_FILE_NAME_W pfnGetModuleFileName =
        GetProcAddressAs<PFN_GET_MODULE_FILE_NAME_W>(Kernel32(), "GetModuleFileNameW");
    CLongPath   module;
    const DWORD cchModule = pfnGetModuleFileName != nullptr && module.Get() != nullptr
                                ? pfnGetModuleFileName(nullptr, module.Get(), LONG_PATH)
                                : 0;
    if (cchModule == 0 || cchModule >= LONG_PATH)
    {
        if (!bAnsiWhole)
        {
            DropCutCharacter(szFolder);
            return FOLDER_UNNAMEABLE;
        }
        PathRemoveFileSpecA(szFolder);
        return FOLDER_AS_IS;
    }
    RemoveFileName(module.Get());

    // Only the folder counts: a launcher renamed with such a character, or
    // whose own name is what passes 259 bytes, still finds its folder.
    char                 szConverted[MAX_PATH];
    const AnsiConversion conversion = ConvertToAnsi(module.Get(), szConverted, MAX_PATH);
    if (conversion == ANSI_EXACT)
    {
        CopyStringBounded(szFolder, MAX_PATH, szConverted);
        return FOLDER_AS_IS;
    }

    // For the log: the ANSI name with its default characters, or as far as
    // it was written. Wine ends a name cut inside a double-byte character
    // before that character and reports it whole: the conversion tells.
    const bool bCut = !bAnsiWhole || conversion == ANSI_TOO_LONG;
    if (bCut)
        DropCutCharacter(szFolder);
    else
        PathRemoveFileSpecA(szFolder);
    // A conversion that gives nothing at all says nothing against a whole
    // ANSI name.
    if (conversion == ANSI_FAILED && !bCut)
        return FOLDER_AS_IS;

    // A volume without short names gives the long name back, which converts
    // with the same loss, or as long.
    wchar_t     wszShort[MAX_PATH];
    const DWORD cchShort = g_pfnGetShortPathName(module.Get(), wszShort, MAX_PATH);
    if (cchShort == 0 || cchShort >= MAX_PATH || ConvertToAnsi(wszShort, szConverted, MAX_PATH) != ANSI_EXACT)
        return FOLDER_UNNAMEABLE;
    CopyStringBounded(szFolder, MAX_PATH, szConverted);
    return conversion == ANSI_TOO_LONG ? FOLDER_SHORT_NAME_TOO_LONG : FOLDER_SHORT_NAME;
}

PFN_GET_SHORT_PATH_NAME_W SetShortPathNameFunction(PFN_GET_SHORT_PATH_NAME_W pfnGetShortPathName)
{
    PFN_GET_SHORT_PATH_NAME_W pfnPrevious = g_pfnGetShortPathName;
    g_pfnGetShortPathName                 = pfnGetShortPathName;
    return pfnPrevious;
}
