// Which product the disc carries, its setup program, and where the engine
// update program is looked for. All paths are relative to the launcher's
// folder, the current directory.
#pragma once

#include "launcher/ProductTable.h"

// Step 10: the first product folder of the table that exists.
void ResolveProductFolder(ProductLocation& location);

// Step 11: the plain, language and English setup program probes.
void ResolveSetupProgram(ProductLocation& location);

// Opening of step 12: looks for the engine update program under
// szEngineRoot and logs its absence. Returns bEngineUpdateFound.
int ProbeEngineUpdate(ProductLocation& location);
