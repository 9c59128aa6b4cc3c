#include "discplan/findings/TreesDiffer.h"

#include <map>

#include "discplan/codepage/CodePage.h"
#include "discplan/plan/DiscView.h"

namespace {

// Folders nested deeper are not compared (the image reader reads no more).
const int MAX_DEPTH = 128;

const PlannedStart* LaunchOf(const Plan& plan)
{
    for (const PlannedStart& start : plan.starts)
    {
        if (start.found)
            return &start;
    }
    return nullptr;
}

std::string Join(const std::vector<std::string>& names, const char* szSeparator)
{
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i ? szSeparator : "") + names[i];
    return text;
}

} // namespace

std::vector<std::string> PlanSteps(const Plan& plan)
{
    std::vector<std::string> steps;
    steps.push_back(plan.bHasEngineUpdate ? "run the engine update " + plan.engineUpdate.program + " -s" +
                                                (plan.engineUpdate.found ? "" : ", which is missing")
                                          : "run no engine update");
    steps.push_back(plan.driverImport.empty() ? "import no driver settings" : "import " + plan.driverImport);
    const PlannedStart* pLaunch = LaunchOf(plan);
    const std::string   launch =
        pLaunch ? "start " + pLaunch->program + (pLaunch->parameters.empty() ? "" : " " + pLaunch->parameters)
                : "start nothing";
    steps.push_back(launch);
    if (pLaunch)
        steps.push_back(launch + " in " + pLaunch->folder + (pLaunch->show == 2 ? ", minimised" : "") +
                        (pLaunch->wait ? ", waited for" : ""));
    std::string missing = "try no missing program";
    for (const PlannedStart& start : plan.starts)
        missing = start.found ? missing : "try " + start.program + ", which is not there";
    steps.push_back(missing);
    steps.push_back("exit with " + std::to_string(plan.nExitCode));
    std::string lines;
    for (const std::string& line : plan.log)
        lines += line.compare(0, 13, "LaunchCmdline") == 0 ? line : "";
    steps.push_back("log " + lines);
    return steps;
}

size_t FirstDifferentStep(const std::vector<std::string>& stepsA, const std::vector<std::string>& stepsB)
{
    size_t nStep = 0;
    while (nStep < stepsA.size() && nStep < stepsB.size() && stepsA[nStep] == stepsB[nStep])
        ++nStep;
    return nStep == stepsA.size() && nStep == stepsB.size() ? stepsA.size() : nStep;
}

std::vector<std::string> DiscPath(const std::string& path, const std::string& at)
{
    std::u32string points = CodePoints(path);
    if (path.size() >= 2 && path[1] == ':')
    {
        std::string root = CDiscView::FullPathText(at, "C:\\");
        root += root.back() == '\\' ? "" : "\\";
        const std::u32string folded = FoldCase(root);
        if (FoldCase(path).compare(0, folded.size(), folded) != 0)
            return {};
        points = points.substr(folded.size());
    }
    std::vector<std::string> parts;
    std::u32string           part;
    for (size_t i = 0; i <= points.size(); ++i)
    {
        if (i < points.size() && points[i] != U'\\' && points[i] != U'/')
            part += points[i];
        else if (!part.empty() && part != U".")
            parts.push_back(Utf8(part)), part.clear();
        else
            part.clear();
    }
    return parts;
}

namespace {

// Follows the first n names of parts in source, as Windows matches names:
// 1 with the names as the source lists them.
int Walk(const CDiscSource& source, const std::vector<std::string>& parts, size_t n, std::vector<std::string>* pNames,
         int* pbFolder)
{
    pNames->clear();
    *pbFolder = 1;
    for (size_t i = 0; i < n; ++i)
    {
        std::vector<DiscEntry> entries;
        if (!*pbFolder || !source.List(*pNames, &entries))
            return 0;
        size_t nFound = entries.size();
        for (size_t j = 0; j < entries.size() && nFound == entries.size(); ++j)
            nFound = SameName(entries[j].name, parts[i]) ? j : nFound;
        if (nFound == entries.size())
            return 0;
        pNames->push_back(entries[nFound].name);
        *pbFolder = entries[nFound].bFolder;
    }
    return 1;
}

using Side = DiscSide;

// Where the two trees first part along path: a name in one and not in the
// other, a folder in one and a file in the other, or (Setup.ini, the one
// file whose bytes the launcher reads) other bytes.
int PathDifference(const Side& a, const Side& b, const std::vector<std::string>& parts, std::string* pText)
{
    std::vector<std::string> namesA, namesB;
    int                      bFolderA = 1, bFolderB = 1;
    for (size_t n = 1; n <= parts.size(); ++n)
    {
        const int bInA = Walk(*a.pSource, parts, n, &namesA, &bFolderA);
        const int bInB = Walk(*b.pSource, parts, n, &namesB, &bFolderB);
        if (!bInA && !bInB)
            return 0;
        if (bInA != bInB)
        {
            *pText = Join(bInA ? namesA : namesB, "\\") + " is in " + (bInA ? a.name : b.name) + ", not in " +
                     (bInA ? b.name : a.name);
            return 1;
        }
        if (bFolderA != bFolderB)
        {
            *pText = Join(namesA, "\\") + " is a " + (bFolderA ? "folder" : "file") + " in " + a.name + " and a " +
                     (bFolderB ? "folder" : "file") + " in " + b.name;
            return 1;
        }
    }
    std::string bytesA, bytesB;
    if (parts.size() == 1 && SameName(parts[0], "Setup.ini") && !bFolderA && a.pSource->Read(namesA, &bytesA) &&
        b.pSource->Read(namesB, &bytesB) && bytesA != bytesB)
    {
        *pText = namesA[0] + " in " + a.name + " differs from " + namesB[0] + " in " + b.name;
        return 1;
    }
    return 0;
}

// The first difference between two folders of the trees, in the order the
// first lists its names.
int TreeDifference(const Side& a, const Side& b, const std::vector<std::string>& folder, int nDepth,
                   std::string* pText)
{
    std::vector<DiscEntry> entriesA, entriesB;
    a.pSource->List(folder, &entriesA);
    b.pSource->List(folder, &entriesB);
    for (const DiscEntry& entry : entriesA)
    {
        std::vector<std::string> parts = folder;
        parts.push_back(entry.name);
        if (PathDifference(a, b, parts, pText))
            return 1;
    }
    for (const DiscEntry& entry : entriesB)
    {
        std::vector<std::string> parts = folder;
        parts.push_back(entry.name);
        if (PathDifference(b, a, parts, pText))
            return 1;
    }
    for (const DiscEntry& entry : entriesA)
    {
        std::vector<std::string> parts = folder, namesB;
        parts.push_back(entry.name);
        int bFolderB = 0;
        if (entry.bFolder && nDepth < MAX_DEPTH && Walk(*b.pSource, parts, parts.size(), &namesB, &bFolderB) &&
            TreeDifference(a, b, parts, nDepth + 1, pText))
            return 1;
    }
    return 0;
}

} // namespace

std::string ExplainingDifference(const Side& a, const Side& b, const Plan& planA, const Plan& planB)
{
    std::vector<std::string> paths = {"Setup.ini"};
    for (const Plan* pPlan : {&planA, &planB})
    {
        for (const PlannedStart& start : pPlan->starts)
            paths.push_back(start.program);
        if (pPlan->bHasEngineUpdate)
            paths.push_back(pPlan->engineUpdate.program);
        for (const std::string& path : {pPlan->driverImport, pPlan->setupProgram, pPlan->productFolder,
                                        pPlan->engineProbe})
            paths.push_back(path);
    }
    std::string text;
    for (const std::string& path : paths)
    {
        if (PathDifference(a, b, DiscPath(path, planA.input.at), &text))
            return text;
    }
    if (TreeDifference(a, b, {}, 0, &text))
        return text;
    return "none in the names the launcher looks for";
}

std::string CmdlineName(const std::string& cmdline)
{
    return cmdline.empty() ? "no command line" : "\"" + cmdline + "\"";
}

void AddTreesDifferFinding(const CDiscInput& disc, std::vector<Plan>& plans)
{
    // The trees and the systems reading them are the same in every OEM code
    // page; the ISO 9660 tree's names are those of each plan's own.
    std::map<unsigned, std::vector<DiscTree>> byOem;
    for (const Plan& plan : plans)
    {
        const unsigned nOem = PlannedOemCodePage(plan.input);
        if (!byOem.count(nOem))
            byOem[nOem] = disc.ReadTrees(nOem);
    }
    if (byOem.empty())
        return;
    const std::vector<DiscTree>& trees = byOem.begin()->second;
    struct Found
    {
        std::string first, second; // the trees' codes
        Finding     finding;
    };
    std::vector<Found> found;
    for (size_t i = 0; i < trees.size(); ++i)
    {
        for (size_t j = i + 1; j < trees.size(); ++j)
        {
            const DiscTree& first  = trees[i];
            const DiscTree& second = trees[j];
            for (const Plan& plan : plans)
            {
                if (!plan.unplanned.empty() || (plan.tree != first.disc.tree && plan.tree != second.disc.tree))
                    continue;
                const std::vector<DiscTree>& own = byOem[PlannedOemCodePage(plan.input)];
                const DiscTree& firstOwn  = own[i];
                const DiscTree& secondOwn = own[j];
                const bool bFirst = plan.tree == first.disc.tree;
                const Plan other  = MakeSystemPlan(bFirst ? secondOwn.disc : firstOwn.disc, plan.input);
                const Plan& planA = bFirst ? plan : other;
                const Plan& planB = bFirst ? other : plan;
                const std::vector<std::string> stepsA = PlanSteps(planA), stepsB = PlanSteps(planB);
                const size_t                   nStep  = FirstDifferentStep(stepsA, stepsB);
                if (nStep == stepsA.size())
                    continue;
                const Side a = {firstOwn.disc.pSource, "the " + first.disc.treeName + " tree"};
                const Side b = {secondOwn.disc.pSource, "the " + second.disc.treeName + " tree"};
                const std::string message =
                    Join(first.systems, ", ") + " read " + a.name + " and " + Join(second.systems, ", ") + " " +
                    b.name + ", which change the plan: for " + CmdlineName(plan.input.cmdline) + " in " +
                    plan.input.lang + ", " + plan.input.os + " would " + stepsA[nStep] + " from " + a.name +
                    " but " + stepsB[nStep] + " from " + b.name +
                    "; first difference: " + ExplainingDifference(a, b, planA, planB);
                found.push_back({first.disc.tree, second.disc.tree, {"error", "image-trees-differ", message}});
                break;
            }
        }
    }
    for (Plan& plan : plans)
    {
        for (const Found& differ : found)
        {
            if (plan.unplanned.empty() && (plan.tree == differ.first || plan.tree == differ.second))
                AddDiscFindings(plan, {differ.finding});
        }
    }
}
