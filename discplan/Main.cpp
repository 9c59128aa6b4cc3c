// discplan: what Setup.exe will do on a disc folder or image, for every
// system, language, code page and command line, before the disc ships.
#include <map>
#include <string>
#include <vector>

#include "discplan/codepage/CodePage.h"
#include "discplan/output/Console.h"
#include "discplan/output/OutputFile.h"
#include "discplan/input/DiscInput.h"
#include "discplan/plan/DiscPlan.h"
#include "discplan/plan/Insertion.h"
#include "discplan/findings/Findings.h"
#include "discplan/output/PlanOutput.h"
#include "discplan/plan/Systems.h"
#include "discplan/findings/AutorunFindings.h"
#include "discplan/findings/ImageDiffers.h"
#include "discplan/findings/NameCut.h"
#include "discplan/findings/TreesDiffer.h"
#include "SourceVersion.h"

namespace {

const char* const USAGE =
    "usage: discplan DISC_FOLDER|IMAGE [--os NAME]... [--lang CODE]... [--codepage N] [--cmdline TEXT]...\n"
    "                [--insertion] [--user admin|standard] [--engine current|outdated] [--at WINDOWS_FOLDER]\n"
    "                [--launcher NAME] [--source FOLDER] [--json] [--html FILE] [--junit FILE] [--strict]\n"
    "       discplan --version\n";

int Refuse(const std::string& message, bool bUsage = false)
{
    Write("discplan: " + message + "\n" + (bUsage ? USAGE : ""), true);
    return 2;
}

void AddOnce(std::vector<std::string>& values, const std::string& value)
{
    for (const std::string& known : values)
    {
        if (known == value)
            return;
    }
    values.push_back(value);
}

std::string List(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += " " + name;
    return text;
}

// A drive letter, a colon and a separator: the folder Windows names a disc by.
bool IsWindowsFolder(const std::string& at)
{
    const char chDrive = at.empty() ? '\0' : static_cast<char>(at[0] & ~0x20);
    return at.size() >= 3 && chDrive >= 'A' && chDrive <= 'Z' && at[1] == ':' && (at[2] == '\\' || at[2] == '/');
}

// The version of the launcher whose decisions this build plans, and what it
// was built from.
std::string VersionText()
{
    const std::string commit = SETUP_SOURCE_COMMIT;
    if (commit.empty())
        return "discplan " SETUP_VERSION_TEXT ", built from no git commit (a source archive?)\n";
    return "discplan " SETUP_VERSION_TEXT ", commit " + commit +
           (SETUP_SOURCE_CHANGED ? " with changes not committed" : "") + "\n";
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args = Arguments(argc, argv);
    std::string                    folder;
    PlanInput                      options;
    options.user   = "admin";
    options.engine = "outdated";
    std::vector<std::string> systems, langs, cmdlines;
    bool                     bCmdlineGiven = false, bInsertion = false, bJson = false, bStrict = false;
    std::string              codePage, sourceFolder, htmlFile, junitFile;
    bool                     bHtml = false, bJunit = false;
    bool                     bCodePageGiven = false;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg   = args[i];
        const bool         bNext = i + 1 < args.size();
        if (arg == "--os" && bNext)
            AddOnce(systems, args[++i]);
        else if (arg == "--lang" && bNext)
        {
            const std::string lang = KnownLanguage(args[++i]);
            if (lang.empty())
                return Refuse("unknown language " + args[i] + " (known:" + List(KnownLanguages()) +
                              "); for another language plan its system's code page with --lang enu --codepage N");
            AddOnce(langs, lang);
        }
        else if (arg == "--codepage" && bNext)
            codePage = args[++i], bCodePageGiven = true;
        else if (arg == "--cmdline" && bNext)
        {
            AddOnce(cmdlines, args[++i]);
            bCmdlineGiven = true;
        }
        else if (arg == "--insertion")
            bInsertion = true;
        else if (arg == "--user" && bNext)
            options.user = args[++i];
        else if (arg == "--engine" && bNext)
            options.engine = args[++i];
        else if (arg == "--at" && bNext)
            options.at = args[++i];
        else if (arg == "--launcher" && bNext)
            options.launcher = args[++i];
        else if (arg == "--source" && bNext)
            sourceFolder = args[++i];
        else if (arg == "--json")
            bJson = true;
        else if (arg == "--html" && bNext)
            htmlFile = args[++i], bHtml = true;
        else if (arg == "--junit" && bNext)
            junitFile = args[++i], bJunit = true;
        else if (arg == "--strict")
            bStrict = true;
        else if (arg == "--version")
        {
            Write(VersionText());
            return 0;
        }
        else if (arg == "--help" || arg == "-h")
        {
            Write(USAGE);
            return 0;
        }
        else if (arg.compare(0, 2, "--") != 0 && folder.empty())
            folder = arg;
        else if (arg.compare(0, 2, "--") != 0)
            return Refuse("one disc folder at a time: " + folder + " and " + arg + " given", true);
        else
            return Refuse("unknown or incomplete option " + arg, true);
    }
    if (folder.empty())
    {
        Write(USAGE, true);
        return 2;
    }
    if ((options.user != "admin" && options.user != "standard") ||
        (options.engine != "current" && options.engine != "outdated"))
        return Refuse("--user is admin or standard, --engine current or outdated");
    for (const std::string& name : systems)
    {
        if (OsCodeOfSystem(name) == 0)
            return Refuse("unknown system " + name + " (known:" + List(KnownSystems()) + ")");
    }
    if (!IsWindowsFolder(options.at))
        return Refuse("--at needs a full Windows folder on a drive A to Z, such as D:\\ or E:\\disc");
    // The launcher's folder has no separator at its end (but for a drive's
    // root): "E:\\Discs\\" is the folder E:\\Discs.
    while (options.at.size() > 3 && (options.at.back() == '\\' || options.at.back() == '/'))
        options.at.pop_back();
    if (bCodePageGiven)
    {
        options.nCodePage = !codePage.empty() && codePage.find_first_not_of("0123456789") == std::string::npos &&
                                    codePage.size() < 6
                                ? static_cast<unsigned>(std::stoul(codePage))
                                : 0;
        bool bAnsi = false;
        for (unsigned nAnsi : AnsiCodePages())
            bAnsi = bAnsi || nAnsi == options.nCodePage;
        if (!bAnsi || CCodePage::Get(options.nCodePage) == nullptr)
        {
            std::string known;
            for (unsigned nKnown : AnsiCodePages())
                known += CCodePage::Get(nKnown) != nullptr ? " " + std::to_string(nKnown) : "";
            return Refuse("cannot plan code page " + codePage + " (known:" + known + ")");
        }
    }
    if (systems.empty())
        systems = DefaultSystems();
    else
    {
        // In the order of the systems, for "win2000 and later".
        std::vector<std::string> ordered;
        for (const std::string& known : KnownSystems())
        {
            for (const std::string& name : systems)
            {
                if (name == known)
                    ordered.push_back(name);
            }
        }
        systems = ordered;
    }
    // A system of another code page is one whose language the table does
    // not know: the launcher's language there is enu.
    if (langs.empty())
        langs = options.nCodePage != 0 ? std::vector<std::string>{"enu"} : KnownLanguages();
    // The insertion is planned with the default command lines, or when asked
    // for by name.
    if (!bCmdlineGiven && !bInsertion)
        cmdlines = DefaultCmdlines(), bInsertion = true;
    // A C library without a code page's converter plans no system of it.
    for (const std::string& lang : langs)
    {
        PlanInput input = options;
        input.lang      = lang;
        if (CCodePage::Get(PlannedCodePage(input)) == nullptr)
            return Refuse("this build cannot convert code page " + std::to_string(PlannedCodePage(input)) +
                          " of language " + lang);
        if (CCodePage::Get(PlannedOemCodePage(input)) == nullptr)
            return Refuse("this build cannot convert the OEM code page " +
                          std::to_string(PlannedOemCodePage(input)) + " of language " + lang);
    }

    CDiscInput  disc;
    std::string error;
    if (!disc.Open(folder, &error))
        return Refuse(error);
    CDiscInput source;
    if (!sourceFolder.empty() && (!disc.IsImage() || !CFolderSource::IsFolder(sourceFolder) ||
                                  !source.Open(sourceFolder, &error)))
        return Refuse(!disc.IsImage() ? "--source is the folder an image was mastered from: " + folder +
                                            " is no image"
                                      : "--source " + sourceFolder + " is no folder that can be read");

    // The disc's own findings, once per tree read and code page; an image's
    // own, in every row, once per OEM code page (the ISO 9660 tree's names).
    std::map<std::pair<const CDiscSource*, unsigned>, std::vector<Finding>> discFindings;
    std::map<unsigned, std::vector<Finding>>                                imageFindings;
    std::vector<Plan>                                                       plans;
    // The insertion's rows first: each system that runs or offers a program
    // of the disc's autorun.inf, with the command line the shell hands it.
    std::vector<PlanInput> inputs;
    CAutorunFiles          autorunFiles;
    for (const std::string& os : systems)
    {
        for (const std::string& lang : langs)
        {
            PlanInput input = options, inserted;
            input.os = os, input.lang = lang;
            const SystemDisc read = disc.ForSystem(os, PlannedOemCodePage(input));
            if (bInsertion && read.pSource != nullptr && InsertionInput(autorunFiles, *read.pSource, input, &inserted))
                inputs.push_back(inserted);
        }
    }
    for (const std::string& cmdline : cmdlines)
    {
        for (const std::string& os : systems)
        {
            for (const std::string& lang : langs)
            {
                PlanInput input = options;
                input.os = os, input.lang = lang, input.cmdline = cmdline;
                inputs.push_back(input);
            }
        }
    }
    for (const PlanInput& input : inputs)
    {
        const unsigned   nOem = PlannedOemCodePage(input);
        const SystemDisc read = disc.ForSystem(input.os, nOem);
        Plan             plan = MakeSystemPlan(read, input);
        if (read.pSource != nullptr)
        {
            const auto key = std::make_pair(read.pSource, plan.nCodePage);
            if (!discFindings.count(key))
                discFindings[key] = CheckDisc(*read.pSource, input);
            AddDiscFindings(plan, discFindings[key]);
        }
        if (!imageFindings.count(nOem))
            imageFindings[nOem] = disc.ImageFindings(options.at, nOem);
        AddDiscFindings(plan, imageFindings[nOem]);
        plans.push_back(plan);
    }
    AddAutorunFindings(disc, plans);
    if (disc.IsImage())
    {
        AddTreesDifferFinding(disc, plans);
        AddTreeUnknownFinding(disc, plans);
        AddNameCutFindings(disc, plans);
        if (!sourceFolder.empty())
            AddSourceDiffersFinding(disc, source, plans);
    }
    bool bError = false;
    for (const Plan& plan : plans)
    {
        for (const Finding& finding : plan.findings)
            bError = bError || finding.severity == "error";
    }
    // The files first: one that cannot be written leaves standard output
    // empty. A CI job gets its report files also when there is no plan.
    const TextHeading heading = {disc.Describe(), systems, langs, cmdlines};
    if (bHtml && !WriteOutputFile(htmlFile, PlansHtml(heading, plans), &error))
        return Refuse("cannot write " + htmlFile + ": " + error);
    if (bJunit && !WriteOutputFile(junitFile, PlansJunit(folder, plans), &error))
        return Refuse("cannot write " + junitFile + ": " + error);
    // Only the insertion asked for, and no system acts on the disc's autorun.inf.
    if (plans.empty())
    {
        Write(bJson ? std::string("[\n]\n")
                    : "Disc " + disc.Describe() + ": no system runs or offers a program of its autorun.inf on insertion\n");
        return 0;
    }
    Write(bJson ? PlansJson(plans) : PlansText(heading, plans));
    return bStrict && bError ? 1 : 0;
}
