#include "discplan/plan/Insertion.h"

#include <algorithm>

#include "discplan/codepage/CodePage.h"
#include "discplan/plan/Systems.h"

namespace {

std::string Join(const std::vector<std::string>& systems)
{
    std::string text;
    for (const std::string& system : systems)
        text += (text.empty() ? "" : ", ") + system;
    return text;
}

} // namespace

const AutorunFile& CAutorunFiles::Get(const CDiscSource& source, const PlanInput& input)
{
    const auto key   = std::make_tuple(&source, PlannedCodePage(input), ReadsUnicodeFiles(input.os));
    auto       found = m_files.find(key);
    if (found != m_files.end())
        return found->second;
    AutorunFile&     file      = m_files[key];
    const CCodePage* pCodePage = CCodePage::Get(PlannedCodePage(input));
    if (pCodePage != nullptr)
        ReadAutorunFile(source, *pCodePage, ReadsUnicodeFiles(input.os), &file);
    return file;
}

SystemInsertion ReadInsertion(CAutorunFiles& files, const CDiscSource& source, const PlanInput& input, int b64Bit)
{
    SystemInsertion insertion;
    insertion.pFile = &files.Get(source, input);
    insertion.task  = AutorunTaskOf(*insertion.pFile, input.os, b64Bit);
    std::vector<std::string> parts;
    if (insertion.task.key.empty() || !AutorunDiscPath(insertion.task.program, &parts))
        return insertion;
    // The launcher counts as there, whether or not the folder holds it yet.
    insertion.bLauncher = parts.size() == 1 && SameName(parts[0], input.launcher);
    int bFolder         = 0;
    insertion.bFound    = FindOnDisc(source, parts, &insertion.found, &bFolder) && !bFolder;
    if (insertion.bLauncher && !insertion.bFound)
        insertion.found = {input.launcher}, insertion.bFound = 1;
    return insertion;
}

int InsertionInput(CAutorunFiles& files, const CDiscSource& source, const PlanInput& asked, PlanInput* pInput)
{
    const SystemInsertion read = ReadInsertion(files, source, asked, IsOnly64Bit(asked.os));
    if (read.task.key.empty())
        return 0;
    *pInput                     = asked;
    pInput->origin              = "insertion";
    pInput->cmdline             = read.task.arguments;
    pInput->insertion.shown     = read.task.shown;
    pInput->insertion.text      = read.task.text;
    pInput->insertion.icon      = read.task.icon;
    pInput->insertion.section   = read.task.section;
    pInput->insertion.key       = read.task.key;
    pInput->insertion.program   = read.task.program;
    pInput->insertion.bLauncher = read.bLauncher;
    pInput->insertion.bFound    = read.bFound;
    return 1;
}

std::string InsertionOutcome(const SystemInsertion& read)
{
    const AutorunTask& task = read.task;
    if (task.key.empty())
        return "start nothing";
    const std::string run = task.program + (task.arguments.empty() ? "" : " " + task.arguments);
    return task.shown == "autoplay" ? "offer \"" + task.text + "\" for " + run : "start " + run;
}

std::string SystemsText(const std::vector<std::string>& systems)
{
    const std::vector<std::string>& all = KnownSystems();
    if (systems.size() == all.size())
        return "every system";
    if (systems.size() < 2)
        return Join(systems);
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
        return systems.front() + " and later" + (gaps.empty() ? "" : " but " + Join(gaps));
    if (nFirst == 0 && std::equal(systems.begin(), systems.end(), all.begin()))
        return systems.back() + " and earlier";
    std::vector<std::string> out;
    for (const std::string& os : all)
    {
        if (std::find(systems.begin(), systems.end(), os) == systems.end())
            out.push_back(os);
    }
    if (out.size() < systems.size() / 2)
        return "every system but " + Join(out);
    return Join(systems);
}

Plan OtherProgramPlan(const PlanInput& input)
{
    Plan plan;
    plan.input          = input;
    plan.nCodePage      = CCodePage::Get(PlannedCodePage(input)) ? PlannedCodePage(input) : 0;
    plan.languageCode   = KnownLanguage(input.lang).empty() ? "enu" : KnownLanguage(input.lang);
    plan.nOsCode        = OsCodeOfSystem(input.os);
    plan.unplanned      = "other-program";
    return plan;
}
