// What Setup.exe does on a disc folder, for one system class, language,
// command line, user and engine state, worked out by the launcher's own
// decision code over the folder instead of the running machine.
#pragma once

#include <string>
#include <vector>

#include "discplan/IniFile.h"

// The disc folder as Windows would see it: names found without regard to
// case, blanks and dots at the end of a name ignored.
class CDiscFolder
{
public:
    // szRoot: the folder on this machine; szAt: the folder the disc will be
    // at on Windows ("D:\"); szLauncher: the launcher's name at the root,
    // which counts as present whether or not the folder holds it yet. 0 when
    // the folder cannot be read.
    int Open(const char* szRoot, const char* szAt, const char* szLauncher);

    const std::string& At() const { return m_at; }
    const CIniFile&    SetupIni() const { return m_ini; }
    int                HasSetupIni() const { return m_bHasIni; }

    // The full Windows path of szPath against the Windows folder szCurrent.
    static std::string FullPath(const char* szPath, const std::string& current);

    // The path of this machine for a full Windows path on the disc; empty
    // when it is not on the disc or does not exist.
    std::string Locate(const std::string& fullPath) const;

    // The names directly in a disc folder (relative, "" for the root).
    std::vector<std::string> List(const std::string& relative) const;

private:
    std::string m_root;
    std::string m_at;
    std::string m_launcher;
    CIniFile    m_ini;
    int         m_bHasIni = 0;
};

struct PlannedStart
{
    std::string program;    // as Setup.exe hands it to the shell
    std::string parameters;
    std::string folder;     // the Windows folder it runs in
    int         show  = 1;  // the SW_ number
    int         wait  = 0;  // Setup.exe waits for it to end
    int         found = 1;  // the program exists (else Setup.exe logs that it cannot find it)
};

struct Finding
{
    std::string severity; // "error", "warning", "info"
    std::string code;
    std::string message;
};

struct PlanInput
{
    std::string os;      // win95, ..., win10
    std::string lang;    // the language code asked for
    std::string cmdline;
    std::string user;    // "admin" or "standard"
    std::string engine;  // "current" or "outdated"
};

struct Plan
{
    PlanInput                input;
    std::string              languageCode; // the code the launcher uses
    int                      nOsCode = 0;
    std::string              product;      // the product folder's name, empty: none
    std::string              productFolder;
    std::string              setupProgram;
    int                      bSetupFound = 0;
    std::string              engineProbe;  // where the engine update is looked for
    int                      bEngineUpdateFound = 0;
    int                      bHasEngineUpdate = 0;
    PlannedStart             engineUpdate;
    int                      bAdminRequired = 0; // the system class asks for an administrator
    int                      bAdminMessage = 0;
    std::string              driverImport; // the registry file imported, empty: none
    std::vector<PlannedStart> starts;      // the launch step's start attempts (at most one)
    std::vector<std::string> log;          // the log lines Setup.exe would write
    int                      nExitCode = 0;
    std::vector<Finding>     findings;     // this combination's, then the disc's own
    size_t                   nOwnFindings = 0;
};

// The system class names that --os accepts, in order, and their OsCode.
const std::vector<std::string>& KnownSystems();
int                             OsCodeOfSystem(const std::string& name); // 0: unknown name
// The language codes of the launcher's table, "enu" first.
const std::vector<std::string>& KnownLanguages();

Plan MakePlan(const CDiscFolder& disc, const PlanInput& input);

// Findings about the disc itself, whatever the system and command line.
std::vector<Finding> CheckDisc(const CDiscFolder& disc);
