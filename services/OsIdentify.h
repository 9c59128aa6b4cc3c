// Windows version identification: the version query and its OsCode.
#pragma once

#include <windows.h>

// OsCode values the launcher acts on.
enum OsCodeValue
{
    OS_UNKNOWN     = -1,
    OS_WIN32S      = 1,
    OS_WIN95       = 2,
    OS_WIN98       = 3,
    OS_WIN98SE     = 4,
    OS_WINME       = 5,
    OS_WINNT4      = 6,
    OS_WIN2000     = 7,
    OS_WINXP       = 8,
    OS_WINXP64     = 9,
    OS_WINVISTA    = 10,
};

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
