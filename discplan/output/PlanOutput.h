// discplan's outputs: the plans as JSON (an array with one object per
// combination), as text (rows with the same outcome merged), as an HTML page
// and as JUnit XML. All UTF-8.
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

// One self-contained page (inline style, no script, nothing fetched): per
// command line, the insertion's first, a matrix of systems and languages
// saying what each starts, equal neighbours merged into one cell; the trees
// an image's systems read; the findings by severity with where they hold.
std::string PlansHtml(const TextHeading& heading, const std::vector<Plan>& plans);

// JUnit XML: one test case per plan, named "winxp deu \"/s\"", classname
// "discplan." and disc's file name; a case fails on an error finding (or
// without a plan), its other findings in its system-out. One test suite per
// command line, the insertion's first.
std::string PlansJunit(const std::string& disc, const std::vector<Plan>& plans);
