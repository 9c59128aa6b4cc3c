// Which product the disc carries, its setup program, and where the engine
// update program is looked for. All paths are relative to the launcher's
// folder, the current directory.
#pragma once

#include <windows.h>

struct ProductLocation
{
    char szProductFolder[MAX_PATH]; // ".\Dusmara\", "AppInst\" or empty
    char szProductName[MAX_PATH];   // "Dusmara", or empty
    char szEngineRoot[MAX_PATH];    // "TechSupt", ".\Talvenor" or ".\AppInst"
    char szSetupProgram[MAX_PATH];  // the product setup program to start
    int  bSetupFound;               // the plain probe found szSetupProgram
    char szEngineUpdateProbe[MAX_PATH]; // ".\<root>\IKernelUpdate\Setup.exe"
    int  bEngineUpdateFound;        // the engine update program exists
};

// Step 10: the first product folder of the table that exists.
void ResolveProductFolder(ProductLocation& location);

// Step 11: the plain, language and English setup program probes.
void ResolveSetupProgram(ProductLocation& location);

// Opening of step 12: looks for the engine update program under
// szEngineRoot and logs its absence. Returns bEngineUpdateFound.
int ProbeEngineUpdate(ProductLocation& location);
