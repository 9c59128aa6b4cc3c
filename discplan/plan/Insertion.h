// The disc's insertion as each system meets it: its autorun.inf read from
// the tree that system reads, in its code page, and the row that follows
// (Setup.exe's plan with the command line the shell hands it, or another
// program that starts instead).
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "discplan/input/AutorunInf.h"
#include "discplan/plan/DiscPlan.h"

// The autorun.inf of each tree as each code page and family of Windows
// reads it, read from the tree once.
class CAutorunFiles
{
public:
    const AutorunFile& Get(const CDiscSource& source, const PlanInput& input);

private:
    std::map<std::tuple<const CDiscSource*, unsigned, int>, AutorunFile> m_files;
};

struct SystemInsertion
{
    const AutorunFile*       pFile = nullptr; // held by the CAutorunFiles it was read through
    AutorunTask              task;
    int                      bLauncher = 0; // the task names the launcher at the root
    int                      bFound    = 0; // what it names is on the disc (the launcher always is)
    std::vector<std::string> found;         // where, names as the source lists them
};

// autorun.inf and its task for input's system and code page (b64Bit: its
// 64-bit edition) over source, the tree that system reads.
SystemInsertion ReadInsertion(CAutorunFiles& files, const CDiscSource& source, const PlanInput& input, int b64Bit);

// The input of the insertion's row for asked's system, language and the
// rest: 1 with *pInput (origin "insertion", the command line the program
// receives, the insertion) when the system runs or offers a program of the
// disc's autorun.inf; 0 when nothing is run or offered. 64-bit only systems
// are planned as such; systems in both forms as 32-bit.
int InsertionInput(CAutorunFiles& files, const CDiscSource& source, const PlanInput& asked, PlanInput* pInput);

// What a system does on insertion, in words: "start Setup.exe /s", "offer
// "Run Setup.exe" for Setup.exe /s", "start nothing".
std::string InsertionOutcome(const SystemInsertion& read);

// The row of an insertion that starts another program than the launcher:
// no plan of Setup.exe, only the system's own facts.
Plan OtherProgramPlan(const PlanInput& input);
