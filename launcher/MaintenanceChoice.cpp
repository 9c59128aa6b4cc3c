#include "launcher/MaintenanceChoice.h"

#include "engine/EngineNames.h"
#include "services/OsClassify.h"

const char* const g_rgszDriverRegistryFiles[] = {"Drvs\\Bin\\express.reg", "Drivers\\Bin\\express.reg"};
const size_t      g_nDriverRegistryFiles      = sizeof(g_rgszDriverRegistryFiles) / sizeof(g_rgszDriverRegistryFiles[0]);

int IsAdministratorRequired(int nOsCode) { return nOsCode >= OS_WIN2000 ? 1 : 0; }

const char* ChooseEngineUpdateRoot(int bAppInstSetupExists)
{
    return bAppInstSetupExists ? ENGINE_UPDATE_ROOT_APPINST : ENGINE_UPDATE_ROOT_TECHSUPT;
}

int IsDriverImportSystem(int nOsCode) { return nOsCode == OS_WINXP ? 1 : 0; }
