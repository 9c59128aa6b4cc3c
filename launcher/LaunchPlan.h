// Step 19, the choice of the one program of a run and its start. Pure code
// over a host that answers for the disc and the machine: Setup.exe runs it on
// the running system, discplan on a disc folder, so both take the same
// decisions.
#pragma once

#include "launcher/LaunchHost.h"
#include "launcher/ProductTable.h"

// Starts at most one program through the host and returns the exit code.
// bHasSwitch: the command line holds a slash.
int ChooseAndLaunch(CLaunchHost& host, const LaunchFacts& facts, const ProductLocation& location,
                    int bHasSwitch);
