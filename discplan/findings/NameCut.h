// The finding that mastering cut a name the plan needs (image-name-cut): an
// ISO 9660 tree of 8.3 names, a Joliet tree (and a UDF bridge copying it)
// whose names end at 64 or 103 characters.
#pragma once

#include <string>
#include <vector>

#include "discplan/input/DiscInput.h"
#include "discplan/plan/DiscPlan.h"

// 1 when entry, a name in an image tree, is what mastering made of the name
// needed: its 8.3 form in upper case (ISO 9660 level 1: the base cut to 8
// characters, the extension to 3, every character but A-Z, 0-9 and _ as _),
// or its first 30 or more characters (a Joliet or ISO 9660 length limit);
// *pHow says which ("to the 8.3 name CORVAN_L", "at 64 characters").
int IsCutName(const std::string& entry, const std::string& needed, std::string* pHow);

// For each row planned from an image tree: every name on the way to what the
// plan needs (the product folders the table tries before the one it found,
// the setup program, the engine update, the programs it tries, the paths of
// Setup.ini) that is not in the tree while a cut of it is gives an error in
// the row, naming the cut and how to master the image instead.
void AddNameCutFindings(const CDiscInput& disc, std::vector<Plan>& plans);
