#include "discplan/plan/Insertion.h"

#include "discplan/codepage/CodePage.h"
#include "discplan/plan/Systems.h"

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
