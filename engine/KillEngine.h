// Ending the installer engine's running processes.
#pragma once

// Closes (or terminates) the first process running "IKernel.exe" and the
// first running "knlwrap.exe", logging each one found.
void KillEngineProcesses();
