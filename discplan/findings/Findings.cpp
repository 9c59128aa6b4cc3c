#include "discplan/findings/Findings.h"

#include "discplan/codepage/CodePage.h"
#include "discplan/plan/DiscView.h"
#include "discplan/findings/EngineFindings.h"
#include "discplan/findings/IniFindings.h"
#include "discplan/findings/MistakeHints.h"
#include "launcher/ParamTemplate.h"
#include "launcher/ProductTable.h"

namespace {

void Add(std::vector<Finding>& findings, const char* szSeverity, const char* szCode, const std::string& message)
{
    findings.push_back({szSeverity, szCode, message});
}

// The product table's existence test has no context of its own.
const CDiscView* g_pView = nullptr;

int ViewPathExists(const char* szPath) { return g_pView->Exists(szPath); }

std::string WithoutDotPrefix(const std::string& folder)
{
    return folder.compare(0, 2, ".\\") == 0 ? folder.substr(2) : folder;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

const std::string REFUSED_START = "CmdlineParam ";
const std::string REFUSED_END   = " refused, default used\n";

// The template the launcher logged as refused, and the part of it that it refuses.
std::string RefusedTemplate(const std::string& templ)
{
    const std::string part = RefusedConversion(templ);
    std::string       why;
    if (part == "%")
        why = "its lone % at the end (%% gives a percent sign)";
    else if (part == "%s")
        why = "its third %s (the launcher hands over two texts: the product path, then the language code)";
    else if (!part.empty())
        why = Quoted(part) + " (only %s, at most twice, and %% are taken)";
    else
        why = "a conversion other than %s and %%";
    return "Setup.ini's CmdlineParam " + Quoted(templ) + " is refused for " + why + "; the default " +
           Quoted(DEFAULT_PARAM_TEMPLATE) + " is used";
}

// Why a run without a command line starts nothing, in words that hold for
// every language.
std::string DoubleClickReason(const RunFacts& facts, const Plan& plan, const std::string& missing)
{
    std::string why = "without a command line (a double-click, the disc's autorun) Setup.exe starts nothing";
    if (!missing.empty())
        return why + ": it tries " + missing + ", which is not on the disc";
    if (facts.bLauncherItself)
        return why + ": there is no product folder, and the last resort never starts Setup.exe itself";
    if (facts.bSetupMissing)
        return why + ": there is no setup program for the language";
    if (!plan.bSetupFound)
        return why + ": its last resort is a plain " + plan.productFolder +
               "setup.exe, which is not on the disc; a setup program in a language folder starts only with "
               "/dusmara or /dm5";
    return why;
}

} // namespace

void AddRunFindings(const RunFacts& facts, Plan& plan)
{
    std::vector<Finding>& findings = plan.findings;
    if (facts.bIniPathTooLong)
        Add(findings, "error", "ini-path-too-long",
            "Setup.ini is not read: its path at " + facts.at + " is longer than 259 characters");
    if (!facts.driverTooLong.empty())
        Add(findings, "error", "driver-path-too-long",
            "the driver registry file " + facts.driverTooLong +
                " has a path longer than 259 characters and is not imported");
    for (const std::string& line : plan.log)
    {
        const size_t nStart = REFUSED_START.size(), nEnd = REFUSED_END.size();
        if (line.size() > nStart + nEnd && line.compare(0, nStart, REFUSED_START) == 0 &&
            line.compare(line.size() - nEnd, nEnd, REFUSED_END) == 0)
            Add(findings, "error", "cmdline-param-refused",
                RefusedTemplate(line.substr(nStart, line.size() - nStart - nEnd)));
        else if (line == "Silent parameters too long, nothing launched\n")
            Add(findings, "error", "silent-params-too-long",
                "the silent installation's parameters would be longer than 259 characters at " + facts.at +
                    "; nothing is started");
    }
    if (facts.bHasSwitch && facts.bSilent && facts.bLauncherItself)
        Add(findings, "error", "silent-starts-itself",
            "no product folder: the silent installation starts Setup.exe itself, which then finds itself running");
    // "/webrelease" asks for a program the disc may simply not offer.
    const bool  bWebRelease = facts.bHasSwitch && !facts.bSilent && facts.bWebRelease;
    bool        bStarted    = false;
    std::string missing;
    for (const PlannedStart& start : plan.starts)
    {
        bStarted = bStarted || start.found;
        if (!start.found && !bWebRelease)
        {
            Add(findings, "error", "program-missing",
                "Setup.exe starts " + start.program + ", which is not on the disc");
            missing = start.program;
        }
    }
    if (plan.bHasEngineUpdate && !plan.engineUpdate.found)
        Add(findings, "error", "engine-update-missing",
            "the engine update is found at " + plan.engineProbe + " but run from " + plan.engineUpdate.program +
                ", which is not on the disc");
    // "/webrelease" asks for a program the disc may simply not offer: a note,
    // which the text's closing list gives once, with the rows it holds for.
    if (bWebRelease && !bStarted)
        Add(findings, "info", "webrelease-missing",
            "the disc has no AppInst\\setup.exe: /webrelease starts nothing (Setup.exe logs that it cannot find "
            ".\\AppInst\\setup.exe)");
    if (bStarted || bWebRelease)
        return;
    if (facts.bHasSwitch && !facts.bKeyword)
    {
        Add(findings, "info", "nothing-started", "a slash without a keyword: nothing is started");
        return;
    }
    const bool bNoSetup = facts.bSetupMissing && plan.product.size() + plan.productFolder.size() > 0;
    if (bNoSetup)
        Add(findings, "error", "no-setup-for-language",
            "no setup program for language " + plan.languageCode + ": " + plan.productFolder +
                " holds neither setup.exe nor " + plan.languageCode + "\\setup.exe nor enu\\setup.exe");
    // A double-click, and the disc's autorun, start Setup.exe without a
    // command line: nothing started there is the worst a disc can do, and
    // the launcher says nothing about why.
    if (!facts.bHasSwitch)
        Add(findings, "error", "nothing-on-double-click", DoubleClickReason(facts, plan, missing));
    else if (!bNoSetup)
        Add(findings, "warning", "nothing-started", "nothing is started");
}

std::vector<Finding> CheckDisc(const CDiscSource& source, const PlanInput& input)
{
    std::vector<Finding> findings;
    const CCodePage*     pCodePage = CCodePage::Get(PlannedCodePage(input));
    if (pCodePage == nullptr)
        return findings;
    const CDiscView view(source, *pCodePage, input.at, input.launcher);
    g_pView = &view;
    const std::string shortName = ": Setup.exe works from the folder's short name, which this plan cannot know "
                                  "(where the volume has none, it starts nothing and exits with 3)";
    if (!view.AtFits())
        Add(findings, "warning", "name-not-in-codepage",
            "the disc's folder " + view.AtText() + " takes " + std::to_string(view.At().size()) + " bytes in code page " +
                std::to_string(pCodePage->Number()) + ", more than the 259 Setup.exe's buffer holds" + shortName);
    else if (!view.AtWritable())
        Add(findings, "warning", "name-not-in-codepage",
            "code page " + std::to_string(pCodePage->Number()) + " cannot write the disc's folder " + view.AtText() +
                shortName);
    CheckSetupIni(view, findings);

    // The product folder and its setup programs.
    ProductLocation location = {};
    FindProductFolder(location, ViewPathExists);
    const std::string product = WithoutDotPrefix(location.szProductFolder);
    for (const DiscEntry& entry : view.List(""))
    {
        if (!SameName(entry.name + "\\", product))
            CheckName(view, entry.bFolder ? "the folder" : "the file", entry.name, findings);
    }
    if (!product.empty())
    {
        std::vector<std::string> languages;
        for (const DiscEntry& entry : view.List(product))
        {
            std::string bytes;
            CheckName(view, entry.bFolder ? "the folder" : "the file", product + entry.name, findings);
            if (pCodePage->Encode(entry.name, &bytes) && view.Exists(product + bytes + "\\setup.exe"))
                languages.push_back(entry.name);
        }
        const bool bPlain   = view.Exists(product + "setup.exe");
        const bool bEnglish = view.Exists(product + "enu\\setup.exe");
        if (!bPlain && !bEnglish && !languages.empty())
            Add(findings, "error", "no-english-setup",
                "setup programs only in language folders of " + product +
                    " and none in enu: users of every other language get nothing");
    }

    FindEngineUpdate(location, ViewPathExists);
    CheckEngineUpdates(view, location, findings);
    g_pView = nullptr;
    // A name met on two ways is told once.
    std::vector<Finding> once;
    for (const Finding& finding : findings)
    {
        bool bSeen = false;
        for (const Finding& kept : once)
            bSeen = bSeen || kept.message == finding.message;
        if (!bSeen)
            once.push_back(finding);
    }
    return once;
}
