#include "discplan/findings/NameCut.h"

#include <map>
#include <set>

#include "discplan/codepage/CodePage.h"
#include "discplan/findings/ImageFindings.h"
#include "discplan/findings/TreesDiffer.h"
#include "discplan/input/IniFile.h"
#include "discplan/plan/Systems.h"
#include "launcher/ProductTable.h"

namespace {

// A name cut to fewer characters than this is not taken for a cut: names of
// 8.3 are matched by their 8.3 form; the length limits mastering tools cut
// at are 30 and 31 (ISO 9660 levels 2 and 3), 64 and 103 (Joliet).
const size_t MIN_CUT = 30;

// The name in d-characters, as ISO 9660 level 1 writes it.
std::u32string DCharacters(const std::u32string& name)
{
    std::u32string mapped;
    for (char32_t ch : name)
    {
        if (ch >= U'a' && ch <= U'z')
            ch = ch - U'a' + U'A';
        mapped += (ch >= U'A' && ch <= U'Z') || (ch >= U'0' && ch <= U'9') ? ch : U'_';
    }
    return mapped;
}

// "CORVAN_L" for "Corvan Lite", "README.TXT" for "readme.text".
std::u32string EightDotThree(const std::u32string& name)
{
    const size_t         nDot = name.rfind(U'.');
    const std::u32string base = DCharacters(nDot == std::u32string::npos ? name : name.substr(0, nDot));
    if (nDot == std::u32string::npos)
        return base.substr(0, 8);
    return base.substr(0, 8) + U"." + DCharacters(name.substr(nDot + 1)).substr(0, 3);
}

} // namespace

int IsCutName(const std::string& entry, const std::string& needed, std::string* pHow)
{
    const std::u32string have = CodePoints(entry), want = CodePoints(needed);
    if (have.size() >= want.size() || SameName(entry, needed))
        return 0;
    if (DCharacters(have) == EightDotThree(want) || have == EightDotThree(want))
    {
        *pHow = "to the 8.3 name " + entry;
        return 1;
    }
    if (have.size() >= MIN_CUT && FoldCase(needed).compare(0, have.size(), FoldCase(entry)) == 0)
    {
        *pHow = "at " + std::to_string(Utf16Length(entry)) + " characters";
        return 1;
    }
    // A cut that also mapped the characters (ISO 9660 levels 2 and 3).
    if (have.size() >= MIN_CUT && DCharacters(want).compare(0, have.size(), DCharacters(have)) == 0)
    {
        *pHow = "at " + std::to_string(have.size()) + " characters, in ISO 9660's characters";
        return 1;
    }
    return 0;
}

namespace {

// The paths (names from the root) a plan needs.
std::vector<std::vector<std::string>> NeededPaths(const Plan& plan, const CDiscSource& source)
{
    std::vector<std::vector<std::string>> paths;
    const std::string&                    at = plan.input.at;
    // The product folders the table tries before the one it found.
    for (size_t i = 0; i < g_nProductRows; ++i)
    {
        std::vector<std::string> folder = DiscPath(g_productRows[i].szProbe, at);
        if (!plan.productFolder.empty() && DiscPath(plan.productFolder, at) == folder)
            break;
        paths.push_back(folder);
    }
    for (const PlannedStart& start : plan.starts)
        paths.push_back(DiscPath(start.program, at));
    if (!plan.bSetupFound)
        paths.push_back(DiscPath(plan.setupProgram, at));
    if (!plan.bEngineUpdateFound)
        paths.push_back(DiscPath(plan.engineProbe, at));
    if (plan.bHasEngineUpdate && !plan.engineUpdate.found)
        paths.push_back(DiscPath(plan.engineUpdate.program, at));
    // The programs Setup.ini names, started when they are there.
    std::string bytes;
    const CCodePage* pCodePage = CCodePage::Get(plan.nCodePage);
    if (pCodePage && source.Read({"Setup.ini"}, &bytes))
    {
        CIniFile ini;
        ini.Load(bytes, *pCodePage, ReadsUnicodeFiles(plan.input.os));
        for (const char* szKey : {"DemoPath", "SetupPath"})
        {
            std::string value;
            if (ini.FindText("Settings", szKey, &value) && !value.empty())
                paths.push_back(DiscPath(value.compare(0, 2, ".\\") == 0 ? value : ".\\" + value, at));
        }
    }
    return paths;
}

// The first name of path that is not in source while a cut of it is:
// the finding's message, or empty.
std::string CutOnTheWay(const CDiscSource& source, const std::vector<std::string>& path, const std::string& treeName,
                        const std::string& at)
{
    std::vector<std::string> names;
    for (const std::string& part : path)
    {
        std::vector<DiscEntry> entries;
        if (!source.List(names, &entries))
            return std::string();
        const DiscEntry* pFound = nullptr;
        std::string      cut, how;
        for (const DiscEntry& entry : entries)
        {
            pFound = pFound ? pFound : SameName(entry.name, part) ? &entry : nullptr;
            if (cut.empty() && IsCutName(entry.name, part, &how))
                cut = entry.name;
        }
        if (pFound)
        {
            names.push_back(pFound->name);
            continue;
        }
        if (cut.empty())
            return std::string();
        std::string where = at;
        for (const std::string& name : names)
            where += name + "\\";
        return "the " + treeName + " tree holds " + where + cut + " where Setup.exe looks for " + where + part +
               ": mastering cut the name " + how +
               "; master the image with Joliet's long names (xorriso -as mkisofs -J -joliet-long, up to 103 "
               "characters) and keep the names Setup.exe looks for shorter, or add a UDF tree that keeps them whole";
    }
    return std::string();
}

} // namespace

void AddNameCutFindings(const CDiscInput& disc, std::vector<Plan>& plans)
{
    // One look per tree, code page and needed path: rows share them.
    std::map<std::pair<const CDiscSource*, std::string>, std::string> seen;
    for (Plan& plan : plans)
    {
        if (!plan.unplanned.empty() || plan.tree.empty())
            continue;
        const SystemDisc read = disc.ForSystem(plan.input.os, PlannedOemCodePage(plan.input));
        if (!read.pSource)
            continue;
        std::set<std::string> messages;
        for (const std::vector<std::string>& path : NeededPaths(plan, *read.pSource))
        {
            std::string key;
            for (const std::string& part : path)
                key += part + "\\";
            auto found = seen.find({read.pSource, plan.input.at + key});
            if (found == seen.end())
                found = seen.emplace(std::make_pair(read.pSource, plan.input.at + key),
                                     CutOnTheWay(*read.pSource, path, read.treeName, plan.input.at))
                            .first;
            if (!found->second.empty())
                messages.insert(found->second);
        }
        for (const std::string& message : messages)
            AddDiscFindings(plan, {{"error", "image-name-cut", message}});
    }
}
