// autorun.inf as the shell of each Windows reads it when a CD or DVD is
// inserted: the file of that name at the root of the tree the system reads
// (any letter case), read by the profile functions (bytes of the system's
// ANSI code page; on Windows NT UTF-16 or UTF-8 after a byte order mark), a
// 64-bit system's [AutoRun.Amd64] section in place of [AutoRun] whenever it
// has keys. Only what decides what runs on insertion and what the user sees
// is taken.
#pragma once

#include <string>
#include <vector>

#include "discplan/input/DiscSource.h"

class CCodePage;
class CIniFile;

// One key's value as the shell gets it (Unicode text, UTF-8).
struct AutorunValue
{
    bool        bGiven = false;
    std::string text;
};

// The keys of one section that matter on insertion.
struct AutorunSection
{
    bool         bPresent = false; // the section exists and has keys
    AutorunValue open;
    AutorunValue shellExecute;
    // Both given: the one of the two that comes last in the file, which the
    // shell takes where it honours both ("open", "shellexecute").
    std::string  lastTask;
    AutorunValue icon;
    AutorunValue label;
    AutorunValue action;
    AutorunValue useAutoPlay;
    // shell=verb: the drive's default command (what a double-click runs),
    // and shell\verb\command for that verb.
    AutorunValue shell;
    AutorunValue shellCommand;
};

struct AutorunFile
{
    bool                     bPresent = false;
    std::vector<std::string> path;  // as the source lists it: {"AUTORUN.INF"}
    std::string              bytes; // the file as it is on the disc, up to AUTORUN_MAX_BYTES
    AutorunSection           x86;   // [AutoRun]
    AutorunSection           amd64; // [AutoRun.Amd64]
};

// The keys of [AutoRun] and [AutoRun.Amd64] of a file the profile functions
// have read.
void ReadAutorunSections(const CIniFile& ini, AutorunFile* pFile);

// The root's autorun.inf of source as a system of codePage reads it
// (bUnicodeFiles: the Windows NT family). pFile->bPresent false when the
// root has none, or none that can be read. Only its first AUTORUN_MAX_BYTES
// are read: every system is planned from several copies of it, and a file
// that long is no autorun.inf a disc ships.
void ReadAutorunFile(const CDiscSource& source, const CCodePage& codePage, int bUnicodeFiles, AutorunFile* pFile);

// What one system does with a disc's autorun.inf when the disc is inserted.
struct AutorunTask
{
    std::string section;   // "AutoRun" or "AutoRun.Amd64": the section read; empty: none
    std::string key;       // "open" or "shellexecute": what it runs; empty: nothing
    std::string value;     // that key's value
    std::string program;   // the program (or file) it names, quotes removed
    std::string arguments; // what the program receives after its own name
    std::string shown;     // "started" (run at once) or "autoplay" (offered in the AutoPlay dialog)
    std::string text;      // "autoplay": the dialog's entry for it
    std::string icon;      // the icon given, as written; empty: none
    std::string label;     // the label, where the system shows one
    std::string doubleClick; // where shell= names a verb with a command: that command
    std::string none;      // with no key: why nothing runs
};

// What os (a name KnownSystems gives) does on insertion with file; b64Bit:
// its 64-bit edition, whose shell reads [AutoRun.Amd64] first.
AutorunTask AutorunTaskOf(const AutorunFile& file, const std::string& os, int b64Bit);

// Keys honoured by some systems only: "shellexecute" (shell 5.0: Windows
// 2000 and Me on), "label" (Windows XP on), "useautoplay" (Windows XP on),
// "action" (on a CD or DVD: where the AutoPlay dialog offers the task,
// Windows Vista on), "autorun.amd64" (64-bit systems). 1 when os honours it.
int HonoursAutorunKey(const std::string& os, const std::string& key, int b64Bit);

// The systems that are 64-bit only (winxp64, win11), and those that come
// in both (vista to win10: planned as 32-bit).
int IsOnly64Bit(const std::string& os);
int MayBe64Bit(const std::string& os);

// A command of open= or shellexecute= split as the program receives it: the
// program's path, in double quotes or up to the first blank, and what
// follows it, the blanks and tabs before it skipped (the launcher's own
// command line rule).
void SplitAutorunCommand(const std::string& command, std::string* pProgram, std::string* pArguments);

// The path on the disc (names from the root) of a program or file that
// autorun.inf names: relative to the root, where a leading "\" or ".\" also
// leads. 0 for a path that leaves the disc or cannot be known there (a drive
// letter, "\\server", "..") or names nothing.
int AutorunDiscPath(const std::string& path, std::vector<std::string>* pParts);

// Finds parts in source as Windows matches names (any letter case, blanks
// and dots at a name's end ignored): 1 with the names as the source lists
// them.
int FindOnDisc(const CDiscSource& source, const std::vector<std::string>& parts, std::vector<std::string>* pFound,
               int* pbFolder = nullptr);

const size_t AUTORUN_MAX_BYTES = 1024 * 1024;

// The label's length Windows shows: the first 32 characters.
const size_t AUTORUN_LABEL_SHOWN = 32;
