// What Setup.exe does on a disc, for one system class, language, code page,
// command line, user and engine state, worked out by the launcher's own
// decision code over the disc (as that system reads it) instead of the
// running machine.
#pragma once

#include <string>
#include <vector>

#include "discplan/input/DiscSource.h"

// Every text here is Unicode (UTF-8): what the launcher writes in its code
// page, read back as that system shows it.
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

// What the shell does with the disc's autorun.inf when the disc is inserted
// (a row of origin "insertion"): the row is Setup.exe's plan with the command
// line the shell hands it, or, where autorun.inf names another program, no
// plan of Setup.exe at all.
struct Insertion
{
    std::string shown;   // "started" (run at once) or "autoplay" (offered in the AutoPlay dialog)
    std::string text;    // "autoplay": the dialog's entry for it
    std::string icon;    // autorun.inf's icon, as written; empty: none
    std::string section; // "AutoRun" or "AutoRun.Amd64"
    std::string key;     // "open" or "shellexecute"
    std::string program; // the program named, as written
    int         bLauncher = 1; // the launcher at the root
    int         bFound    = 1; // on the disc (the launcher always counts as there)
};

struct PlanInput
{
    std::string os;      // win95, ..., win10
    std::string lang;    // a language code of the launcher's table
    std::string cmdline; // UTF-8, converted to the code page as Windows hands it over
    // Where the command line comes from: "asked" (--cmdline, or one of the
    // defaults), "insertion" (the disc's autorun.inf, when it is inserted).
    std::string origin = "asked";
    Insertion   insertion; // with origin "insertion"
    std::string user;    // "admin" or "standard"
    std::string engine;  // "current" or "outdated"
    unsigned    nCodePage = 0;         // the system's ANSI code page; 0: the language's own
    std::string at        = "D:\\";    // the Windows folder the disc is at
    std::string launcher  = "Setup.exe"; // the launcher's name at the root
};

struct Plan
{
    PlanInput                 input;
    std::string               languageCode; // the code the launcher uses
    unsigned                  nCodePage = 0;
    int                       nOsCode   = 0;
    int                       bFolderShortName = 0; // the code page cannot write --at: the launcher works from its short name
    std::string               product;      // the product folder's name, empty: none
    std::string               productFolder;
    std::string               setupProgram;
    int                       bSetupFound = 0;
    std::string               engineProbe;  // where the engine update is looked for
    int                       bEngineUpdateFound = 0;
    int                       bHasEngineUpdate = 0;
    PlannedStart              engineUpdate;
    int                       bAdminRequired = 0; // the system class asks for an administrator
    int                       bAdminMessage = 0;
    std::string               driverImport; // the registry file imported, empty: none
    std::vector<PlannedStart> starts;       // the launch step's start attempts (at most one)
    std::vector<std::string>  log;          // the log lines Setup.exe would write
    int                       nExitCode = 0;
    std::vector<Finding>      findings;     // this combination's, then the disc's own
    size_t                    nOwnFindings = 0;
    // Planned from a disc image: the tree the system reads ("iso9660",
    // "joliet", "udf"; empty for a folder) and the UDF revision where it
    // reads a UDF tree. unplanned says why no plan was made, and then
    // nothing above but the system's own facts holds: "unknown" (the system
    // reads a tree discplan cannot read), "nothing" (the image has no tree
    // it reads) or "other-program" (the insertion starts another program
    // than Setup.exe).
    std::string               tree;
    std::string               udfRevision;
    std::string               unplanned;
    // Where it is not known which of two trees the system reads: the other
    // one ("joliet"); the plan is made from tree and holds for both unless a
    // finding says otherwise (image-tree-unknown).
    std::string               treeAlternative;
};

// The plan of one combination over the disc as source holds it for that
// system. 0 in plan.nCodePage when this build cannot convert the code page.
Plan MakePlan(const CDiscSource& source, const PlanInput& input);

// The code page a combination plans in.
unsigned PlannedCodePage(const PlanInput& input);

// The OEM code page of that system (NT's CD file system reads ISO 9660
// names in it).
unsigned PlannedOemCodePage(const PlanInput& input);
