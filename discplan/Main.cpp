// discplan: what Setup.exe will do on a disc folder, for every system,
// language and command line, before the disc ships.
#include <stdio.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "discplan/DiscPlan.h"

namespace {

const char* const USAGE =
    "usage: discplan DISC_FOLDER [--os NAME]... [--lang CODE]... [--cmdline TEXT]...\n"
    "                [--user admin|standard] [--engine current|outdated] [--at WINDOWS_FOLDER]\n"
    "                [--launcher NAME] [--json] [--strict]\n";

// The command lines that select differently.
const char* const DEFAULT_CMDLINES[] = {"", "/s", "/webrelease", "/dusmara", "/dm5", "/x"};

// One system per class the launcher tells apart (win7 and win10 are vista's class).
const char* const DEFAULT_SYSTEMS[] = {"win95", "win98", "win98se", "winme", "nt4", "win2000", "winxp", "winxp64",
                                       "vista"};

const char* const SHOW_NAMES[] = {"hidden", "normal", "minimised"};

std::string Json(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char ch : text)
    {
        if (ch == '"' || ch == '\\')
            out += std::string("\\") + static_cast<char>(ch);
        else if (ch == '\n')
            out += "\\n";
        else if (ch < 0x20)
        {
            char sz[8];
            snprintf(sz, sizeof(sz), "\\u%04x", ch);
            out += sz;
        }
        else
            out += static_cast<char>(ch);
    }
    return out + "\"";
}

std::string JsonOrNull(const std::string& text) { return text.empty() ? "null" : Json(text); }

std::string JsonStart(const PlannedStart& start)
{
    return "{\"program\": " + Json(start.program) + ", \"parameters\": " + Json(start.parameters) +
           ", \"folder\": " + Json(start.folder) + ", \"show\": " + std::to_string(start.show) +
           ", \"wait\": " + (start.wait ? "true" : "false") + "}";
}

const PlannedStart* LaunchOf(const Plan& plan)
{
    for (const PlannedStart& start : plan.starts)
    {
        if (start.found)
            return &start;
    }
    return nullptr;
}

std::string FindingsJson(const std::vector<Finding>& findings)
{
    std::string out = "[";
    for (size_t i = 0; i < findings.size(); ++i)
        out += std::string(i ? ", " : "") + "{\"severity\": " + Json(findings[i].severity) + ", \"code\": " +
               Json(findings[i].code) + ", \"message\": " + Json(findings[i].message) + "}";
    return out + "]";
}

std::string PlanJson(const Plan& plan)
{
    const PlannedStart* pLaunch = LaunchOf(plan);
    std::string         attempted = "null";
    for (const PlannedStart& start : plan.starts)
    {
        if (!start.found)
            attempted = Json(start.program);
    }
    std::string out = "{";
    out += "\"os\": " + Json(plan.input.os) + ", \"os_code\": " + std::to_string(plan.nOsCode);
    out += ", \"lang\": " + Json(plan.input.lang) + ", \"language_code\": " + Json(plan.languageCode);
    out += ", \"cmdline\": " + Json(plan.input.cmdline) + ", \"user\": " + Json(plan.input.user);
    out += ", \"engine\": " + Json(plan.input.engine);
    out += ", \"product\": " + JsonOrNull(plan.product);
    out += ", \"product_folder\": " + JsonOrNull(plan.productFolder);
    out += ", \"setup_program\": " + Json(plan.setupProgram);
    out += ", \"setup_found\": " + std::string(plan.bSetupFound ? "true" : "false");
    out += ", \"engine_probe\": " + Json(plan.engineProbe);
    out += ", \"engine_update_found\": " + std::string(plan.bEngineUpdateFound ? "true" : "false");
    out += ", \"engine_update\": " +
           (plan.bHasEngineUpdate ? "{\"program\": " + Json(plan.engineUpdate.program) + ", \"parameters\": " +
                                        Json(plan.engineUpdate.parameters) + ", \"wait\": true, \"found\": " +
                                        (plan.engineUpdate.found ? "true" : "false") + "}"
                                  : std::string("null"));
    out += ", \"driver_import\": " + JsonOrNull(plan.driverImport);
    out += ", \"admin_required\": " + std::string(plan.bAdminRequired ? "true" : "false");
    out += ", \"admin_message\": " + std::string(plan.bAdminMessage ? "true" : "false");
    out += ", \"launch\": " + (pLaunch ? JsonStart(*pLaunch) : std::string("null"));
    out += ", \"launch_missing\": " + attempted;
    out += ", \"exit_code\": " + std::to_string(plan.nExitCode);
    out += ", \"log\": [";
    for (size_t i = 0; i < plan.log.size(); ++i)
        out += (i ? ", " : "") + Json(plan.log[i]);
    out += "], \"findings\": " + FindingsJson(plan.findings) + "}";
    return out;
}

// The outcome of a plan in words, without the system and language it is for.
std::string Outcome(const Plan& plan)
{
    std::string out;
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

// "every language", "every language but deu, fra", or the list.
std::string Describe(const std::vector<std::string>& chosen, const std::set<std::string>& members,
                     const char* szEvery, bool bOrdered)
{
    if (members.size() == chosen.size() && chosen.size() > 1)
        return szEvery;
    std::vector<std::string> in, out;
    for (const std::string& name : chosen)
        (members.count(name) ? in : out).push_back(name);
    auto join = [](const std::vector<std::string>& names) {
        std::string text;
        for (size_t i = 0; i < names.size(); ++i)
            text += (i ? ", " : "") + names[i];
        return text;
    };
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
            return chosen[nFirst] + " and later" + (gaps.empty() ? "" : " but " + join(gaps));
    }
    if (!out.empty() && out.size() < in.size())
        return std::string(szEvery) + " but " + join(out);
    return join(in);
}

std::string CmdlineName(const std::string& cmdline) { return cmdline.empty() ? "no command line" : "\"" + cmdline + "\""; }

} // namespace

int main(int argc, char** argv)
{
    std::string              folder;
    std::string              at = "D:\\";
    std::string              launcher = "Setup.exe";
    std::vector<std::string> systems, langs, cmdlines;
    bool                     bCmdlineGiven = false;
    std::string              user = "admin", engine = "outdated";
    bool                     bJson = false, bStrict = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg   = argv[i];
        const bool        bNext = i + 1 < argc;
        if (arg == "--os" && bNext)
            systems.push_back(argv[++i]);
        else if (arg == "--lang" && bNext)
            langs.push_back(argv[++i]);
        else if (arg == "--cmdline" && bNext)
        {
            cmdlines.push_back(argv[++i]);
            bCmdlineGiven = true;
        }
        else if (arg == "--user" && bNext)
            user = argv[++i];
        else if (arg == "--engine" && bNext)
            engine = argv[++i];
        else if (arg == "--at" && bNext)
            at = argv[++i];
        else if (arg == "--launcher" && bNext)
            launcher = argv[++i];
        else if (arg == "--json")
            bJson = true;
        else if (arg == "--strict")
            bStrict = true;
        else if (arg == "--help" || arg == "-h")
        {
            fputs(USAGE, stdout);
            return 0;
        }
        else if (arg.compare(0, 2, "--") != 0 && folder.empty())
            folder = arg;
        else
        {
            fprintf(stderr, "discplan: unknown or incomplete option %s\n%s", arg.c_str(), USAGE);
            return 2;
        }
    }
    if (folder.empty())
    {
        fputs(USAGE, stderr);
        return 2;
    }
    if ((user != "admin" && user != "standard") || (engine != "current" && engine != "outdated"))
    {
        fprintf(stderr, "discplan: --user is admin or standard, --engine current or outdated\n");
        return 2;
    }
    for (const std::string& name : systems)
    {
        if (OsCodeOfSystem(name) == 0)
        {
            fprintf(stderr, "discplan: unknown system %s (known:", name.c_str());
            for (const std::string& known : KnownSystems())
                fprintf(stderr, " %s", known.c_str());
            fprintf(stderr, ")\n");
            return 2;
        }
    }
    if (at.size() < 3 || at[1] != ':' || (at[2] != '\\' && at[2] != '/'))
    {
        fprintf(stderr, "discplan: --at needs a full Windows folder such as D:\\ or E:\\disc\n");
        return 2;
    }
    if (systems.empty())
        systems.assign(std::begin(DEFAULT_SYSTEMS), std::end(DEFAULT_SYSTEMS));
    else
    {
        // In the order of the systems, for "win2000 and later".
        std::vector<std::string> ordered;
        for (const std::string& known : KnownSystems())
        {
            for (const std::string& name : systems)
            {
                if (name == known)
                {
                    ordered.push_back(name);
                    break;
                }
            }
        }
        systems = ordered;
    }
    if (langs.empty())
        langs = KnownLanguages();
    if (!bCmdlineGiven)
        cmdlines.assign(std::begin(DEFAULT_CMDLINES), std::end(DEFAULT_CMDLINES));

    CDiscFolder disc;
    if (!disc.Open(folder.c_str(), at.c_str(), launcher.c_str()))
    {
        fprintf(stderr, "discplan: cannot read the disc folder %s\n", folder.c_str());
        return 2;
    }

    const std::vector<Finding> discFindings = CheckDisc(disc);
    std::vector<Plan>          plans;
    bool                       bError = false;
    for (const std::string& cmdline : cmdlines)
    {
        for (const std::string& os : systems)
        {
            for (const std::string& lang : langs)
            {
                Plan plan = MakePlan(disc, {os, lang, cmdline, user, engine});
                plan.findings.insert(plan.findings.end(), discFindings.begin(), discFindings.end());
                for (const Finding& finding : plan.findings)
                    bError = bError || finding.severity == "error";
                plans.push_back(plan);
            }
        }
    }

    if (bJson)
    {
        printf("[\n");
        for (size_t i = 0; i < plans.size(); ++i)
            printf("  %s%s\n", PlanJson(plans[i]).c_str(), i + 1 < plans.size() ? "," : "");
        printf("]\n");
    }
    else
    {
        printf("Disc %s, at %s on Windows; user %s, engine %s\n", folder.c_str(), disc.At().c_str(), user.c_str(),
               engine.c_str());
        for (const std::string& cmdline : cmdlines)
        {
            printf("\n%s:\n", CmdlineName(cmdline).c_str());
            // Rows with the same outcome merge: per outcome, the languages of
            // each system, then the systems sharing those languages.
            std::vector<std::string>                                      order;
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
                std::map<std::set<std::string>, std::set<std::string>> bySystems;
                std::vector<std::set<std::string>>                     langOrder;
                for (const std::string& os : systems)
                {
                    auto found = groups[outcome].find(os);
                    if (found == groups[outcome].end())
                        continue;
                    if (!bySystems.count(found->second))
                        langOrder.push_back(found->second);
                    bySystems[found->second].insert(os);
                }
                for (const auto& langSet : langOrder)
                    printf("  %s; %s:\n", Describe(systems, bySystems[langSet], "every system", true).c_str(),
                           Describe(langs, langSet, "every language", false).c_str());
                printf("%s", outcome.c_str());
            }
        }
        // Every finding once.
        std::set<std::string> printed;
        std::string           text;
        for (const Plan& plan : plans)
        {
            for (const Finding& finding : plan.findings)
            {
                const std::string line = finding.severity + " " + finding.code + ": " + finding.message;
                if (printed.insert(line).second)
                    text += "  " + line + "\n";
            }
        }
        printf("\nFindings:\n%s", text.empty() ? "  none\n" : text.c_str());
    }
    return bStrict && bError ? 1 : 0;
}
