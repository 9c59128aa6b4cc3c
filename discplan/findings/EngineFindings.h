// The engine update on a disc: the copy the launcher looks for, the one it
// runs, copies it never meets, and folder names a letter or two off the
// names it looks for.
#pragma once

#include <vector>

#include "discplan/plan/DiscPlan.h"

class CDiscView;
struct ProductLocation;

// Adds the findings about every IKernelUpdate\Setup.exe of the disc (at any
// depth) and about misspelt TechSupt, AppInst and IKernelUpdate folders.
// location: the product folder and engine update probe the launcher finds
// on this view.
void CheckEngineUpdates(const CDiscView& view, const ProductLocation& location, std::vector<Finding>& findings);
