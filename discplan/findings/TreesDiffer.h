// The finding that the trees different systems read on a disc image change
// what Setup.exe does (image-trees-differ).
#pragma once

#include <vector>

#include "discplan/input/DiscInput.h"
#include "discplan/plan/DiscPlan.h"

// Plans each planned combination also over the other trees that systems
// read; where what is started, how, or the exit code differs, adds one
// error per pair of trees to every row planned from either of them, naming
// the systems on each side, the first combination that differs and the
// first difference between the trees that explains it.
void AddTreesDifferFinding(const CDiscInput& disc, std::vector<Plan>& plans);

// What a plan does, step by step, in words ("start .\Tilmar\setup.exe", "exit
// with 0"): two plans of one combination differ where these first differ.
std::vector<std::string> PlanSteps(const Plan& plan);

// The first step where two plans differ; steps.size() when they agree.
size_t FirstDifferentStep(const std::vector<std::string>& stepsA, const std::vector<std::string>& stepsB);

// One of two sources of a disc that are compared, and its name ("the Joliet
// tree", "the folder it was mastered from").
struct DiscSide
{
    const CDiscSource* pSource;
    std::string        name;
};

// The difference between two sources that explains why two plans of the
// same combination over them differ: on the way to something either plan
// starts, reads or looks for, else the first of all.
std::string ExplainingDifference(const DiscSide& a, const DiscSide& b, const Plan& planA, const Plan& planB);

// The disc path (names from the root) of a path a plan names: relative to
// the launcher's folder (".\x"), or full at the disc's Windows folder at;
// empty for a path elsewhere.
std::vector<std::string> DiscPath(const std::string& path, const std::string& at);

// "no command line", "\"/s\"".
std::string CmdlineName(const std::string& cmdline);
