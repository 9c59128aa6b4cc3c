// The launch decision: which of the launcher's ways of starting a program a
// run takes. Pure functions over what the command line, Setup.ini and the
// disc say; the caller gathers those facts and does the launching.
#pragma once

enum LaunchMode
{
    MODE_COMMAND_LINE, // a slash anywhere on the command line
    MODE_SETTINGS,     // no slash, and Setup.ini beside the launcher
    MODE_FALLBACK,     // neither
};

LaunchMode ChooseLaunchMode(int bHasSlash, int bSetupIniExists);

enum CommandLineAction
{
    CMDLINE_SILENT,        // "/s": the setup program, silent, waited for
    CMDLINE_WEBRELEASE,    // ".\AppInst\setup.exe"
    CMDLINE_SETUP_PROGRAM, // "dusmara" or "dm5": the setup program
    CMDLINE_NOTHING,
};

// The keywords are tested in this order: "/s", "webrelease", "dusmara",
// "dm5". The setup program is never started by a keyword when it is the
// launcher itself, except in the silent mode.
CommandLineAction ChooseCommandLineAction(int bSilent, int bWebRelease, int bDusmara, int bDm5,
                                          const char* szSetupProgram);

enum SettingsAction
{
    SETTINGS_DEMO,     // DemoPath, read and present
    SETTINGS_SETUP,    // else SetupPath, read and present
    SETTINGS_FALLBACK, // neither: the fallback chain
};

SettingsAction ChooseSettingsAction(int bDemoPresent, int bSetupPathPresent);

enum FallbackAction
{
    FALLBACK_DEMO,          // ".\autorun\demo32.exe"
    FALLBACK_APPINST,       // ".\AppInst\setup.exe"
    FALLBACK_INSTALL,       // a batch file of ".\Install"
    FALLBACK_LAST_RESORT,   // the product setup program
    FALLBACK_NOTHING,
};

// The last resort needs the plain setup program probe to have found it.
FallbackAction ChooseFallback(int bDemoExists, int bAppInstExists, int bInstallExists, int bSetupFound);
