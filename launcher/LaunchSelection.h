// Choosing and starting the one program of a run.
#pragma once

#include "launcher/ProductFolder.h"
#include "services/Settings.h"

// 1 when szKeyword (lower case) occurs in the lower-cased command line.
int HasSwitch(const char* szKeyword);

// Step 16: g_szSetupIniPath = the launcher's folder joined with "Setup.ini".
void BuildSetupIniPath();

// Step 19: starts at most one program and returns the exit code.
int SelectAndLaunch(const ProductLocation& location, int bHasSwitch, LaunchSettings& settings);
