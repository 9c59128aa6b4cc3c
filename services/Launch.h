// Starting a program through the shell.
#pragma once

#include <windows.h>

// Opens szFile (relative to the current directory, or absolute) with
// szParams (null: none), waits up to dwWaitMs for it to end (0: no wait,
// INFINITE: until it ends) and passes nShow to it unchanged. Nonzero when the
// shell started it; 0 for a null or missing file or a refused start.
int LaunchCmdline(const char* szFile, const char* szParams, DWORD dwWaitMs, int nShow);
