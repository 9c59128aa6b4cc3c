// The start-up environment probe of the launcher, run on its own: prints what
// steps 6, 7 and 9 of the entry sequence find on this system.
//
//   lang <TAB> language code
//   os <TAB> OsCode <TAB> description
//   version <TAB> platform <TAB> major <TAB> minor <TAB> build <TAB> service pack text <TAB> record size
//   common <TAB> common files folder
//
// The end-to-end tests copy it as "Setup.exe" so that Wine's per-program
// version setting for the launcher applies to it.
#include <stdio.h>
#include <windows.h>

#include "launcher/Globals.h"
#include "launcher/Probe.h"

int main()
{
    ProbeLanguage();
    OsInfo info;
    ZeroMemory(&info, sizeof(info));
    const int nOsCode = ProbeOs(info);
    CRegistry registry(CURRENT_VERSION_KEY, HKEY_LOCAL_MACHINE, FALSE);
    ProbeCommonFilesDir(registry);

    printf("lang\t%s\n", g_szLanguageCode);
    printf("os\t%d\t%s\n", nOsCode, info.szDescription);
    printf("version\t%lu\t%lu\t%lu\t%lu\t%s\t%lu\n", info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
           info.dwBuildNumber, info.szCSDVersion, info.dwOSVersionInfoSize);
    printf("common\t%s\n", g_szCommonFilesDir);
    return 0;
}
