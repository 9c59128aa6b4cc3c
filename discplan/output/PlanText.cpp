#include <algorithm>
#include <map>
#include <set>

#include "discplan/output/PlanOutput.h"
#include "discplan/plan/Systems.h"

namespace {

const char* const SHOW_NAMES[] = {"hidden", "normal", "minimised"};

const PlannedStart* LaunchOf(const Plan& plan)
{
    for (const PlannedStart& start : plan.starts)
    {
        if (start.found)
            return &start;
    }
    return nullptr;
}

// "Joliet", "UDF 1.02".
std::string TreeName(const std::string& tree, const std::string& udfRevision)
{
    return tree == "joliet" ? "Joliet" : tree == "udf" ? "UDF " + udfRevision : "ISO 9660";
}

// "the Joliet tree", "the UDF 1.02 tree".
std::string TreeName(const Plan& plan) { return "the " + TreeName(plan.tree, plan.udfRevision) + " tree"; }

// The outcome of a plan in words, without the system and language it is for.
std::string Outcome(const Plan& plan)
{
    std::string out;
    if (plan.unplanned == "unknown")
        out += "    no plan: it reads " + TreeName(plan) + ", which discplan cannot read\n";
    else if (plan.unplanned == "nothing")
        out += "    no plan: the image has no tree it reads\n";
    else if (!plan.tree.empty())
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

std::string Join(const std::vector<std::string>& names)
{
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i ? ", " : "") + names[i];
    return text;
}

// "every language", "every language but deu, fra", or the list. "every"
// only where the whole default set was planned (bEvery): what was asked for
// by name is named.
std::string Describe(const std::vector<std::string>& chosen, const std::set<std::string>& members,
                     const char* szEvery, bool bOrdered, bool bEvery)
{
    std::vector<std::string> in, out;
    for (const std::string& name : chosen)
        (members.count(name) ? in : out).push_back(name);
    if (!bEvery)
        return Join(in);
    if (members.size() == chosen.size())
        return szEvery;
    // Systems in order: "win2000 and later but winxp".
    if (bOrdered)
    {
        size_t nFirst = 0;
        while (!members.count(chosen[nFirst]))
            ++nFirst;
        std::vector<std::string> gaps;
        for (size_t i = nFirst; i < chosen.size(); ++i)
        {
            if (!members.count(chosen[i]))
                gaps.push_back(chosen[i]);
        }
        if (in.size() < 2)
            return in[0];
        if (nFirst == 0 && members.count(chosen[in.size() - 1]) && !members.count(chosen[in.size()]))
            return chosen[in.size() - 1] + " and earlier";
        if (nFirst > 0 && gaps.size() < in.size())
            return chosen[nFirst] + " and later" + (gaps.empty() ? "" : " but " + Join(gaps));
    }
    if (!out.empty() && out.size() < in.size())
        return std::string(szEvery) + " but " + Join(out);
    return Join(in);
}

// 1 when chosen is the whole of all, in any order, and more than one.
bool IsEvery(const std::vector<std::string>& chosen, const std::vector<std::string>& all)
{
    return chosen.size() > 1 && std::set<std::string>(chosen.begin(), chosen.end()) ==
                                    std::set<std::string>(all.begin(), all.end());
}

// The rows of one outcome: per set of languages, the systems that share it,
// as "winxp and later; every language".
std::vector<std::string> Rows(const TextHeading& heading, const std::map<std::string, std::set<std::string>>& langsOf)
{
    std::map<std::set<std::string>, std::set<std::string>> bySystems;
    std::vector<std::set<std::string>>                     langOrder;
    for (const std::string& os : heading.systems)
    {
        auto found = langsOf.find(os);
        if (found == langsOf.end())
            continue;
        if (!bySystems.count(found->second))
            langOrder.push_back(found->second);
        bySystems[found->second].insert(os);
    }
    std::vector<std::string> rows;
    for (const auto& langSet : langOrder)
        rows.push_back(Describe(heading.systems, bySystems[langSet], "every system", true,
                                IsEvery(heading.systems, DefaultSystems())) +
                       "; " +
                       Describe(heading.langs, langSet, "every language", false,
                                IsEvery(heading.langs, KnownLanguages())));
    return rows;
}

std::string CmdlineName(const std::string& cmdline) { return cmdline.empty() ? "no command line" : "\"" + cmdline + "\""; }

// "Trees read: the Joliet tree by win95, nt4; the UDF 1.02 tree by win98 and
// later"; empty for a folder.
std::string TreesRead(const TextHeading& heading, const std::vector<Plan>& plans)
{
    std::vector<std::string>                        order;
    std::map<std::string, std::set<std::string>> systems;
    for (const Plan& plan : plans)
    {
        const std::string tree = plan.unplanned == "nothing" ? "no tree"
                                 : plan.unplanned == "unknown" ? TreeName(plan) + " (not read: no plan)"
                                 : plan.tree.empty()           ? ""
                                 : plan.treeAlternative.empty()
                                     ? TreeName(plan)
                                     : TreeName(plan) + " or the " + TreeName(plan.treeAlternative, plan.udfRevision) +
                                           " tree (not known which)";
        if (tree.empty())
            continue;
        if (!systems.count(tree))
            order.push_back(tree);
        systems[tree].insert(plan.input.os);
    }
    std::string text;
    for (const std::string& tree : order)
        text += (text.empty() ? "Trees read: " : "; ") + tree + " by " +
                Describe(heading.systems, systems[tree], "every system", true,
                         IsEvery(heading.systems, DefaultSystems()));
    return text.empty() ? text : text + "\n";
}

// "code page 1252" or "code pages 1252 (enu, deu), 932 (jpn)".
std::string CodePages(const TextHeading& heading, const std::vector<Plan>& plans)
{
    std::vector<unsigned>                         order;
    std::map<unsigned, std::vector<std::string>> langs;
    for (const Plan& plan : plans)
    {
        std::vector<std::string>& named = langs[plan.nCodePage];
        if (named.empty())
            order.push_back(plan.nCodePage);
        bool bNamed = false;
        for (const std::string& lang : named)
            bNamed = bNamed || lang == plan.input.lang;
        if (!bNamed)
            named.push_back(plan.input.lang);
    }
    if (order.size() == 1)
        return "code page " + std::to_string(order[0]);
    std::string text = "code pages";
    for (size_t i = 0; i < order.size(); ++i)
        text += (i ? ", " : " ") + std::to_string(order[i]) + " (" +
                (langs[order[i]].size() == heading.langs.size() ? "every language" : Join(langs[order[i]])) + ")";
    return text;
}

// Every finding once, each with the command lines, systems and languages
// it holds for, merged as the plan's rows are.
std::string FindingsText(const TextHeading& heading, const std::vector<Plan>& plans)
{
    typedef std::map<std::string, std::set<std::string>> LangsOfSystems;
    std::vector<std::string>                                        order;
    std::map<std::string, std::map<std::string, LangsOfSystems>>    where;
    for (const Plan& plan : plans)
    {
        for (const Finding& finding : plan.findings)
        {
            const std::string line = finding.severity + " " + finding.code + ": " + finding.message;
            if (!where.count(line))
                order.push_back(line);
            where[line][plan.input.cmdline][plan.input.os].insert(plan.input.lang);
        }
    }
    std::vector<std::string> cmdlineNames;
    for (const std::string& cmdline : heading.cmdlines)
        cmdlineNames.push_back(CmdlineName(cmdline));
    const bool  bEveryCmdline = IsEvery(heading.cmdlines, DefaultCmdlines());
    std::string text;
    for (const std::string& line : order)
    {
        text += "  " + line + "\n";
        // The command lines whose runs it holds for alike share a line.
        std::vector<std::string> done;
        for (const std::string& cmdline : heading.cmdlines)
        {
            auto found = where[line].find(cmdline);
            if (found == where[line].end() || std::find(done.begin(), done.end(), cmdline) != done.end())
                continue;
            std::set<std::string> alike;
            for (const std::string& other : heading.cmdlines)
            {
                auto same = where[line].find(other);
                if (same != where[line].end() && same->second == found->second)
                {
                    alike.insert(CmdlineName(other));
                    done.push_back(other);
                }
            }
            const std::string label = Describe(cmdlineNames, alike, "every command line", false, bEveryCmdline);
            for (const std::string& row : Rows(heading, found->second))
                text += "    " + label + ": " + row + "\n";
        }
    }
    return text.empty() ? "  none\n" : text;
}

} // namespace

std::string PlansText(const TextHeading& heading, const std::vector<Plan>& plans)
{
    const Plan&  first = plans.front();
    std::string out = "Disc " + heading.disc + ", at " + first.input.at + " on Windows; user " + first.input.user +
                      ", engine " + first.input.engine + "; " + CodePages(heading, plans) + "\n" +
                      TreesRead(heading, plans);
    for (const std::string& cmdline : heading.cmdlines)
    {
        out += "\n" + CmdlineName(cmdline) + ":\n";
        // Rows with the same outcome merge: per outcome, the languages of
        // each system, then the systems sharing those languages.
        std::vector<std::string>                                             order;
        std::map<std::string, std::map<std::string, std::set<std::string>>> groups;
        for (const Plan& plan : plans)
        {
            if (plan.input.cmdline != cmdline)
                continue;
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
