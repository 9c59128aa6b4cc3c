// What the launcher does to the machine before it launches anything.
#pragma once

#include <windows.h>

// Step 12: 1 when the engine update program exists and the installed engine
// needs it (the bEngineStale flag).
int CheckEngineFreshness(int bEngineUpdateFound);

// Step 13 (AdminGate.cpp): on Windows 2000 and later NT versions, 0 when the user is not an
// administrator (after showing the localised message); 1 to go on.
int PassAdministratorGate(HINSTANCE hInstance, int nOsCode);

// Step 14: closes the engine processes and runs the engine update.
void RunEngineUpdate();

// Step 17: on Windows XP, imports the disc's driver registry file.
void ImportDriverRegistryFile(int nOsCode);
