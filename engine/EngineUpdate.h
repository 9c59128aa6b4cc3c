// The installer engine's freshness check and its silent update.
#pragma once

// 1 when "ctor.dll", "iuser.dll", "ikernel.exe" and "objectps.dll" in
// szEngineFolder and "InstallShield\IScript\iscript.dll" under
// szCommonFilesDir all exist and carry the required version; 0 otherwise.
// Each missing file is logged and the test goes on; the first outdated file
// of the engine folder ends it; an outdated "iscript.dll" is logged as
// needing the update. A path longer than 255 characters counts as missing.
int CheckEngineFiles(const char* szEngineFolder, const char* szCommonFilesDir);

// 1 when the engine in the common files folder szCommonFilesDir needs the
// update; 0, after logging that the update is skipped, when it is current.
int IsEngineUpdateNeeded(const char* szCommonFilesDir);

// Closes the engine's processes, waits half a second, runs
// ".\<szRoot>\IKernelUpdate\Setup.exe -s" to its end and checks the engine
// again in szCommonFilesDir, logging when it is still not current. Always 0.
int UpdateEngine(const char* szRoot, const char* szCommonFilesDir);
