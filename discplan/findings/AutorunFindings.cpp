#include "discplan/findings/AutorunFindings.h"

#include <algorithm>
#include <map>
#include <set>

#include "discplan/findings/ImageFindings.h"
#include "discplan/input/TreeChoice.h"
#include "discplan/plan/Insertion.h"
#include "discplan/plan/Systems.h"

namespace {

// The systems that read one tree, each with its insertion as it reads the
// tree (the systems that come in both forms as 32-bit, and as 64-bit).
struct TreeInsertions
{
    const CDiscSource*           pSource = nullptr;
    std::string                  treeName; // "the Joliet tree"; empty for a folder
    std::vector<std::string>     systems;
    std::vector<SystemInsertion> reads;
    std::vector<SystemInsertion> reads64; // of MayBe64Bit systems; else as reads
};

struct Found
{
    Finding               finding;
    std::set<std::string> systems;
};

// "every system", "winxp and later", "win98 and earlier", "every system but
// win11", or the list, in the order of the systems discplan knows.
std::string SystemsText(const std::vector<std::string>& systems)
{
    const std::vector<std::string>& all = KnownSystems();
    if (systems.size() == all.size())
        return "every system";
    if (systems.size() < 2)
        return JoinSystems(systems);
    size_t nFirst = 0;
    while (nFirst < all.size() && all[nFirst] != systems.front())
        ++nFirst;
    // The systems from the first on that are left out.
    std::vector<std::string> gaps;
    for (size_t i = nFirst; i < all.size(); ++i)
    {
        if (std::find(systems.begin(), systems.end(), all[i]) == systems.end())
            gaps.push_back(all[i]);
    }
    if (systems.back() == all.back() && gaps.size() < systems.size() / 2)
        return systems.front() + " and later" + (gaps.empty() ? "" : " but " + JoinSystems(gaps));
    if (nFirst == 0 && std::equal(systems.begin(), systems.end(), all.begin()))
        return systems.back() + " and earlier";
    std::vector<std::string> out;
    for (const std::string& os : all)
    {
        if (std::find(systems.begin(), systems.end(), os) == systems.end())
            out.push_back(os);
    }
    if (out.size() < systems.size() / 2)
        return "every system but " + JoinSystems(out);
    return JoinSystems(systems);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::vector<std::string> Ordered(const std::set<std::string>& systems)
{
    std::vector<std::string> ordered;
    for (const std::string& os : KnownSystems())
    {
        if (systems.count(os))
            ordered.push_back(os);
    }
    return ordered;
}

// A task as the messages name it: "autorun.inf's open= in [AutoRun.Amd64]".
std::string TaskName(const AutorunTask& task)
{
    return "autorun.inf's " + task.key + "=" + (task.section == "AutoRun" ? "" : " in [" + task.section + "]");
}

// The icon's file without its index ("setup.exe" of "setup.exe,1").
std::string IconFile(std::string icon)
{
    const size_t nComma = icon.rfind(',');
    if (nComma != std::string::npos &&
        icon.find_first_not_of("-0123456789 \t", nComma + 1) == std::string::npos)
        icon.erase(nComma);
    while (!icon.empty() && (icon.back() == ' ' || icon.back() == '\t'))
        icon.pop_back();
    if (icon.size() >= 2 && icon[0] == '"' && icon.back() == '"')
        icon = icon.substr(1, icon.size() - 2);
    return icon;
}

void AddFound(std::vector<Found>& found, const char* szSeverity, const char* szCode, const std::string& message,
              const std::set<std::string>& systems)
{
    if (!systems.empty())
        found.push_back({{szSeverity, szCode, message}, systems});
}

// The findings of one tree's autorun.inf, for the systems that read it.
void CheckTree(const TreeInsertions& tree, const std::string& launcher, std::vector<Found>& found)
{
    // Grouped by what each finding says, so that one message names every
    // system it holds for.
    std::map<std::string, std::set<std::string>> missing, other, icons, labels, x64, none;
    std::map<std::string, std::set<std::string>> ignore;
    std::set<std::string>                        amd64;
    for (size_t i = 0; i < tree.systems.size(); ++i)
    {
        const std::string&     os   = tree.systems[i];
        const SystemInsertion& read = tree.reads[i];
        const AutorunTask&     task = read.task;
        // No task for a reason of its own (shellexecute alone has one below).
        if (task.key.empty() && read.pFile->bPresent && task.none.find("shellexecute") == std::string::npos)
            none[task.none].insert(os);
        if (!task.key.empty() && !read.bFound)
            missing[TaskName(task) + " names " + task.program].insert(os);
        else if (!task.key.empty() && !read.bLauncher)
            other[TaskName(task) + " starts " + task.program + ", not " + launcher].insert(os);
        // The launcher counts as there, whether or not the folder holds it yet.
        std::vector<std::string> parts, where;
        const bool bIconPath = !task.icon.empty() && AutorunDiscPath(IconFile(task.icon), &parts);
        if (!task.icon.empty() && (!bIconPath || !(FindOnDisc(*tree.pSource, parts, &where) ||
                                                   (parts.size() == 1 && SameName(parts[0], launcher)))))
            icons[IconFile(task.icon)].insert(os);
        if (Utf16Length(task.label) > AUTORUN_LABEL_SHOWN)
            labels[task.label].insert(os);
        const SystemInsertion& read64 = tree.reads64[i];
        if (MayBe64Bit(os) && InsertionOutcome(read64) != InsertionOutcome(read))
            x64["would " + InsertionOutcome(read64) + " where the 32-bit editions " + InsertionOutcome(read)].insert(os);
        if (read.pFile->amd64.bPresent && !IsOnly64Bit(os))
            amd64.insert(os);
        const AutorunSection& section = read.pFile->x86;
        const struct
        {
            const char* szKey;
            bool        bGiven;
        } keys[] = {{"shellexecute", section.shellExecute.bGiven}, {"label", section.label.bGiven},
                    {"action", section.action.bGiven}, {"useautoplay", section.useAutoPlay.bGiven}};
        for (const auto& key : keys)
        {
            if (key.bGiven && !HonoursAutorunKey(os, key.szKey, 0))
                ignore[key.szKey].insert(os);
        }
    }
    for (const auto& item : missing)
        AddFound(found, "error", "autorun-program-missing",
                 item.first + ", which is not on the disc: nothing starts when the disc is inserted (" +
                     SystemsText(Ordered(item.second)) + "); name a program of the disc from its root, such as open=" +
                     launcher,
                 item.second);
    for (const auto& item : none)
        AddFound(found, "info", "autorun-no-task",
                 "nothing starts when the disc is inserted (" + SystemsText(Ordered(item.second)) + "): " +
                     item.first +
                     (item.first.find("UseAutoPlay") != std::string::npos
                          ? "; leave UseAutoPlay out where " + launcher + " should start"
                          : "; give [AutoRun] an open=" + launcher + " where it should start"),
                 item.second);
    for (const auto& item : other)
        AddFound(found, "warning", "autorun-not-launcher",
                 "on insertion " + item.first + " on " + SystemsText(Ordered(item.second)) + ": " + launcher +
                     "'s engine update, its choice of the setup program for the system's language and its "
                     "administrator message are bypassed; let autorun.inf start " +
                     launcher + " (open=" + launcher + ") and Setup.ini's DemoPath start the other program",
                 item.second);
    for (const auto& item : icons)
        AddFound(found, "warning", "autorun-icon-missing",
                 "autorun.inf's icon= names " + item.first + ", which is not on the disc: the drive keeps its "
                     "standard icon (" + SystemsText(Ordered(item.second)) +
                     "); name an icon file or program of the disc from its root (icon=" + launcher + ",0)",
                 item.second);
    for (const auto& item : labels)
    {
        const std::u32string points = CodePoints(item.first);
        std::string          shown;
        size_t               nUnits = 0;
        for (char32_t point : points)
        {
            nUnits += point >= 0x10000 ? 2 : 1;
            if (nUnits > AUTORUN_LABEL_SHOWN)
                break;
            shown += Utf8(std::u32string(1, point));
        }
        AddFound(found, "warning", "autorun-label-too-long",
                 "autorun.inf's label " + Quoted(item.first) + " has " + std::to_string(Utf16Length(item.first)) +
                     " characters, of which Windows shows the first " + std::to_string(AUTORUN_LABEL_SHOWN) + ", " +
                     Quoted(shown) + " (" + SystemsText(Ordered(item.second)) + "); shorten it to " +
                     std::to_string(AUTORUN_LABEL_SHOWN),
                 item.second);
    }
    for (const auto& item : x64)
        AddFound(found, "warning", "autorun-x64-differs",
                 "autorun.inf's [AutoRun.Amd64] changes the insertion: the 64-bit editions of " +
                     SystemsText(Ordered(item.second)) + " " + item.first +
                     " (planned here); give both sections the same task, or plan the 64-bit editions apart",
                 item.second);
    // What each key is to the systems that ignore it, and what to do.
    static const std::map<std::string, std::string> IGNORED = {
        {"shellexecute", "shellexecute= is ignored before Windows 2000 and Me (shell 5.0), where only open= runs"},
        {"label", "label= is shown from Windows XP on only"},
        {"action", "action= is shown from Windows Vista on only, as the AutoPlay dialog's entry for the task"},
        {"useautoplay", "UseAutoPlay= counts from Windows XP on only"}};
    for (const auto& item : ignore)
    {
        const bool bNoOpen = item.first == "shellexecute" && !tree.reads.front().pFile->x86.open.bGiven;
        AddFound(found, "info", "autorun-keys-partial",
                 "autorun.inf's " + IGNORED.at(item.first) + " (ignored by " + SystemsText(Ordered(item.second)) +
                     ")" + (bNoOpen ? ": give open= as well, or nothing starts there on insertion" : ""),
                 item.second);
    }
    if (!amd64.empty())
        AddFound(found, "info", "autorun-keys-partial",
                 "autorun.inf's [AutoRun.Amd64] is read in place of [AutoRun] by 64-bit Windows only (winxp64, "
                 "win11 and the 64-bit editions of vista to win10); the plans of " + SystemsText(Ordered(amd64)) +
                     " read [AutoRun]: each section must hold every key it needs",
                 amd64);
}

// Where two trees' autorun.inf files part: missing from one, other bytes,
// and whether that changes what a system of either side does on insertion.
void CompareTrees(CAutorunFiles& files, const TreeInsertions& a, const TreeInsertions& b, const PlanInput& input,
                  std::vector<Found>& found)
{
    const AutorunFile& fileA = *a.reads.front().pFile;
    const AutorunFile& fileB = *b.reads.front().pFile;
    if (fileA.bPresent == fileB.bPresent && fileA.bytes == fileB.bytes)
        return;
    const std::string how = !fileA.bPresent ? a.treeName + " has no autorun.inf, " + b.treeName + " has one"
                            : !fileB.bPresent ? a.treeName + " has an autorun.inf, " + b.treeName + " has none"
                                              : "autorun.inf differs between " + a.treeName + " and " + b.treeName;
    std::set<std::string> systems(a.systems.begin(), a.systems.end());
    systems.insert(b.systems.begin(), b.systems.end());
    // The first system whose insertion the other tree would change.
    for (const TreeInsertions* pSide : {&a, &b})
    {
        const TreeInsertions& other = pSide == &a ? b : a;
        for (size_t i = 0; i < pSide->systems.size(); ++i)
        {
            PlanInput asked = input;
            asked.os        = pSide->systems[i];
            const SystemInsertion there = ReadInsertion(files, *other.pSource, asked, IsOnly64Bit(asked.os));
            if (InsertionOutcome(there) == InsertionOutcome(pSide->reads[i]))
                continue;
            AddFound(found, "error", "autorun-trees-differ",
                     how + ", which changes the insertion: " + asked.os + " reads " + pSide->treeName + " and would " +
                         InsertionOutcome(pSide->reads[i]) + ", but " + InsertionOutcome(there) + " from " + other.treeName +
                         "; master every tree from the same autorun.inf",
                     systems);
            return;
        }
    }
    AddFound(found, "warning", "autorun-trees-differ",
             how + " (" + JoinSystems(a.systems) + " read the one, " + JoinSystems(b.systems) +
                 " the other), though what starts on insertion is the same; master every tree from the same "
                 "autorun.inf",
             systems);
}

} // namespace

void AddAutorunFindings(const CDiscInput& disc, std::vector<Plan>& plans)
{
    // Once per code page pair: the ANSI one reads the file, the OEM one the
    // ISO 9660 tree's names.
    std::map<std::pair<unsigned, unsigned>, std::vector<Found>> byLocale;
    CAutorunFiles                                               files;
    for (const Plan& plan : plans)
    {
        const unsigned nOem = PlannedOemCodePage(plan.input);
        const auto     key  = std::make_pair(PlannedCodePage(plan.input), nOem);
        if (byLocale.count(key))
            continue;
        std::vector<Found>&       found = byLocale[key];
        std::vector<TreeInsertions>  trees;
        for (const std::string& os : KnownSystems())
        {
            const SystemDisc read = disc.ForSystem(os, nOem);
            if (read.pSource == nullptr)
                continue;
            size_t nTree = 0;
            while (nTree < trees.size() && trees[nTree].pSource != read.pSource)
                ++nTree;
            if (nTree == trees.size())
            {
                trees.emplace_back();
                trees.back().pSource  = read.pSource;
                trees.back().treeName = read.treeName.empty() ? "" : "the " + read.treeName + " tree";
            }
            PlanInput input = plan.input;
            input.os        = os;
            trees[nTree].systems.push_back(os);
            trees[nTree].reads.push_back(ReadInsertion(files, *read.pSource, input, IsOnly64Bit(os)));
            trees[nTree].reads64.push_back(MayBe64Bit(os) ? ReadInsertion(files, *read.pSource, input, 1)
                                                          : trees[nTree].reads.back());
        }
        std::set<std::string> without;
        bool                  bAny = false;
        for (const TreeInsertions& tree : trees)
        {
            bAny = bAny || tree.reads.front().pFile->bPresent;
            if (!tree.reads.front().pFile->bPresent)
                without.insert(tree.systems.begin(), tree.systems.end());
            CheckTree(tree, plan.input.launcher, found);
        }
        if (!bAny)
            AddFound(found, "info", "autorun-missing",
                     "the disc has no autorun.inf: nothing starts when it is inserted, the user has to open it and "
                     "start " + plan.input.launcher + "; add one whose [AutoRun] says open=" + plan.input.launcher,
                     without);
        for (size_t i = 0; i < trees.size(); ++i)
        {
            for (size_t j = i + 1; j < trees.size(); ++j)
                CompareTrees(files, trees[i], trees[j], plan.input, found);
        }
    }
    for (Plan& plan : plans)
    {
        if (plan.unplanned == "unknown" || plan.unplanned == "nothing")
            continue;
        for (const Found& item : byLocale[{PlannedCodePage(plan.input), PlannedOemCodePage(plan.input)}])
        {
            if (item.systems.count(plan.input.os))
                AddDiscFindings(plan, {item.finding});
        }
    }
}
