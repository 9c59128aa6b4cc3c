// Loading the system's own DLLs. A bare-name LoadLibrary searches the
// program's folder first, so a DLL planted beside Setup.exe on a download
// folder would be loaded in place of the system's. Every library the launcher
// loads at run time goes through LoadSystemLibrary, which names the file by
// its full path in the system folder.
#pragma once

#include <windows.h>

// Loads szName (such as "PSAPI.DLL") from the system folder; null on failure.
HMODULE LoadSystemLibrary(const char* szName);

// Makes the system folder the only default DLL search location, where the
// system offers SetDefaultDllDirectories (looked up at run time: older
// systems lack it).
void RestrictDllSearchToSystem();

// Test seam: replaces the loader behind LoadSystemLibrary and returns the
// previous one. Production code never calls it.
typedef HMODULE (*PFN_LOAD_SYSTEM_LIBRARY)(const char* szName);
PFN_LOAD_SYSTEM_LIBRARY SetSystemLibraryLoader(PFN_LOAD_SYSTEM_LIBRARY pfnLoader);
