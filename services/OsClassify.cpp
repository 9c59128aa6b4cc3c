#include "services/OsClassify.h"

#include <string.h>

#include "services/Format.h"

namespace {

// The character at index 1 of the service pack text (" A", " C"), or 0 when
// the text is shorter.
char SecondCharacter(const char* szText)
{
    return szText[0] != '\0' ? szText[1] : '\0';
}

// 1 when the CurrentVersion key carries the "VersionNumber" of Windows Me.
int FindsMillenniumVersionNumber(PFN_READ_VERSION_NUMBER pfnReadVersionNumber)
{
    static const char szMillennium[] = "4.90.3000";
    char              szValue[OS_VERSION_NUMBER_SIZE];
    memset(szValue, 0, sizeof(szValue));
    if (pfnReadVersionNumber == nullptr || !pfnReadVersionNumber(szValue, sizeof(szValue)))
        return 0;
    // The whole text, terminator included: a value stored without one still
    // compares within the buffer.
    return memcmp(szValue, szMillennium, sizeof(szMillennium)) == 0;
}

int ClassifyWindows9x(const OsVersionData& data, PFN_READ_VERSION_NUMBER pfnReadVersionNumber, char* szDescription)
{
    // This family reports major and minor version in the high 16 bits of the
    // build number; only the low 16 bits are the build.
    const int nBuild = static_cast<int>(data.dwBuildNumber & 0xFFFF);
    switch (data.dwMinorVersion)
    {
    case 0:
        FormatBounded(szDescription, OS_DESCRIPTION_SIZE, "Windows 95%s",
                      SecondCharacter(data.szCSDVersion) == 'C' ? " OSR2" : "");
        return OS_WIN95;
    case 10:
        if (SecondCharacter(data.szCSDVersion) == 'A')
        {
            FormatBounded(szDescription, OS_DESCRIPTION_SIZE, "Windows 98 Second Edition Build %d", nBuild);
            return OS_WIN98SE;
        }
        if (FindsMillenniumVersionNumber(pfnReadVersionNumber))
        {
            FormatBounded(szDescription, OS_DESCRIPTION_SIZE, "Windows Millenium Build %d", nBuild);
            return OS_WINME;
        }
        FormatBounded(szDescription, OS_DESCRIPTION_SIZE, "Windows 98 Gold Build %d", nBuild);
        return OS_WIN98;
    case 90:
        FormatBounded(szDescription, OS_DESCRIPTION_SIZE, "Windows Millenium Build %d", nBuild);
        return OS_WINME;
    default:
        return OS_UNKNOWN;
    }
}

int ClassifyWindowsNt(const OsVersionData& data, char* szDescription)
{
    const int   nBuild = static_cast<int>(data.dwBuildNumber);
    const char* szCSD  = data.szCSDVersion;
    switch (data.dwMajorVersion)
    {
    case 3:
    case 4:
        return OS_WINNT4;
    case 5:
        switch (data.dwMinorVersion)
        {
        case 0:
            FormatBounded(szDescription, OS_DESCRIPTION_SIZE, "Windows 2000 Build %d %s", nBuild, szCSD);
            return OS_WIN2000;
        case 1:
            FormatBounded(szDescription, OS_DESCRIPTION_SIZE, "Windows XP Build %d %s", nBuild, szCSD);
            return OS_WINXP;
        case 2:
            // Server 2003 and XP x64 alike: product type and suite are not looked at.
            FormatBounded(szDescription, OS_DESCRIPTION_SIZE, "Windows XP x64 Build %d %s", nBuild, szCSD);
            return OS_WINXP64;
        default:
            FormatBounded(szDescription, OS_DESCRIPTION_SIZE, "Windows Build %d %s", nBuild, szCSD);
            return OS_UNKNOWN;
        }
    case 6:
        FormatBounded(szDescription, OS_DESCRIPTION_SIZE, "Windows Vista %d %s", nBuild, szCSD);
        return OS_WINVISTA;
    default:
        return OS_UNKNOWN;
    }
}

} // namespace

int ClassifyOs(const OsVersionData& data, PFN_READ_VERSION_NUMBER pfnReadVersionNumber, char* szDescription)
{
    memset(szDescription, 0, OS_DESCRIPTION_SIZE);
    OsVersionData version = data;
    if (version.szCSDVersion == nullptr)
        version.szCSDVersion = "";

    switch (version.dwPlatformId)
    {
    case OS_PLATFORM_WIN32S:
        FormatBounded(szDescription, OS_DESCRIPTION_SIZE, "Windows 3.1");
        return OS_WIN32S;
    case OS_PLATFORM_WINDOWS:
        return ClassifyWindows9x(version, pfnReadVersionNumber, szDescription);
    case OS_PLATFORM_NT:
        return ClassifyWindowsNt(version, szDescription);
    default:
        return OS_UNKNOWN;
    }
}
