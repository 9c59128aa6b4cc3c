#include "launcher/Probe.h"

#include <stdlib.h>

#include "launcher/Globals.h"
#include "services/Bounded.h"
#include "services/Language.h"

void ProbeLanguage()
{
    char* szCode = GetLanguageCode();
    if (szCode == nullptr)
        return;
    CopyStringBounded(g_szLanguageCode, MAX_PATH, szCode);
    free(szCode);
}

int ProbeOs(OsInfo& info)
{
    // The record, not the result, carries the code: a failed version query
    // leaves the zeroed record, so the launcher sees 0 rather than -1.
    IdentifyOs(&info);
    return info.nOsCode;
}

void ProbeCommonFilesDir(CRegistry& registry)
{
    DWORD cbCapacity = MAX_PATH;
    registry.ReadString("CommonFilesDir", g_szCommonFilesDir, &cbCapacity);
}
