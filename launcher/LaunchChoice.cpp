#include "launcher/LaunchChoice.h"

#include "launcher/ProductTable.h"

LaunchMode ChooseLaunchMode(int bHasSlash, int bSetupIniExists)
{
    if (bHasSlash)
        return MODE_COMMAND_LINE;
    return bSetupIniExists ? MODE_SETTINGS : MODE_FALLBACK;
}

CommandLineAction ChooseCommandLineAction(int bSilent, int bWebRelease, int bDusmara, int bDm5,
                                          const char* szSetupProgram)
{
    if (bSilent)
        return CMDLINE_SILENT;
    if (bWebRelease)
        return CMDLINE_WEBRELEASE;
    if (bDusmara || bDm5)
        return IsLauncherItself(szSetupProgram) ? CMDLINE_NOTHING : CMDLINE_SETUP_PROGRAM;
    return CMDLINE_NOTHING;
}

SettingsAction ChooseSettingsAction(int bDemoPresent, int bSetupPathPresent)
{
    if (bDemoPresent)
        return SETTINGS_DEMO;
    return bSetupPathPresent ? SETTINGS_SETUP : SETTINGS_FALLBACK;
}

FallbackAction ChooseFallback(int bDemoExists, int bAppInstExists, int bInstallExists, int bSetupFound)
{
    if (bDemoExists)
        return FALLBACK_DEMO;
    if (bAppInstExists)
        return FALLBACK_APPINST;
    if (bInstallExists)
        return FALLBACK_INSTALL;
    return bSetupFound ? FALLBACK_LAST_RESORT : FALLBACK_NOTHING;
}
