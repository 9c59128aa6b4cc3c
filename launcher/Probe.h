// Start-up environment probe: language, Windows version, common files folder.
#pragma once

#include "services/OsIdentify.h"
#include "services/Registry.h"

// Step 6: sets g_szLanguageCode (left empty when no code could be had).
void ProbeLanguage();

// Step 7: fills the zeroed record and returns its OsCode (0 when the version
// query failed).
int ProbeOs(OsInfo& info);

// Step 9: reads "CommonFilesDir" from the open CurrentVersion key into
// g_szCommonFilesDir (left empty when it cannot be read).
void ProbeCommonFilesDir(CRegistry& registry);

// The key that step 9 opens for the common files folder.
#define CURRENT_VERSION_KEY "Software\\Microsoft\\Windows\\CurrentVersion"
