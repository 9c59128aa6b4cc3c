// The words discplan's outputs share: a plan's tree, command line and
// outcome, and where a finding or a tree holds (the command lines, systems
// and languages), merged as "winxp and later; every language".
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "discplan/findings/TreesDiffer.h" // CmdlineName
#include "discplan/output/PlanOutput.h"

// The program the launch step starts, or null when it starts none.
const PlannedStart* LaunchOf(const Plan& plan);

// Why nothing is started, where the plan says: "no plan: ...", "tries
// .\AppInst\setup.exe, which is not on the disc", "no product folder"; empty
// where it starts a program or only a finding tells why.
std::string NothingWhy(const Plan& plan);

// Why a row has no plan: "it reads the UDF 2.01 tree, which discplan cannot
// read", "the image has no tree it reads", "on insertion autorun.inf's open=
// starts menu.exe, not Setup.exe"; empty for a plan.
std::string UnplannedWhy(const Plan& plan);

// What the user meets first on a row of the insertion: "started at once",
// "offered in the AutoPlay dialog as "Run Setup.exe" (icon Setup.exe,0)";
// empty for other rows.
std::string InsertionShown(const Plan& plan);

// "Joliet", "UDF 1.02", "ISO 9660".
std::string TreeName(const std::string& tree, const std::string& udfRevision);

// "the Joliet tree", "the UDF 1.02 tree".
std::string TreeName(const Plan& plan);

// The plan's command line as CmdlineName names it, with " on insertion"
// after the one the disc's autorun.inf gives.
std::string RunName(const Plan& plan);

// The plans of each command line, those of the insertion first, then in
// the order first met.
std::vector<std::vector<const Plan*>> PlansByRun(const std::vector<Plan>& plans);

// The names joined by ", ".
std::string Join(const std::vector<std::string>& names);

// The rows of one outcome: per set of languages, the systems that share it,
// as "winxp and later; every language". langsOf holds the languages of each
// system.
std::vector<std::string> Rows(const TextHeading& heading, const std::map<std::string, std::set<std::string>>& langsOf);

// "code page 1252" or "code pages 1252 (enu, deu), 932 (jpn)".
std::string CodePages(const TextHeading& heading, const std::vector<Plan>& plans);

// A tree read and the systems that read it ("win2000 and later").
struct TreeRead
{
    std::string tree;    // "the Joliet tree", "no tree", "the UDF 2.01 tree (not read: no plan)"
    std::string systems;
};

// The trees of an image in the order first read; none for a folder.
std::vector<TreeRead> TreesRead(const TextHeading& heading, const std::vector<Plan>& plans);

// A finding once, with where it holds: lines of "command lines: systems;
// languages", the command lines whose runs it holds for alike sharing one.
struct FindingWhere
{
    Finding                  finding;
    std::vector<std::string> where;
};

// Every finding of the plans once, in the order first met.
std::vector<FindingWhere> FindingsWhere(const TextHeading& heading, const std::vector<Plan>& plans);
