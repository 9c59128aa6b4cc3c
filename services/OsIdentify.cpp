#include "services/OsIdentify.h"

#include "services/Bounded.h"

namespace {

PFN_GET_VERSION_EX g_pfnGetVersionEx = GetVersionExA;

} // namespace

PFN_GET_VERSION_EX SetVersionQuery(PFN_GET_VERSION_EX pfnQuery)
{
    PFN_GET_VERSION_EX pfnPrevious = g_pfnGetVersionEx;
    g_pfnGetVersionEx              = pfnQuery;
    return pfnPrevious;
}

int ReadVersionNumber(char* pBuffer, uint32_t cbBuffer)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", &hKey) != ERROR_SUCCESS)
        return 0;
    DWORD      cbData = cbBuffer;
    const LONG lRead  = RegQueryValueExA(hKey, "VersionNumber", nullptr, nullptr, reinterpret_cast<BYTE*>(pBuffer), &cbData);
    RegCloseKey(hKey);
    return lRead == ERROR_SUCCESS;
}

int IdentifyOs(OsInfo* pInfo)
{
    // The extended form first; systems before NT 4 SP6 accept only the basic one.
    OSVERSIONINFOEXA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    const BOOL bExtended        = g_pfnGetVersionEx(reinterpret_cast<OSVERSIONINFOA*>(&version));
    if (!bExtended)
    {
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!g_pfnGetVersionEx(reinterpret_cast<OSVERSIONINFOA*>(&version)))
            return OS_UNKNOWN;
    }
    if (pInfo == nullptr)
        return 0;

    // The system terminates the text; the last byte is cleared all the same.
    version.szCSDVersion[sizeof(version.szCSDVersion) - 1] = '\0';

    pInfo->dwOSVersionInfoSize = version.dwOSVersionInfoSize;
    pInfo->dwMajorVersion      = version.dwMajorVersion;
    pInfo->dwMinorVersion      = version.dwMinorVersion;
    pInfo->dwBuildNumber       = version.dwBuildNumber;
    pInfo->dwPlatformId        = version.dwPlatformId;
    CopyStringBounded(pInfo->szCSDVersion, sizeof(pInfo->szCSDVersion), version.szCSDVersion);
    if (bExtended)
    {
        pInfo->wServicePackMajor = version.wServicePackMajor;
        pInfo->wServicePackMinor = version.wServicePackMinor;
    }

    const OsVersionData data = {version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion,
                                version.dwBuildNumber, pInfo->szCSDVersion};
    pInfo->nOsCode           = ClassifyOs(data, ReadVersionNumber, pInfo->szDescription);
    return pInfo->nOsCode;
}
