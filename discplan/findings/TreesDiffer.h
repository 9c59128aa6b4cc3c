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
