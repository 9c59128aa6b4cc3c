// What a disc's names and its Setup.ini say as a system of one code page
// reads them: names the code page writes or cannot, and Setup.ini values
// that Windows reads otherwise than they were meant.
#pragma once

#include <string>
#include <vector>

#include "discplan/plan/DiscPlan.h"

class CDiscView;

// A name the disc uses (what: "the folder", "the file"), as the view's code
// page meets it: non-ASCII but written, or out of the launcher's reach.
void CheckName(const CDiscView& view, const std::string& what, const std::string& name, std::vector<Finding>& findings);

// Setup.ini's values as the Windows function returns them: inline comments,
// values too long, names the code page cannot write, paths not on the disc,
// a UTF-8 mark or UTF-8 text without one.
void CheckSetupIni(const CDiscView& view, std::vector<Finding>& findings);
