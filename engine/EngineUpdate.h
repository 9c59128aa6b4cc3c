// The installer engine's freshness check and its silent update.
#pragma once

// 1 when all five engine files exist and carry the required version.
int CheckEngineFiles(const char* szEngineFolder, const char* szCommonFilesDir);

// 1 when the engine in the common files folder needs the update.
int IsEngineUpdateNeeded();

// Closes the engine's processes, runs ".\<szRoot>\IKernelUpdate\Setup.exe -s"
// to its end and checks the engine again. Always 0.
int UpdateEngine(const char* szRoot);
