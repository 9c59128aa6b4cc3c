// What looks wrong on a disc: in one planned run (AddRunFindings) and in the
// disc's layout for every run of a code page (CheckDisc).
#pragma once

#include <string>
#include <vector>

#include "discplan/plan/DiscPlan.h"

// What the plan learnt in a run that the findings speak of.
struct RunFacts
{
    int         bHasSwitch;      // the command line holds a slash
    int         bSilent;         // "/s"
    int         bWebRelease;     // "webrelease"
    int         bKeyword;        // any keyword of the command line
    int         bLauncherItself; // the setup program is Setup.exe itself
    int         bSetupMissing;   // the setup program was assumed and is not on the disc
    int         bIniPathTooLong; // Setup.ini exists but its path does not fit
    std::string driverTooLong;   // a driver registry file whose path does not fit
    std::string at;              // the disc's Windows folder
};

// Adds the findings of a planned run, from its log, starts and facts.
void AddRunFindings(const RunFacts& facts, Plan& plan);

// Findings about the disc itself as systems of the input's code page read
// it, whatever the system class and command line.
std::vector<Finding> CheckDisc(const CDiscSource& source, const PlanInput& input);
