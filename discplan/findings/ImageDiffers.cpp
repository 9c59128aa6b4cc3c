#include "discplan/findings/ImageDiffers.h"

#include <map>

#include "discplan/findings/TreesDiffer.h"

namespace {

// How the plan of one row differs from the plan of the same combination over
// another source: empty when they agree.
std::string Difference(const Plan& plan, const DiscSide& own, const DiscSide& other, const Plan& otherPlan)
{
    const std::vector<std::string> steps = PlanSteps(plan), otherSteps = PlanSteps(otherPlan);
    const size_t                   nStep = FirstDifferentStep(steps, otherSteps);
    if (nStep == steps.size())
        return std::string();
    return "for " + CmdlineName(plan.input.cmdline) + " in " + plan.input.lang + ", " + plan.input.os + " would " +
           steps[nStep] + " from " + own.name + " but " + otherSteps[nStep] + " from " + other.name +
           "; first difference: " + ExplainingDifference(own, other, plan, otherPlan);
}

// Adds finding to every planned row of system os.
void AddToSystem(std::vector<Plan>& plans, const std::string& os, const Finding& finding)
{
    for (Plan& plan : plans)
    {
        if (plan.unplanned.empty() && plan.input.os == os)
            AddDiscFindings(plan, {finding});
    }
}

} // namespace

void AddTreeUnknownFinding(const CDiscInput& disc, std::vector<Plan>& plans)
{
    std::map<std::string, Finding> bySystem; // the first difference of each system
    std::vector<std::string>       order;
    for (const Plan& plan : plans)
    {
        if (!plan.unplanned.empty() || plan.treeAlternative.empty())
            continue;
        const SystemDisc read = disc.ForSystem(plan.input.os, PlannedOemCodePage(plan.input));
        if (!read.pSource || !read.pAlternative)
            continue;
        if (!bySystem.count(plan.input.os))
            order.push_back(plan.input.os);
        const std::string both = "the " + read.treeName + " tree or the " + read.alternativeTreeName + " tree";
        Finding& finding = bySystem[plan.input.os];
        if (finding.severity == "error")
            continue;
        SystemDisc alternative;
        alternative.pSource     = read.pAlternative;
        alternative.tree        = read.alternativeTree;
        alternative.treeName    = read.alternativeTreeName;
        const Plan other        = MakeSystemPlan(alternative, plan.input);
        const std::string how   = Difference(plan, {read.pSource, "the " + read.treeName + " tree"},
                                             {read.pAlternative, "the " + read.alternativeTreeName + " tree"}, other);
        if (!how.empty())
            finding = {"error", "image-tree-unknown",
                       "it is not known whether " + plan.input.os + " reads " + both +
                           " of this image, and they change the plan: " + how +
                           "; make the two trees name the same files"};
    }
    for (const std::string& os : order)
    {
        if (bySystem[os].severity == "error")
            AddToSystem(plans, os, bySystem[os]);
    }
}

void AddSourceDiffersFinding(const CDiscInput& disc, const CDiscInput& source, std::vector<Plan>& plans)
{
    std::map<std::string, Finding> bySystem;
    std::vector<std::string>       order;
    for (const Plan& plan : plans)
    {
        if (!plan.unplanned.empty() || bySystem.count(plan.input.os))
            continue;
        const unsigned   nOem = PlannedOemCodePage(plan.input);
        const SystemDisc read = disc.ForSystem(plan.input.os, nOem);
        const SystemDisc folder = source.ForSystem(plan.input.os, nOem);
        if (!read.pSource || !folder.pSource)
            continue;
        const Plan        other = MakeSystemPlan(folder, plan.input);
        const std::string how = Difference(plan, {read.pSource, "the image's " + read.treeName + " tree"},
                                           {folder.pSource, "the folder it was mastered from"}, other);
        if (how.empty())
            continue;
        order.push_back(plan.input.os);
        bySystem[plan.input.os] = {"error", "image-differs-from-source",
                                   "mastering changed what Setup.exe does: " + how};
    }
    for (const std::string& os : order)
        AddToSystem(plans, os, bySystem[os]);
}
