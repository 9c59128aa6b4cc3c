// Windows version identification: the version query and its OsCode.
#pragma once

#include <windows.h>

#include "services/OsClassify.h" // OsCodeValue

// The caller's record of the version query; zero-filled by the caller.
struct OsInfo
{
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char  szCSDVersion[256];
    char  szDescription[256];
    WORD  wServicePackMajor;
    WORD  wServicePackMinor;
    int   nOsCode;
};

// Queries the version, fills pInfo and returns the OsCode. A null record
// gives 0; a system that answers neither form of the query gives -1 and
// leaves the record untouched.
int IdentifyOs(OsInfo* pInfo);

// Test seam: replaces the version query (GetVersionExA by default) and
// returns the previous one. Production code never calls it.
typedef BOOL(WINAPI* PFN_GET_VERSION_EX)(OSVERSIONINFOA* pVersionInfo);
PFN_GET_VERSION_EX SetVersionQuery(PFN_GET_VERSION_EX pfnQuery);

// Reads "VersionNumber" of HKEY_LOCAL_MACHINE's CurrentVersion key into the
// caller's zero-filled buffer; 1 when read. The value's type is not looked at.
int ReadVersionNumber(char* pBuffer, uint32_t cbBuffer);
