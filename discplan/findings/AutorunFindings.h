// What is wrong with what a disc's autorun.inf does on insertion, for every
// system as it reads the file from its own tree: no autorun.inf, a program
// or icon that is not on the disc, another program than the launcher, a
// label longer than Windows shows, keys only some systems honour, a 64-bit
// section that changes what starts, and trees of an image that hold other
// autorun.inf files.
#pragma once

#include <vector>

#include "discplan/input/DiscInput.h"
#include "discplan/plan/DiscPlan.h"

// Codes: autorun-missing, autorun-no-task, autorun-program-missing, autorun-not-launcher,
// autorun-icon-missing, autorun-label-too-long, autorun-keys-partial,
// autorun-x64-differs, autorun-trees-differ. Each finding names the systems
// it holds for (every system discplan knows that reads the tree, planned or
// not) and is added to the rows of those systems.
void AddAutorunFindings(const CDiscInput& disc, std::vector<Plan>& plans);
