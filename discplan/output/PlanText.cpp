#include <map>
#include <set>

#include "discplan/output/PlanOutput.h"
#include "discplan/output/PlanWords.h"

namespace {

const char* const SHOW_NAMES[] = {"hidden", "normal", "minimised"};

// The outcome of a plan in words, without the system and language it is for.
std::string Outcome(const Plan& plan)
{
    std::string out;
    if (plan.input.origin == "insertion")
        out += "    on insertion: " + InsertionShown(plan) + "\n";
    if (!plan.unplanned.empty())
        out += "    no plan: " + UnplannedWhy(plan) + "\n";
    if (plan.unplanned != "unknown" && plan.unplanned != "nothing" && !plan.tree.empty())
        out += "    read from " + TreeName(plan) +
               (plan.treeAlternative.empty() ? ""
                                             : " (or the " + TreeName(plan.treeAlternative, plan.udfRevision) +
                                                   " tree: which one is not known)") +
               "\n";
    if (!plan.unplanned.empty())
    {
        for (size_t i = 0; i < plan.nOwnFindings; ++i)
            out += "    " + plan.findings[i].severity + " " + plan.findings[i].code + "\n";
        return out;
    }
    out += "    product: " + (plan.product.empty() ? (plan.productFolder.empty() ? std::string("none") : plan.productFolder)
                                                  : plan.product) +
           ", setup program " + plan.setupProgram +
           (plan.bSetupFound ? "" : " (not found by the plain probe: never the last resort)") + "\n";
    out += "    engine update probe: " + plan.engineProbe + (plan.bEngineUpdateFound ? ", found" : ", not there") +
           "\n";
    if (plan.bAdminMessage)
        return out + "    a standard user sees the administrator message; nothing is started\n    exit code " +
               std::to_string(plan.nExitCode) + "\n";
    if (plan.bAdminRequired)
        out += "    administrator required: a standard user sees the message, nothing runs, exit code 0\n";
    if (plan.bHasEngineUpdate)
        out += "    engine update: " + plan.engineUpdate.program + " " + plan.engineUpdate.parameters + ", waited for" +
               (plan.engineUpdate.found ? "" : " (NOT ON THE DISC)") + "\n";
    if (!plan.driverImport.empty())
        out += "    driver import: regedit.exe /s \"" + plan.driverImport + "\", hidden, waited for\n";
    const PlannedStart* pLaunch = LaunchOf(plan);
    if (pLaunch)
        out += "    starts: " + pLaunch->program + (pLaunch->parameters.empty() ? "" : " " + pLaunch->parameters) +
               "\n      in " + pLaunch->folder + ", " + SHOW_NAMES[pLaunch->show % 3] +
               (pLaunch->wait ? ", waited for" : "") + "\n";
    else
        out += "    starts nothing\n";
    for (const PlannedStart& start : plan.starts)
    {
        if (!start.found)
            out += "    tries " + start.program + ", which is not on the disc\n";
    }
    out += "    exit code " + std::to_string(plan.nExitCode) + "\n";
    for (size_t i = 0; i < plan.nOwnFindings; ++i)
        out += "    " + plan.findings[i].severity + " " + plan.findings[i].code + "\n";
    return out;
}

// Every finding once, each with the command lines, systems and languages
// it holds for, merged as the plan's rows are.
std::string FindingsText(const TextHeading& heading, const std::vector<Plan>& plans)
{
    std::string text;
    for (const FindingWhere& found : FindingsWhere(heading, plans))
    {
        text += "  " + found.finding.severity + " " + found.finding.code + ": " + found.finding.message + "\n";
        for (const std::string& where : found.where)
            text += "    " + where + "\n";
    }
    return text.empty() ? "  none\n" : text;
}

// "Trees read: the Joliet tree by win95, nt4; the UDF 1.02 tree by win98 and
// later"; empty for a folder.
std::string TreesText(const TextHeading& heading, const std::vector<Plan>& plans)
{
    std::string text;
    for (const TreeRead& read : TreesRead(heading, plans))
        text += (text.empty() ? "Trees read: " : "; ") + read.tree + " by " + read.systems;
    return text.empty() ? text : text + "\n";
}

} // namespace

std::string PlansText(const TextHeading& heading, const std::vector<Plan>& plans)
{
    const Plan&  first = plans.front();
    std::string out = "Disc " + heading.disc + ", at " + first.input.at + " on Windows; user " + first.input.user +
                      ", engine " + first.input.engine + "; " + CodePages(heading, plans) + "\n" +
                      TreesText(heading, plans);
    // The insertion's runs first, then those asked for.
    for (const std::vector<const Plan*>& run : PlansByRun(plans))
    {
        out += "\n" + RunName(*run.front()) + ":\n";
        // Rows with the same outcome merge: per outcome, the languages of
        // each system, then the systems sharing those languages.
        std::vector<std::string>                                             order;
        std::map<std::string, std::map<std::string, std::set<std::string>>> groups;
        for (const Plan* pPlan : run)
        {
            const Plan&       plan    = *pPlan;
            const std::string outcome = Outcome(plan);
            if (!groups.count(outcome))
                order.push_back(outcome);
            groups[outcome][plan.input.os].insert(plan.input.lang);
        }
        for (const std::string& outcome : order)
        {
            for (const std::string& row : Rows(heading, groups[outcome]))
                out += "  " + row + ":\n";
            out += outcome;
        }
    }
    return out + "\nFindings:\n" + FindingsText(heading, plans);
}
