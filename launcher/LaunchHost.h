// What the launch decisions ask of the disc and of the machine. Setup.exe
// answers from the running system (launcher/LaunchSelection.cpp); discplan
// answers from a disc folder read on another machine. Pure header.
#pragma once

#include <stdint.h>

#include "launcher/Switches.h"

// Windows' show states and wait that the launcher passes on.
const int      LAUNCH_SHOW_HIDE      = 0; // SW_HIDE
const int      LAUNCH_SHOW_NORMAL    = 1; // SW_SHOWNORMAL
const int      LAUNCH_SHOW_MINIMIZED = 2; // SW_SHOWMINIMIZED
const uint32_t LAUNCH_WAIT_INFINITE  = 0xFFFFFFFF;

class CLaunchHost
{
public:
    virtual ~CLaunchHost() {}

    // 1 when szPath (relative to the current folder, or absolute) names an
    // existing file or folder, as PathFileExistsA tells.
    virtual int PathExists(const char* szPath) = 0;

    // Reads [szSection] szKey of Setup.ini as LaunchSettings::GetValue does.
    virtual int GetSetting(const char* szSection, const char* szKey, char* szValue, uint32_t* pcchValue) = 0;

    // The full path of szPath, with GetFullPathNameA's result: the length,
    // the size needed when cchBuffer is too small, 0 on failure.
    virtual uint32_t GetFullPath(const char* szPath, uint32_t cchBuffer, char* szBuffer) = 0;

    // Makes szFolder the current folder.
    virtual void SetCurrentFolder(const char* szFolder) = 0;

    // Starts a program as LaunchCmdline does (its log lines included) and
    // gives its result.
    virtual int Launch(const char* szFile, const char* szParams, uint32_t dwWaitMs, int nShow) = 0;

    // Writes one formatted log message.
    virtual void Log(const char* szMessage) = 0;
};

// The launcher's process-wide values that the launch decisions read.
struct LaunchFacts
{
    const char*      szModuleFolder;  // the launcher's folder
    const char*      szCommandLine;   // the command line, at most 259 characters
    const char*      szLanguageCode;  // "deu", ... or empty
    const char*      szSetupIniPath;  // Setup.ini beside the launcher, or empty
    PFN_IS_LEAD_BYTE pfnIsLeadByte;   // the ANSI code page's lead bytes
};
