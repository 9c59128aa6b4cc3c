// The product folders a disc may carry and how the setup program is chosen
// among them. Pure code over an existence test, shared with the native build.
#pragma once

#include <stddef.h>

// Size of every path buffer of the launcher (259 characters and a terminator).
const size_t PATH_SIZE = 260;

// Tests whether a path (relative to the launcher's folder) names an existing
// file or folder.
typedef int (*PFN_PATH_EXISTS)(const char* szPath);

// One row of the product folder table.
struct ProductRow
{
    const char* szProbe;      // the folder whose existence selects the row
    const char* szFolder;     // stored in szProductFolder
    const char* szName;       // stored in szProductName; null: left as it is
    const char* szEngineRoot; // stored in szEngineRoot; null: left as it is
};

// The table, in probe order; the first existing folder wins.
extern const ProductRow g_productRows[];
extern const size_t     g_nProductRows;

struct ProductLocation
{
    char szProductFolder[PATH_SIZE];     // ".\Dusmara\", "AppInst\" or empty
    char szProductName[PATH_SIZE];       // "Dusmara", or empty
    char szEngineRoot[PATH_SIZE];        // "TechSupt", ".\Talvenor" or ".\AppInst"
    char szSetupProgram[PATH_SIZE];      // the product setup program to start
    int  bSetupFound;                    // the plain probe found szSetupProgram
    char szEngineUpdateProbe[PATH_SIZE]; // where the engine update program is looked for
    int  bEngineUpdateFound;             // it exists
};

// Sets szEngineRoot to "TechSupt", clears folder and name, then stores the
// values of the first row whose probe folder exists.
void FindProductFolder(ProductLocation& location, PFN_PATH_EXISTS pfnExists);

// Sets szSetupProgram and bSetupFound: the plain setup.exe in the product
// folder (or beside the launcher), else the one in the language folder,
// else the English one, untested. szLanguage may be empty.
void FindSetupProgram(ProductLocation& location, const char* szLanguage, PFN_PATH_EXISTS pfnExists);

// Sets szEngineUpdateProbe from szEngineRoot and bEngineUpdateFound.
void FindEngineUpdate(ProductLocation& location, PFN_PATH_EXISTS pfnExists);

// 1 when szProgram is the bare name "setup.exe" in any letter case: with no
// product folder on the disc, that is the launcher itself.
int IsLauncherItself(const char* szProgram);
