#include "launcher/LaunchPlan.h"

#include <stdarg.h>
#include <string.h>

#include "launcher/ExitCode.h"
#include "launcher/LaunchChoice.h"
#include "launcher/ParamTemplate.h"
#include "services/Bounded.h"
#include "services/Format.h"
#include "services/LogLine.h"

namespace {

// The parameters of the demo programs.
const char* const DEMO_PARAMS = "-q -c";

// Size of the buffer GetFullPathNameA gets for the Install folder: a full
// path that does not fit counts as a failure.
const uint32_t INSTALL_DIR_SIZE = 256;

// Formats a log message as WriteLog does and hands it to the host.
void HostLog(CLaunchHost& host, const char* szFormat, ...)
{
    char    szMessage[LOG_BUFFER_SIZE];
    va_list args;
    va_start(args, szFormat);
    FormatLogMessageV(szMessage, szFormat, args);
    va_end(args);
    host.Log(szMessage);
}

int HasSwitch(const LaunchFacts& facts, const char* szKeyword)
{
    return FindSwitch(facts.szCommandLine, szKeyword, facts.pfnIsLeadByte);
}

// Reads a Setup.ini value of at most 259 characters; anything else (absent,
// empty, too long) leaves szValue empty and gives 0.
int ReadSetting(CLaunchHost& host, const char* szSection, const char* szKey, char* szValue)
{
    uint32_t cchValue = PATH_SIZE;
    if (host.GetSetting(szSection, szKey, szValue, &cchValue))
        return 1;
    szValue[0] = '\0';
    return 0;
}

// "/s": the setup program with the parameters of a silent installation,
// waited for. The launcher is not compared with "setup.exe" here: a disc
// without a product folder makes it start itself, and that copy then finds
// this one running.
void LaunchSilent(CLaunchHost& host, const LaunchFacts& facts, const ProductLocation& location)
{
    char szProductPath[PATH_SIZE];
    if (FormatBounded(szProductPath, PATH_SIZE, "%s\\%s", facts.szModuleFolder, location.szProductName) >=
        PATH_SIZE)
    {
        HostLog(host, "Silent parameters too long, nothing launched\n");
        return;
    }

    // The template is a file's text: a value that was cut, or that asks for
    // more than the two texts the launcher hands over, is not used.
    char szTemplate[PATH_SIZE];
    CopyStringBounded(szTemplate, PATH_SIZE, DEFAULT_PARAM_TEMPLATE);
    if (host.PathExists(facts.szSetupIniPath))
    {
        char     szValue[PATH_SIZE] = {};
        uint32_t cchValue           = PATH_SIZE;
        if (host.GetSetting("Silent", "CmdlineParam", szValue, &cchValue))
            CopyStringBounded(szTemplate, PATH_SIZE, szValue);
        else if (szValue[0] != '\0')
            HostLog(host, "CmdlineParam longer than %d characters, default used\n",
                    static_cast<int>(PATH_SIZE - 1));
    }

    char                szParams[PATH_SIZE];
    ParamTemplateResult result =
        FormatParamTemplate(szParams, PATH_SIZE, szTemplate, szProductPath, facts.szLanguageCode);
    if (result == PARAMS_REFUSED)
    {
        HostLog(host, "CmdlineParam %s refused, default used\n", szTemplate);
        result = FormatParamTemplate(szParams, PATH_SIZE, DEFAULT_PARAM_TEMPLATE, szProductPath,
                                     facts.szLanguageCode);
    }
    if (result == PARAMS_TOO_LONG)
    {
        HostLog(host, "Silent parameters too long, nothing launched\n");
        return;
    }
    host.Launch(location.szSetupProgram, szParams, LAUNCH_WAIT_INFINITE, LAUNCH_SHOW_NORMAL);
}

void LaunchFromCommandLine(CLaunchHost& host, const LaunchFacts& facts, const ProductLocation& location)
{
    switch (ChooseCommandLineAction(HasSwitch(facts, "/s"), HasSwitch(facts, "webrelease"),
                                    HasSwitch(facts, "dusmara"), HasSwitch(facts, "dm5"),
                                    location.szSetupProgram))
    {
    case CMDLINE_SILENT:
        LaunchSilent(host, facts, location);
        break;
    case CMDLINE_WEBRELEASE:
        host.Launch(".\\AppInst\\setup.exe", nullptr, 0, LAUNCH_SHOW_NORMAL);
        break;
    case CMDLINE_SETUP_PROGRAM:
        host.Launch(location.szSetupProgram, nullptr, 0, LAUNCH_SHOW_NORMAL);
        break;
    case CMDLINE_NOTHING:
        break;
    }
}

// 1 when Setup.ini named a program that exists (it was started, or tried).
int LaunchFromSettings(CLaunchHost& host)
{
    // Both values are read before either is used.
    char szDemo[PATH_SIZE], szSetup[PATH_SIZE];
    int  bDemo  = ReadSetting(host, "Settings", "DemoPath", szDemo);
    int  bSetup = ReadSetting(host, "Settings", "SetupPath", szSetup);

    switch (ChooseSettingsAction(bDemo && host.PathExists(szDemo), bSetup && host.PathExists(szSetup)))
    {
    case SETTINGS_DEMO:
        host.Launch(szDemo, DEMO_PARAMS, 0, LAUNCH_SHOW_NORMAL);
        return 1;
    case SETTINGS_SETUP:
        HostLog(host, "zzzz %s\n", szSetup);
        host.Launch(szSetup, nullptr, 0, LAUNCH_SHOW_NORMAL);
        return 1;
    case SETTINGS_FALLBACK:
        break;
    }
    return 0;
}

// szFolder joined with szName as PathAppendA joins them (one backslash
// between); 0 when the result would not fit PathAppendA's 260 bytes.
int AppendName(char* szPath, const char* szFolder, const char* szName)
{
    const size_t nFolder     = strlen(szFolder);
    const char*  szSeparator = nFolder > 0 && szFolder[nFolder - 1] == '\\' ? "" : "\\";
    return FormatBounded(szPath, PATH_SIZE, "%s%s%s", szFolder, szSeparator, szName) < PATH_SIZE;
}

// The batch file of ".\Install" for the user's language, else the English
// one; the current directory moves to that folder for it. 0 when nothing
// was started.
int LaunchInstallBatch(CLaunchHost& host, const LaunchFacts& facts)
{
    char           szInstallDir[PATH_SIZE] = {};
    const uint32_t nLength                 = host.GetFullPath(".\\Install", INSTALL_DIR_SIZE, szInstallDir);
    if (nLength == 0)
        return 0;
    if (nLength >= INSTALL_DIR_SIZE)
    {
        HostLog(host, "Install batch file path too long, nothing launched\n");
        return 0;
    }
    host.SetCurrentFolder(szInstallDir);

    char szBatch[PATH_SIZE];
    if (FormatBounded(szBatch, PATH_SIZE, "%s\\inst%s.bat", szInstallDir, facts.szLanguageCode) >= PATH_SIZE ||
        !host.PathExists(szBatch))
    {
        // The English batch file, not tested: the launch logs it when missing.
        char szStem[PATH_SIZE];
        if (!AppendName(szStem, szInstallDir, "inst") ||
            FormatBounded(szBatch, PATH_SIZE, "%senu.bat", szStem) >= PATH_SIZE)
        {
            HostLog(host, "Install batch file path too long, nothing launched\n");
            return 0;
        }
    }
    return host.Launch(szBatch, nullptr, 0, LAUNCH_SHOW_MINIMIZED);
}

int LaunchFallback(CLaunchHost& host, const LaunchFacts& facts, const ProductLocation& location)
{
    switch (ChooseFallback(host.PathExists(".\\autorun\\demo32.exe"), host.PathExists(".\\AppInst\\setup.exe"),
                           host.PathExists(".\\Install"), location.bSetupFound))
    {
    case FALLBACK_DEMO:
        return host.Launch(".\\autorun\\demo32.exe", DEMO_PARAMS, 0, LAUNCH_SHOW_NORMAL);
    case FALLBACK_APPINST:
        return host.Launch(".\\AppInst\\setup.exe", nullptr, 0, LAUNCH_SHOW_NORMAL);
    case FALLBACK_INSTALL:
        return LaunchInstallBatch(host, facts);
    case FALLBACK_LAST_RESORT:
        HostLog(host, "Last\n");
        if (!IsLauncherItself(location.szSetupProgram))
            host.Launch(location.szSetupProgram, nullptr, 0, LAUNCH_SHOW_NORMAL);
        return EXIT_DONE;
    case FALLBACK_NOTHING:
        break;
    }
    return EXIT_DONE;
}

} // namespace

int ChooseAndLaunch(CLaunchHost& host, const LaunchFacts& facts, const ProductLocation& location,
                    int bHasSwitch)
{
    switch (ChooseLaunchMode(bHasSwitch, host.PathExists("Setup.ini")))
    {
    case MODE_COMMAND_LINE:
        LaunchFromCommandLine(host, facts, location);
        return EXIT_DONE;
    case MODE_SETTINGS:
        if (LaunchFromSettings(host))
            return EXIT_DONE;
        return LaunchFallback(host, facts, location);
    case MODE_FALLBACK:
        break;
    }
    return LaunchFallback(host, facts, location);
}
