// Findings that hold an image's plan to another plan of the same
// combination: over the tree a system may read instead (where it is not
// known which it reads), and over the folder the image was mastered from.
#pragma once

#include <vector>

#include "discplan/input/DiscInput.h"
#include "discplan/plan/DiscPlan.h"

// For each row of a system that may read either of two trees (the Windows
// 98 family on a UDF 1.02 bridge): where the plan over the other tree
// differs, an error (image-tree-unknown) in every row of that system, naming
// the first combination that differs and the first difference between the
// trees (the row itself says that the tree read is not known).
void AddTreeUnknownFinding(const CDiscInput& disc, std::vector<Plan>& plans);

// For each system whose plan of the image differs from the plan of source
// (the folder it was mastered from), an error (image-differs-from-source) in
// every row of that system, naming the first combination that differs and
// the first difference between the tree and the folder.
void AddSourceDiffersFinding(const CDiscInput& disc, const CDiscInput& source, std::vector<Plan>& plans);
