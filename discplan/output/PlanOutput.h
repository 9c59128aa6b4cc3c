// discplan's two outputs: the plans as JSON (an array with one object per
// combination) and as text (rows with the same outcome merged). Both UTF-8.
#pragma once

#include <string>
#include <vector>

#include "discplan/plan/DiscPlan.h"

std::string PlansJson(const std::vector<Plan>& plans);

// What the text's heading names.
struct TextHeading
{
    std::string              disc;    // the disc as given
    std::vector<std::string> systems; // in the order of the rows
    std::vector<std::string> langs;
    std::vector<std::string> cmdlines;
};

std::string PlansText(const TextHeading& heading, const std::vector<Plan>& plans);
