#include "discplan/input/AutorunInf.h"

#include <stdlib.h>

#include "discplan/codepage/CodePage.h"
#include "discplan/input/IniFile.h"
#include "discplan/plan/Systems.h"
#include "runtime/CommandLine.h"
#include "services/OsClassify.h"

namespace {

std::string LowerAscii(std::string text)
{
    for (char& ch : text)
        ch = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
    return text;
}

bool IsOneOf(const std::string& os, const std::vector<const char*>& systems)
{
    for (const char* szName : systems)
    {
        if (os == szName)
            return true;
    }
    return false;
}

// The launcher's class of the system tells XP and Vista on; Windows 8 on
// share Vista's class and are named.
bool IsXpOn(const std::string& os) { return OsCodeOfSystem(os) >= OS_WINXP; }
bool IsVistaOn(const std::string& os) { return OsCodeOfSystem(os) >= OS_WINVISTA; }
const std::vector<const char*> WIN8_ON = {"win8", "win81", "win10", "win11"};

void ReadSection(const CIniFile& ini, const std::string& name, AutorunSection* pSection)
{
    std::vector<std::string> keys;
    *pSection = AutorunSection();
    if (!ini.Keys(name, &keys) || keys.empty())
        return;
    pSection->bPresent = true;
    // The shell goes through the section's keys in file order and asks for
    // each by name, which gives the first value of that name.
    for (const std::string& key : keys)
    {
        const std::string lower = LowerAscii(key);
        AutorunValue*     pValue = lower == "open"           ? &pSection->open
                                   : lower == "shellexecute" ? &pSection->shellExecute
                                   : lower == "icon"         ? &pSection->icon
                                   : lower == "label"        ? &pSection->label
                                   : lower == "action"       ? &pSection->action
                                   : lower == "useautoplay"  ? &pSection->useAutoPlay
                                   : lower == "shell"        ? &pSection->shell
                                                             : nullptr;
        if (pValue == nullptr)
            continue;
        pValue->bGiven = ini.FindText(name, key, &pValue->text) != 0;
        if (pValue->bGiven && (pValue == &pSection->open || pValue == &pSection->shellExecute))
            pSection->lastTask = lower;
    }
    if (pSection->shell.bGiven && !pSection->shell.text.empty())
        pSection->shellCommand.bGiven =
            ini.FindText(name, "shell\\" + pSection->shell.text + "\\command", &pSection->shellCommand.text) != 0;
}

// A name as Windows matches it: blanks and dots at its end are ignored.
std::string WindowsName(std::string name)
{
    while (!name.empty() && (name.back() == ' ' || name.back() == '.') && name != "." && name != "..")
        name.pop_back();
    return name;
}

// The program's name without its folders: "setup.exe" of "Disk1\setup.exe".
std::string FileName(const std::string& path)
{
    const size_t nSlash = path.find_last_of("\\/");
    return nSlash == std::string::npos ? path : path.substr(nSlash + 1);
}

bool IsProgramName(const std::string& name)
{
    const size_t nDot = name.rfind('.');
    const std::string extension = nDot == std::string::npos ? "" : LowerAscii(name.substr(nDot));
    return extension == ".exe" || extension == ".com" || extension == ".bat" || extension == ".cmd" ||
           extension == ".pif";
}

} // namespace

void ReadAutorunSections(const CIniFile& ini, AutorunFile* pFile)
{
    ReadSection(ini, "AutoRun", &pFile->x86);
    ReadSection(ini, "AutoRun.Amd64", &pFile->amd64);
}

void ReadAutorunFile(const CDiscSource& source, const CCodePage& codePage, int bUnicodeFiles, AutorunFile* pFile)
{
    *pFile = AutorunFile();
    std::vector<DiscEntry> root;
    if (!source.List({}, &root))
        return;
    for (const DiscEntry& entry : root)
    {
        if (entry.bFolder || !SameName(WindowsName(entry.name), "autorun.inf"))
            continue;
        pFile->path = {entry.name};
        std::string bytes;
        if (!source.Read(pFile->path, &bytes))
            return;
        pFile->bytes = bytes.substr(0, AUTORUN_MAX_BYTES);
        pFile->bPresent = true;
        CIniFile ini;
        ini.Load(pFile->bytes, codePage, bUnicodeFiles);
        ReadAutorunSections(ini, pFile);
        return;
    }
}

int IsOnly64Bit(const std::string& os) { return os == "winxp64" || os == "win11"; }

int MayBe64Bit(const std::string& os) { return IsVistaOn(os); }

int HonoursAutorunKey(const std::string& os, const std::string& key, int b64Bit)
{
    // Shell 5.0: Windows Me, and 2000 on.
    if (key == "shellexecute")
        return OsCodeOfSystem(os) == OS_WINME || OsCodeOfSystem(os) >= OS_WIN2000;
    if (key == "label" || key == "useautoplay")
        return IsXpOn(os);
    if (key == "action")
        return IsVistaOn(os);
    if (key == "autorun.amd64")
        return b64Bit && (IsOnly64Bit(os) || MayBe64Bit(os));
    return 1;
}

void SplitAutorunCommand(const std::string& command, std::string* pProgram, std::string* pArguments)
{
    const char* szCommand = command.c_str();
    const char* szRest    = SkipProgramName(szCommand);
    *pArguments           = szRest;
    std::string program   = command.substr(0, static_cast<size_t>(szRest - szCommand));
    while (!program.empty() && static_cast<unsigned char>(program.back()) <= ' ')
        program.pop_back();
    if (!program.empty() && program[0] == '"')
    {
        program.erase(0, 1);
        if (!program.empty() && program.back() == '"')
            program.pop_back();
    }
    *pProgram = program;
}

int AutorunDiscPath(const std::string& path, std::vector<std::string>* pParts)
{
    pParts->clear();
    // A drive letter or a network path names what this disc cannot know.
    if ((path.size() >= 2 && path[1] == ':') || path.compare(0, 2, "\\\\") == 0 || path.compare(0, 2, "//") == 0)
        return 0;
    std::string part;
    for (size_t i = 0; i <= path.size(); ++i)
    {
        if (i < path.size() && path[i] != '\\' && path[i] != '/')
        {
            part += path[i];
            continue;
        }
        const std::string name = WindowsName(part);
        part.clear();
        if (name.empty() || name == ".")
            continue;
        if (name == "..")
        {
            pParts->clear();
            return 0;
        }
        pParts->push_back(name);
    }
    return !pParts->empty();
}

int FindOnDisc(const CDiscSource& source, const std::vector<std::string>& parts, std::vector<std::string>* pFound,
               int* pbFolder)
{
    pFound->clear();
    int bFolder = 1;
    for (const std::string& part : parts)
    {
        std::vector<DiscEntry> entries;
        if (!bFolder || !source.List(*pFound, &entries))
            return 0;
        const DiscEntry* pEntry = nullptr;
        for (const DiscEntry& entry : entries)
        {
            if (SameName(WindowsName(entry.name), WindowsName(part)))
            {
                pEntry = &entry;
                break;
            }
        }
        if (pEntry == nullptr)
            return 0;
        pFound->push_back(pEntry->name);
        bFolder = pEntry->bFolder;
    }
    if (pbFolder != nullptr)
        *pbFolder = bFolder;
    return 1;
}

AutorunTask AutorunTaskOf(const AutorunFile& file, const std::string& os, int b64Bit)
{
    AutorunTask task;
    if (!file.bPresent)
    {
        task.none = "the disc has no autorun.inf";
        return task;
    }
    // The architecture's section, where it has keys, is the only one read.
    const bool            bAmd64   = HonoursAutorunKey(os, "autorun.amd64", b64Bit) && file.amd64.bPresent;
    const AutorunSection& section  = bAmd64 ? file.amd64 : file.x86;
    task.section                   = bAmd64 ? "AutoRun.Amd64" : "AutoRun";
    if (!section.bPresent)
    {
        task.section.clear();
        task.none = "autorun.inf has no [AutoRun] section with keys";
        return task;
    }
    if (section.icon.bGiven)
        task.icon = section.icon.text;
    if (section.label.bGiven && HonoursAutorunKey(os, "label", b64Bit))
        task.label = section.label.text;
    if (section.shellCommand.bGiven && !section.shellCommand.text.empty())
        task.doubleClick = section.shellCommand.text;
    // UseAutoPlay is read as a number: 1 hands the disc to AutoPlay without
    // the task (Windows XP) or leaves the task out of the dialog (Vista on),
    // 0 turns AutoPlay off for the disc (Windows 8 on).
    const char* szNumber = section.useAutoPlay.text.c_str();
    const bool  bNumber  = section.useAutoPlay.bGiven && *szNumber >= '0' && *szNumber <= '9';
    const long  nUse     = bNumber ? strtol(szNumber, nullptr, 10) : -1;
    if (nUse == 1 && HonoursAutorunKey(os, "useautoplay", b64Bit))
    {
        task.none = "autorun.inf's UseAutoPlay=1 hands the disc to AutoPlay, which leaves its task out";
        return task;
    }
    if (nUse == 0 && IsOneOf(os, WIN8_ON))
    {
        task.none = "autorun.inf's UseAutoPlay=0 turns AutoPlay off for the disc";
        return task;
    }
    const bool bOpen         = section.open.bGiven && !section.open.text.empty();
    const bool bShellExecute = section.shellExecute.bGiven && !section.shellExecute.text.empty() &&
                               HonoursAutorunKey(os, "shellexecute", b64Bit);
    task.key = bOpen && bShellExecute ? section.lastTask : bOpen ? "open" : bShellExecute ? "shellexecute" : "";
    if (task.key.empty())
    {
        task.none = section.shellExecute.bGiven && !section.shellExecute.text.empty()
                        ? "it ignores shellexecute (honoured from Windows 2000 and Me on), and there is no open="
                        : "autorun.inf names nothing to start (no open=)";
        return task;
    }
    task.value = task.key == "open" ? section.open.text : section.shellExecute.text;
    SplitAutorunCommand(task.value, &task.program, &task.arguments);
    // Vista and later offer the task in the AutoPlay dialog; the earlier
    // systems run it at once.
    if (!IsVistaOn(os))
    {
        task.shown = "started";
        return task;
    }
    task.shown = "autoplay";
    const std::string name = FileName(task.program);
    if (section.action.bGiven && !section.action.text.empty())
        task.text = section.action.text;
    else
        task.text = (task.key == "shellexecute" && !IsProgramName(name) ? "Load " : "Run ") + name;
    return task;
}
