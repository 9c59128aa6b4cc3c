// The decisions of the maintenance steps before the launch. Pure code,
// shared by Setup.exe and discplan.
#pragma once

#include <stddef.h>

// Step 13: 1 when the system class asks for an administrator (Windows 2000
// and the later NT versions; Windows 9x and NT 4 are not gated).
int IsAdministratorRequired(int nOsCode);

// Step 14: the disc's root folder the engine update program is run from,
// chosen by this test alone, whatever root the probe of step 12 found it in.
const char* ChooseEngineUpdateRoot(int bAppInstSetupExists);

// Step 17: 1 when the system class gets the driver registry import (Windows XP).
int IsDriverImportSystem(int nOsCode);

// The driver registry files, in the order they are looked for beside the launcher.
extern const char* const g_rgszDriverRegistryFiles[];
extern const size_t      g_nDriverRegistryFiles;
