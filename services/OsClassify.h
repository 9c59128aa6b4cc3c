// Classification of the Windows version data into an OsCode and a
// description. Pure code: the version query and the one registry value it may
// need are read by the caller (services/OsIdentify.cpp), so the whole
// decision table runs without Windows.
#pragma once

#include <stddef.h>
#include <stdint.h>

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

// Platform identifiers as the version query reports them.
const uint32_t OS_PLATFORM_WIN32S  = 0;
const uint32_t OS_PLATFORM_WINDOWS = 1; // the 95/98/Me family
const uint32_t OS_PLATFORM_NT      = 2;

// Size of the description buffer (the record's szDescription).
const size_t OS_DESCRIPTION_SIZE = 256;

// Size of the buffer that the "VersionNumber" value is read into.
const uint32_t OS_VERSION_NUMBER_SIZE = 260;

// The version data that the classification looks at.
struct OsVersionData
{
    uint32_t    dwPlatformId;
    uint32_t    dwMajorVersion;
    uint32_t    dwMinorVersion;
    uint32_t    dwBuildNumber;  // as reported; the 9x family keeps its version in the high 16 bits
    const char* szCSDVersion;   // the service pack text, terminated
};

// Reads the registry value "VersionNumber" of the CurrentVersion key into
// pBuffer, which the caller has zero-filled (cbBuffer bytes). 1 when read.
typedef int (*PFN_READ_VERSION_NUMBER)(char* pBuffer, uint32_t cbBuffer);

// Decides the OsCode and writes the description into szDescription
// (OS_DESCRIPTION_SIZE bytes, cleared first, always terminated). The reader
// is called only for platform 1, minor 10 without the " A" service pack mark,
// to tell Windows Me ("4.90.3000") from the first Windows 98.
int ClassifyOs(const OsVersionData& data, PFN_READ_VERSION_NUMBER pfnReadVersionNumber, char* szDescription);
