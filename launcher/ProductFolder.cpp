#include "launcher/ProductFolder.h"

#include <shlwapi.h>

#include "launcher/Globals.h"
#include "services/Log.h"

namespace {

int PathExists(const char* szPath) { return PathFileExistsA(szPath) ? 1 : 0; }

} // namespace

void ResolveProductFolder(ProductLocation& location) { FindProductFolder(location, PathExists); }

void ResolveSetupProgram(ProductLocation& location)
{
    FindSetupProgram(location, g_szLanguageCode, PathExists);
}

int ProbeEngineUpdate(ProductLocation& location)
{
    FindEngineUpdate(location, PathExists);
    if (!location.bEngineUpdateFound)
        WriteLog("IkernelUpdate not found in %s\n", location.szEngineUpdateProbe);
    return location.bEngineUpdateFound;
}
