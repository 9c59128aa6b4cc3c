#include "launcher/LaunchSelection.h"

#include <shlwapi.h>

#include "launcher/Globals.h"
#include "launcher/LaunchChoice.h"
#include "launcher/ParamTemplate.h"
#include "launcher/Switches.h"
#include "services/Bounded.h"
#include "services/Format.h"
#include "services/Launch.h"
#include "services/Log.h"

namespace {

// Show states the launcher passes on.
const int SHOW_NORMAL    = SW_SHOWNORMAL;
const int SHOW_MINIMIZED = SW_SHOWMINIMIZED;

// The parameters of the demo programs.
const char* const DEMO_PARAMS = "-q -c";

int IsLeadByte(unsigned char ch) { return IsDBCSLeadByte(ch) ? 1 : 0; }

// Reads a Setup.ini value of at most 259 characters; anything else (absent,
// empty, too long) leaves szValue empty and gives 0.
int ReadSetting(LaunchSettings& settings, const char* szSection, const char* szKey, char* szValue)
{
    DWORD cchValue = MAX_PATH;
    if (settings.GetValue(szSection, szKey, szValue, &cchValue))
        return 1;
    szValue[0] = '\0';
    return 0;
}

// "/s": the setup program with the parameters of a silent installation,
// waited for. The launcher is not compared with "setup.exe" here: a disc
// without a product folder makes it start itself, and that copy then finds
// this one running.
void LaunchSilent(const ProductLocation& location, LaunchSettings& settings)
{
    char szProductPath[MAX_PATH];
    if (FormatBounded(szProductPath, MAX_PATH, "%s\\%s", g_szModuleFolder, location.szProductName) >= MAX_PATH)
    {
        WriteLog("Silent parameters too long, nothing launched\n");
        return;
    }

    // The template is a file's text: a value that was cut, or that asks for
    // more than the two texts the launcher hands over, is not used.
    char szTemplate[MAX_PATH];
    CopyStringBounded(szTemplate, MAX_PATH, DEFAULT_PARAM_TEMPLATE);
    if (PathFileExistsA(g_szSetupIniPath))
    {
        char  szValue[MAX_PATH] = {};
        DWORD cchValue          = MAX_PATH;
        if (settings.GetValue("Silent", "CmdlineParam", szValue, &cchValue))
            CopyStringBounded(szTemplate, MAX_PATH, szValue);
        else if (szValue[0] != '\0')
            WriteLog("CmdlineParam longer than %d characters, default used\n", MAX_PATH - 1);
    }

    char                szParams[MAX_PATH];
    ParamTemplateResult result = FormatParamTemplate(szParams, MAX_PATH, szTemplate, szProductPath,
                                                     g_szLanguageCode);
    if (result == PARAMS_REFUSED)
    {
        WriteLog("CmdlineParam %s refused, default used\n", szTemplate);
        result = FormatParamTemplate(szParams, MAX_PATH, DEFAULT_PARAM_TEMPLATE, szProductPath,
                                     g_szLanguageCode);
    }
    if (result == PARAMS_TOO_LONG)
    {
        WriteLog("Silent parameters too long, nothing launched\n");
        return;
    }
    LaunchCmdline(location.szSetupProgram, szParams, INFINITE, SHOW_NORMAL);
}

void LaunchFromCommandLine(const ProductLocation& location, LaunchSettings& settings)
{
    switch (ChooseCommandLineAction(HasSwitch("/s"), HasSwitch("webrelease"), HasSwitch("dusmara"),
                                    HasSwitch("dm5"), location.szSetupProgram))
    {
    case CMDLINE_SILENT:
        LaunchSilent(location, settings);
        break;
    case CMDLINE_WEBRELEASE:
        LaunchCmdline(".\\AppInst\\setup.exe", nullptr, 0, SHOW_NORMAL);
        break;
    case CMDLINE_SETUP_PROGRAM:
        LaunchCmdline(location.szSetupProgram, nullptr, 0, SHOW_NORMAL);
        break;
    case CMDLINE_NOTHING:
        break;
    }
}

// 1 when Setup.ini named a program that exists (it was started, or tried).
int LaunchFromSettings(LaunchSettings& settings)
{
    // Both values are read before either is used.
    char szDemo[MAX_PATH], szSetup[MAX_PATH];
    int  bDemo  = ReadSetting(settings, "Settings", "DemoPath", szDemo);
    int  bSetup = ReadSetting(settings, "Settings", "SetupPath", szSetup);

    switch (ChooseSettingsAction(bDemo && PathFileExistsA(szDemo), bSetup && PathFileExistsA(szSetup)))
    {
    case SETTINGS_DEMO:
        LaunchCmdline(szDemo, DEMO_PARAMS, 0, SHOW_NORMAL);
        return 1;
    case SETTINGS_SETUP:
        WriteLog("zzzz %s\n", szSetup);
        LaunchCmdline(szSetup, nullptr, 0, SHOW_NORMAL);
        return 1;
    case SETTINGS_FALLBACK:
        break;
    }
    return 0;
}

// The batch file of ".\Install" for the user's language, else the English
// one; the current directory moves to that folder for it. 0 when nothing
// was started.
int LaunchInstallBatch()
{
    // A full path that does not fit the 256-character buffer counts as a failure.
    const DWORD cchInstallDir            = 256;
    char        szInstallDir[MAX_PATH]   = {};
    DWORD       nLength                  = GetFullPathNameA(".\\Install", cchInstallDir, szInstallDir, nullptr);
    if (nLength == 0)
        return 0;
    if (nLength >= cchInstallDir)
    {
        WriteLog("Install batch file path too long, nothing launched\n");
        return 0;
    }
    SetCurrentDirectoryA(szInstallDir);

    char szBatch[MAX_PATH];
    if (FormatBounded(szBatch, MAX_PATH, "%s\\inst%s.bat", szInstallDir, g_szLanguageCode) >= MAX_PATH ||
        !PathFileExistsA(szBatch))
    {
        // The English batch file, not tested: the launch logs it when missing.
        char szStem[MAX_PATH];
        CopyStringBounded(szStem, MAX_PATH, szInstallDir);
        if (!PathAppendA(szStem, "inst") || FormatBounded(szBatch, MAX_PATH, "%senu.bat", szStem) >= MAX_PATH)
        {
            WriteLog("Install batch file path too long, nothing launched\n");
            return 0;
        }
    }
    return LaunchCmdline(szBatch, nullptr, 0, SHOW_MINIMIZED);
}

int LaunchFallback(const ProductLocation& location)
{
    switch (ChooseFallback(PathFileExistsA(".\\autorun\\demo32.exe"), PathFileExistsA(".\\AppInst\\setup.exe"),
                           PathFileExistsA(".\\Install"), location.bSetupFound))
    {
    case FALLBACK_DEMO:
        return LaunchCmdline(".\\autorun\\demo32.exe", DEMO_PARAMS, 0, SHOW_NORMAL);
    case FALLBACK_APPINST:
        return LaunchCmdline(".\\AppInst\\setup.exe", nullptr, 0, SHOW_NORMAL);
    case FALLBACK_INSTALL:
        return LaunchInstallBatch();
    case FALLBACK_LAST_RESORT:
        WriteLog("Last\n");
        if (!IsLauncherItself(location.szSetupProgram))
            LaunchCmdline(location.szSetupProgram, nullptr, 0, SHOW_NORMAL);
        return EXIT_DONE;
    case FALLBACK_NOTHING:
        break;
    }
    return EXIT_DONE;
}

} // namespace

int HasSwitch(const char* szKeyword) { return FindSwitch(g_szCommandLine, szKeyword, IsLeadByte); }

void BuildSetupIniPath()
{
    char szPath[MAX_PATH];
    CopyStringBounded(szPath, MAX_PATH, g_szModuleFolder);
    // Too long a folder leaves no settings path rather than the folder itself;
    // no value is then read from it.
    if (!PathAppendA(szPath, "Setup.ini"))
    {
        WriteLog("Setup.ini path too long, settings not read\n");
        szPath[0] = '\0';
    }
    CopyStringBounded(g_szSetupIniPath, MAX_PATH, szPath);
}

int SelectAndLaunch(const ProductLocation& location, int bHasSwitch, LaunchSettings& settings)
{
    switch (ChooseLaunchMode(bHasSwitch, PathFileExistsA("Setup.ini")))
    {
    case MODE_COMMAND_LINE:
        LaunchFromCommandLine(location, settings);
        return EXIT_DONE;
    case MODE_SETTINGS:
        if (LaunchFromSettings(settings))
            return EXIT_DONE;
        return LaunchFallback(location);
    case MODE_FALLBACK:
        break;
    }
    return LaunchFallback(location);
}
