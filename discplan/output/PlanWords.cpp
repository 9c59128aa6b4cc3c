#include "discplan/output/PlanWords.h"

#include <algorithm>

#include "discplan/plan/Systems.h"

namespace {

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

void AddOnce(std::vector<std::string>& names, const std::string& name)
{
    if (std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(name);
}

} // namespace

const PlannedStart* LaunchOf(const Plan& plan)
{
    for (const PlannedStart& start : plan.starts)
    {
        if (start.found)
            return &start;
    }
    return nullptr;
}

std::string UnplannedWhy(const Plan& plan)
{
    if (plan.unplanned == "unknown")
        return "it reads " + TreeName(plan) + ", which discplan cannot read";
    if (plan.unplanned == "other-program")
        return "on insertion autorun.inf's " + plan.input.insertion.key + "= starts " +
               plan.input.insertion.program + ", not " + plan.input.launcher;
    return plan.unplanned == "nothing" ? "the image has no tree it reads" : "";
}

std::string InsertionShown(const Plan& plan)
{
    const Insertion& insertion = plan.input.insertion;
    if (plan.input.origin != "insertion")
        return "";
    if (insertion.shown == "started")
        return "started at once";
    return "offered in the AutoPlay dialog as \"" + insertion.text + "\"" +
           (insertion.icon.empty() ? "" : " (icon " + insertion.icon + ")");
}

std::string NothingWhy(const Plan& plan)
{
    if (!plan.unplanned.empty())
        return "no plan: " + UnplannedWhy(plan);
    if (plan.bAdminMessage)
        return "a standard user sees the administrator message";
    if (LaunchOf(plan) != nullptr)
        return "";
    for (const PlannedStart& start : plan.starts)
    {
        if (!start.found)
            return "tries " + start.program + ", which is not on the disc";
    }
    return plan.product.empty() && plan.productFolder.empty() ? "no product folder" : "";
}

std::string TreeName(const std::string& tree, const std::string& udfRevision)
{
    return tree == "joliet" ? "Joliet" : tree == "udf" ? "UDF " + udfRevision : "ISO 9660";
}

std::string TreeName(const Plan& plan) { return "the " + TreeName(plan.tree, plan.udfRevision) + " tree"; }

std::string RunName(const Plan& plan)
{
    return CmdlineName(plan.input.cmdline) + (plan.input.origin == "insertion" ? " on insertion" : "");
}

std::vector<std::vector<const Plan*>> PlansByRun(const std::vector<Plan>& plans)
{
    std::vector<std::vector<const Plan*>> runs;
    for (int bInsertion = 1; bInsertion >= 0; --bInsertion)
    {
        std::map<std::string, size_t> index;
        for (const Plan& plan : plans)
        {
            if ((plan.input.origin == "insertion") != (bInsertion != 0))
                continue;
            if (!index.count(plan.input.cmdline))
            {
                index[plan.input.cmdline] = runs.size();
                runs.emplace_back();
            }
            runs[index[plan.input.cmdline]].push_back(&plan);
        }
    }
    return runs;
}

std::string Join(const std::vector<std::string>& names)
{
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i ? ", " : "") + names[i];
    return text;
}

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

std::vector<TreeRead> TreesRead(const TextHeading& heading, const std::vector<Plan>& plans)
{
    std::vector<std::string>                      order;
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
    std::vector<TreeRead> read;
    for (const std::string& tree : order)
        read.push_back({tree, Describe(heading.systems, systems[tree], "every system", true,
                                       IsEvery(heading.systems, DefaultSystems()))});
    return read;
}

std::vector<FindingWhere> FindingsWhere(const TextHeading& heading, const std::vector<Plan>& plans)
{
    typedef std::map<std::string, std::set<std::string>> LangsOfSystems;
    // The runs by name: those of the insertion first, then those asked for.
    std::vector<std::string> runs;
    for (const Plan& plan : plans)
    {
        if (plan.input.origin == "insertion")
            AddOnce(runs, RunName(plan));
    }
    for (const std::string& cmdline : heading.cmdlines)
        AddOnce(runs, CmdlineName(cmdline));
    for (const Plan& plan : plans)
        AddOnce(runs, RunName(plan));

    std::vector<FindingWhere>                                    found;
    std::map<std::string, size_t>                                index;
    std::vector<std::map<std::string, LangsOfSystems>>           where;
    for (const Plan& plan : plans)
    {
        for (const Finding& finding : plan.findings)
        {
            const std::string line = finding.severity + " " + finding.code + ": " + finding.message;
            if (!index.count(line))
            {
                index[line] = found.size();
                found.push_back({finding, {}});
                where.emplace_back();
            }
            where[index[line]][RunName(plan)][plan.input.os].insert(plan.input.lang);
        }
    }
    const bool bEveryRun = IsEvery(heading.cmdlines, DefaultCmdlines());
    for (size_t i = 0; i < found.size(); ++i)
    {
        // The runs it holds for alike share a line.
        std::vector<std::string> done;
        for (const std::string& run : runs)
        {
            auto held = where[i].find(run);
            if (held == where[i].end() || std::find(done.begin(), done.end(), run) != done.end())
                continue;
            std::set<std::string> alike;
            for (const std::string& other : runs)
            {
                auto same = where[i].find(other);
                if (same != where[i].end() && same->second == held->second)
                {
                    alike.insert(other);
                    done.push_back(other);
                }
            }
            const std::string label = Describe(runs, alike, "every command line", false, bEveryRun);
            for (const std::string& row : Rows(heading, held->second))
                found[i].where.push_back(label + ": " + row);
        }
    }
    return found;
}
