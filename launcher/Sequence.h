// The launcher's one fixed sequence, from locating its own folder to
// starting one installer.
#pragma once

#include <windows.h>

// Runs the whole sequence and returns the process exit code. hInstance is the
// launcher's module (for its string resources); szCmdLine is the command line
// without the program's own name.
int RunSetup(HINSTANCE hInstance, const char* szCmdLine);
