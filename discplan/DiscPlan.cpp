#include "discplan/DiscPlan.h"

#include <dirent.h>
#include <stdarg.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

#include "engine/EngineNames.h"
#include "launcher/ExitCode.h"
#include "launcher/LaunchHost.h"
#include "launcher/LaunchPlan.h"
#include "launcher/MaintenanceChoice.h"
#include "launcher/ParamTemplate.h"
#include "launcher/ProductTable.h"
#include "launcher/Switches.h"
#include "services/Bounded.h"
#include "services/Format.h"
#include "services/LanguageTable.h"
#include "services/LogLine.h"
#include "services/OsClassify.h"

namespace {

// ---------------------------------------------------------------- paths

bool IsSeparator(char ch) { return ch == '\\' || ch == '/'; }

std::vector<std::string> SplitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::string              part;
    for (char ch : path)
    {
        if (IsSeparator(ch))
        {
            parts.push_back(part);
            part.clear();
        }
        else
            part += ch;
    }
    parts.push_back(part);
    return parts;
}

// Windows ignores blanks and dots at the end of a name.
std::string WindowsName(std::string name)
{
    while (!name.empty() && (name.back() == ' ' || name.back() == '.') && name != "." && name != "..")
        name.pop_back();
    return name;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && strncasecmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ---------------------------------------------------------------- systems

struct SystemRecord
{
    const char*   szName;
    OsVersionData data;
    const char*   szVersionNumber; // the registry's "VersionNumber" on that system
};

// The version query's answers on each system, as a program without a
// manifest gets them (Windows 10 reports itself as 6.2 to such a program).
const SystemRecord g_systems[] = {
    {"win95", {OS_PLATFORM_WINDOWS, 4, 0, 0x040003B6, " "}, "4.00.950"},
    {"win98", {OS_PLATFORM_WINDOWS, 4, 10, 0x040A07CE, " "}, "4.10.1998"},
    {"win98se", {OS_PLATFORM_WINDOWS, 4, 10, 0x040A08AE, " A "}, "4.10.2222"},
    {"winme", {OS_PLATFORM_WINDOWS, 4, 90, 0x045A0BB8, " "}, "4.90.3000"},
    {"nt4", {OS_PLATFORM_NT, 4, 0, 1381, "Service Pack 6"}, ""},
    {"win2000", {OS_PLATFORM_NT, 5, 0, 2195, "Service Pack 4"}, ""},
    {"winxp", {OS_PLATFORM_NT, 5, 1, 2600, "Service Pack 3"}, ""},
    {"winxp64", {OS_PLATFORM_NT, 5, 2, 3790, "Service Pack 2"}, ""},
    {"vista", {OS_PLATFORM_NT, 6, 0, 6002, "Service Pack 2"}, ""},
    {"win7", {OS_PLATFORM_NT, 6, 1, 7601, "Service Pack 1"}, ""},
    {"win10", {OS_PLATFORM_NT, 6, 2, 9200, ""}, ""},
};

const char* g_szVersionNumber = "";

int ReadRecordedVersionNumber(char* pBuffer, uint32_t cbBuffer)
{
    if (g_szVersionNumber[0] == '\0')
        return 0;
    CopyStringBounded(pBuffer, cbBuffer, g_szVersionNumber);
    return 1;
}

// ---------------------------------------------------------------- the host

// The disc folder answering the launch decisions' questions, and recording
// what Setup.exe would log and start.
class CDiscHost : public CLaunchHost
{
public:
    CDiscHost(const CDiscFolder& disc, Plan& plan) : m_disc(disc), m_plan(plan), m_current(disc.At()) {}

    const std::string& Current() const { return m_current; }

    int PathExists(const char* szPath) override
    {
        if (szPath[0] == '\0')
            return 0;
        return m_disc.Locate(CDiscFolder::FullPath(szPath, m_current)).empty() ? 0 : 1;
    }

    int GetSetting(const char* szSection, const char* szKey, char* szValue, uint32_t* pcchValue) override
    {
        std::string value;
        if (!m_bSettingsRead || !m_disc.HasSetupIni() || !m_disc.SetupIni().Find(szSection, szKey, &value) ||
            value.empty())
            return 0;
        // The work buffer of LaunchSettings, then its hand-over.
        std::vector<char> work(SETTINGS_WORK_SIZE, '\0');
        CopyStringBounded(work.data(), SETTINGS_WORK_SIZE, value.c_str());
        return CopyProfileValue(work.data(), SETTINGS_WORK_SIZE, szValue, pcchValue);
    }

    uint32_t GetFullPath(const char* szPath, uint32_t cchBuffer, char* szBuffer) override
    {
        const std::string full = CDiscFolder::FullPath(szPath, m_current);
        if (full.size() + 1 > cchBuffer)
            return static_cast<uint32_t>(full.size() + 1);
        memcpy(szBuffer, full.c_str(), full.size() + 1);
        return static_cast<uint32_t>(full.size());
    }

    // Setup.exe reads no value when the Setup.ini path does not fit its buffer.
    void SkipSettings() { m_bSettingsRead = 0; }

    void SetCurrentFolder(const char* szFolder) override { m_current = CDiscFolder::FullPath(szFolder, m_current); }

    int Launch(const char* szFile, const char* szParams, uint32_t dwWaitMs, int nShow) override
    {
        // LaunchCmdline's own copies.
        char szFileCopy[520]   = {};
        char szParamsCopy[520] = {};
        CopyStringBounded(szFileCopy, sizeof(szFileCopy), szFile);
        PlannedStart start;
        start.program = szFileCopy;
        start.folder  = m_current;
        start.show    = nShow;
        start.wait    = dwWaitMs != 0;
        if (!PathExists(szFileCopy))
        {
            Logf("LaunchCmdline - cant find szFile %s\n", szFileCopy);
            start.found = 0;
            m_starts.push_back(start);
            return 0;
        }
        if (szParams != nullptr)
            CopyStringBounded(szParamsCopy, sizeof(szParamsCopy), szParams);
        start.parameters = szParamsCopy;
        Logf("LaunchCmdline::Launching %s %s\n", szFileCopy, szParamsCopy);
        m_starts.push_back(start);
        return 1;
    }

    void Log(const char* szMessage) override { m_plan.log.push_back(szMessage); }

    void Logf(const char* szFormat, ...)
    {
        char    szMessage[LOG_BUFFER_SIZE];
        va_list args;
        va_start(args, szFormat);
        FormatLogMessageV(szMessage, szFormat, args);
        va_end(args);
        Log(szMessage);
    }

    std::vector<PlannedStart> TakeStarts()
    {
        std::vector<PlannedStart> starts;
        starts.swap(m_starts);
        return starts;
    }

private:
    const CDiscFolder&        m_disc;
    Plan&                     m_plan;
    int                       m_bSettingsRead = 1;
    std::string               m_current;
    std::vector<PlannedStart> m_starts;
};

// The product table's existence test has no context of its own.
CDiscHost* g_pHost = nullptr;

int HostPathExists(const char* szPath) { return g_pHost->PathExists(szPath); }

// The launcher keeps the ANSI code page's lead bytes; the plan assumes a
// single-byte code page (the launcher's keywords are ASCII either way).
int NoLeadByte(unsigned char) { return 0; }

void Add(Plan& plan, const char* szSeverity, const char* szCode, const std::string& message)
{
    plan.findings.push_back({szSeverity, szCode, message});
}

} // namespace

// ---------------------------------------------------------------- CDiscFolder

int CDiscFolder::Open(const char* szRoot, const char* szAt, const char* szLauncher)
{
    m_root     = szRoot;
    m_launcher = szLauncher;
    if (!IsDirectory(m_root))
        return 0;
    DIR* pDir = opendir(m_root.c_str());
    if (pDir == nullptr)
        return 0;
    closedir(pDir);
    m_at = FullPath(szAt, "C:\\");
    const std::string ini = Locate(FullPath("Setup.ini", m_at));
    m_bHasIni = !ini.empty() && !IsDirectory(ini);
    if (m_bHasIni)
        m_ini.Load(ini.c_str());
    return 1;
}

std::string CDiscFolder::FullPath(const char* szPath, const std::string& current)
{
    std::string path = szPath;
    std::string drive;
    std::string rest;
    if (path.size() >= 2 && path[1] == ':')
    {
        drive = path.substr(0, 2);
        rest  = path.size() > 2 && IsSeparator(path[2]) ? path.substr(2) : current.substr(2) + "\\" + path.substr(2);
    }
    else if (!path.empty() && IsSeparator(path[0]))
    {
        drive = current.substr(0, 2);
        rest  = path;
    }
    else
    {
        drive = current.substr(0, 2);
        rest  = current.substr(2) + "\\" + path;
    }
    std::vector<std::string> kept;
    const std::vector<std::string> parts = SplitPath(rest);
    for (size_t i = 0; i < parts.size(); ++i)
    {
        const std::string name = WindowsName(parts[i]);
        if (name.empty() || name == ".")
            continue;
        if (name == "..")
        {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(name);
    }
    std::string full = drive + "\\";
    for (size_t i = 0; i < kept.size(); ++i)
        full += (i > 0 ? "\\" : "") + kept[i];
    // A trailing separator stays, as GetFullPathNameA keeps it.
    if (!kept.empty() && !path.empty() && IsSeparator(path.back()))
        full += "\\";
    return full;
}

std::string CDiscFolder::Locate(const std::string& fullPath) const
{
    std::string relative;
    std::string at = m_at;
    if (!at.empty() && at.back() != '\\')
        at += "\\";
    std::string full = fullPath;
    if (!full.empty() && full.back() != '\\')
        full += "\\";
    if (!StartsWithNoCase(full, at))
        return "";
    relative = fullPath.size() > at.size() ? fullPath.substr(at.size()) : "";

    std::string unixPath = m_root;
    for (const std::string& part : SplitPath(relative))
    {
        const std::string name = WindowsName(part);
        if (name.empty())
            continue;
        DIR* pDir = opendir(unixPath.c_str());
        if (pDir == nullptr)
            return "";
        std::string found;
        while (dirent* pEntry = readdir(pDir))
        {
            if (strcasecmp(pEntry->d_name, name.c_str()) == 0 && strlen(pEntry->d_name) == name.size())
            {
                found = pEntry->d_name;
                break;
            }
        }
        closedir(pDir);
        if (found.empty() && unixPath == m_root && strcasecmp(name.c_str(), m_launcher.c_str()) == 0)
            found = m_launcher;
        if (found.empty())
            return "";
        unixPath += "/" + found;
    }
    return unixPath;
}

std::vector<std::string> CDiscFolder::List(const std::string& relative) const
{
    std::vector<std::string> names;
    const std::string        folder = Locate(FullPath(relative.c_str(), m_at));
    if (folder.empty())
        return names;
    DIR* pDir = opendir(folder.c_str());
    if (pDir == nullptr)
        return names;
    while (dirent* pEntry = readdir(pDir))
    {
        if (strcmp(pEntry->d_name, ".") != 0 && strcmp(pEntry->d_name, "..") != 0)
            names.push_back(pEntry->d_name);
    }
    closedir(pDir);
    return names;
}

// ---------------------------------------------------------------- systems and languages

const std::vector<std::string>& KnownSystems()
{
    static std::vector<std::string> names;
    if (names.empty())
    {
        for (const SystemRecord& record : g_systems)
            names.push_back(record.szName);
    }
    return names;
}

int OsCodeOfSystem(const std::string& name)
{
    for (const SystemRecord& record : g_systems)
    {
        if (name == record.szName)
        {
            char szDescription[OS_DESCRIPTION_SIZE];
            g_szVersionNumber = record.szVersionNumber;
            return ClassifyOs(record.data, ReadRecordedVersionNumber, szDescription);
        }
    }
    return 0;
}

const std::vector<std::string>& KnownLanguages()
{
    // Every language identifier through the launcher's own table.
    static std::vector<std::string> codes;
    if (codes.empty())
    {
        codes.push_back("enu");
        for (uint32_t wLangId = 0; wLangId <= 0xFFFF; ++wLangId)
        {
            const std::string code = LanguageCodeFromLangId(static_cast<uint16_t>(wLangId));
            bool              bSeen = false;
            for (const std::string& known : codes)
                bSeen = bSeen || known == code;
            if (!bSeen)
                codes.push_back(code);
        }
    }
    return codes;
}

// ---------------------------------------------------------------- the plan

Plan MakePlan(const CDiscFolder& disc, const PlanInput& input)
{
    Plan plan;
    plan.input = input;
    CDiscHost host(disc, plan);
    g_pHost = &host;

    // 1, 2. The launcher's folder and its command line, cut to 259 characters.
    char szModuleFolder[PATH_SIZE];
    CopyStringBounded(szModuleFolder, PATH_SIZE, disc.At().c_str());
    char szCommandLine[PATH_SIZE];
    CopyStringBounded(szCommandLine, PATH_SIZE, input.cmdline.c_str());
    host.Logf("Entering Setup launcher\n\n");

    // 6, 7. A language the table does not know gives "enu".
    plan.languageCode = "enu";
    for (const std::string& code : KnownLanguages())
    {
        if (code == input.lang)
            plan.languageCode = code;
    }
    plan.nOsCode = OsCodeOfSystem(input.os);

    // 10, 11, 12.
    ProductLocation location = {};
    FindProductFolder(location, HostPathExists);
    FindSetupProgram(location, plan.languageCode.c_str(), HostPathExists);
    FindEngineUpdate(location, HostPathExists);
    plan.product            = location.szProductName;
    plan.productFolder      = location.szProductFolder;
    plan.setupProgram       = location.szSetupProgram;
    plan.bSetupFound        = location.bSetupFound;
    plan.engineProbe        = location.szEngineUpdateProbe;
    plan.bEngineUpdateFound = location.bEngineUpdateFound;
    if (!location.bEngineUpdateFound)
        host.Logf("IkernelUpdate not found in %s\n", location.szEngineUpdateProbe);
    const int bEngineStale = location.bEngineUpdateFound && input.engine == "outdated";

    // 13.
    plan.bAdminRequired = IsAdministratorRequired(plan.nOsCode);
    if (plan.bAdminRequired && input.user == "standard")
    {
        plan.bAdminMessage = 1;
        plan.nExitCode     = EXIT_DONE;
        g_pHost            = nullptr;
        return plan;
    }

    // 14. The update program, by its full path, silent and waited for.
    if (bEngineStale)
    {
        char szProgram[PATH_SIZE];
        if (FormatBounded(szProgram, PATH_SIZE, ENGINE_UPDATE_PROGRAM,
                          ChooseEngineUpdateRoot(host.PathExists(".\\AppInst\\setup.exe"))) < PATH_SIZE)
        {
            char szFull[PATH_SIZE] = {};
            const uint32_t cchFull = host.GetFullPath(szProgram, PATH_SIZE, szFull);
            if (cchFull == 0 || cchFull >= PATH_SIZE)
                szFull[0] = '\0';
            host.Launch(szFull, ENGINE_UPDATE_PARAMETERS, LAUNCH_WAIT_INFINITE, LAUNCH_SHOW_NORMAL);
            std::vector<PlannedStart> starts = host.TakeStarts();
            plan.bHasEngineUpdate = 1;
            plan.engineUpdate     = starts.back();
            plan.engineUpdate.parameters = ENGINE_UPDATE_PARAMETERS;
        }
    }

    // 15, 16.
    const int   bHasSwitch = FindSwitch(szCommandLine, "/", NoLeadByte);
    std::string setupIni   = CDiscFolder::FullPath("Setup.ini", disc.At());
    if (setupIni.size() >= PATH_SIZE)
    {
        setupIni.clear();
        host.SkipSettings();
        host.Logf("Setup.ini path too long, settings not read\n");
        if (disc.HasSetupIni())
            Add(plan, "error", "ini-path-too-long",
                "Setup.ini is not read: its path at " + disc.At() + " is longer than 259 characters");
    }

    // 17. The driver registry file beside the launcher.
    if (IsDriverImportSystem(plan.nOsCode))
    {
        for (size_t i = 0; i < g_nDriverRegistryFiles; ++i)
        {
            const std::string file = CDiscFolder::FullPath(g_rgszDriverRegistryFiles[i], disc.At());
            if (disc.Locate(file).empty())
                continue;
            if (file.size() >= PATH_SIZE)
            {
                Add(plan, "error", "driver-path-too-long",
                    "the driver registry file " + file + " has a path longer than 259 characters and is not imported");
                continue;
            }
            plan.driverImport = file;
            host.Logf("LaunchCmdline::Launching %%windir%%\\regedit.exe /s \"%s\"\n", file.c_str());
            break;
        }
    }

    // 18, 19.
    const LaunchFacts facts = {szModuleFolder, szCommandLine, plan.languageCode.c_str(), setupIni.c_str(),
                               NoLeadByte};
    plan.nExitCode = ChooseAndLaunch(host, facts, location, bHasSwitch);
    plan.starts    = host.TakeStarts();
    g_pHost        = nullptr;

    // What the run says about the disc.
    for (const std::string& line : plan.log)
    {
        if (line.compare(0, 13, "CmdlineParam ") == 0 && line.find(" refused,") != std::string::npos)
            Add(plan, "error", "cmdline-param-refused",
                "Setup.ini's CmdlineParam is refused (only %s twice and %% are allowed); the default is used");
        else if (line == "Silent parameters too long, nothing launched\n")
            Add(plan, "error", "silent-params-too-long",
                "the silent installation's parameters would be longer than 259 characters at " + disc.At() + "; nothing is started");
    }
    const int bSilent = FindSwitch(szCommandLine, "/s", NoLeadByte);
    if (bHasSwitch && bSilent && IsLauncherItself(location.szSetupProgram))
        Add(plan, "error", "silent-starts-itself",
            "no product folder: the silent installation starts Setup.exe itself, which then finds itself running");
    // "/webrelease" asks for a program the disc may simply not offer.
    const int bWebRelease = bHasSwitch && !bSilent && FindSwitch(szCommandLine, "webrelease", NoLeadByte);
    for (const PlannedStart& start : plan.starts)
    {
        if (!start.found)
            Add(plan, bWebRelease ? "warning" : "error", "program-missing",
                "Setup.exe starts " + start.program + ", which is not on the disc");
    }
    if (plan.bHasEngineUpdate && !plan.engineUpdate.found)
        Add(plan, "error", "engine-update-missing",
            "the engine update is found at " + plan.engineProbe + " but run from " + plan.engineUpdate.program +
                ", which is not on the disc");
    bool bStarted = false;
    for (const PlannedStart& start : plan.starts)
        bStarted = bStarted || start.found;
    if (!bStarted)
    {
        // Not the setup program of the user's language: the English one was
        // assumed and is missing too.
        const bool bSetupMissing = !location.bSetupFound && disc.Locate(CDiscFolder::FullPath(
                                                                  location.szSetupProgram, disc.At())).empty();
        if (bHasSwitch && !bSilent && !FindSwitch(szCommandLine, "webrelease", NoLeadByte) &&
            !FindSwitch(szCommandLine, "dusmara", NoLeadByte) && !FindSwitch(szCommandLine, "dm5", NoLeadByte))
            Add(plan, "info", "nothing-started", "a slash without a keyword: nothing is started");
        else if (bSetupMissing && plan.product.size() + plan.productFolder.size() > 0)
            Add(plan, "error", "no-setup-for-language",
                "no setup program for language " + plan.languageCode + ": " + plan.productFolder +
                    " holds neither setup.exe nor " + plan.languageCode + "\\setup.exe nor enu\\setup.exe");
        else
            Add(plan, "warning", "nothing-started", "nothing is started");
    }
    plan.nOwnFindings = plan.findings.size();
    return plan;
}

// ---------------------------------------------------------------- the disc

namespace {

const CDiscFolder* g_pDisc = nullptr;

int DiscPathExists(const char* szPath)
{
    return g_pDisc->Locate(CDiscFolder::FullPath(szPath, g_pDisc->At())).empty() ? 0 : 1;
}

bool HasNonAscii(const std::string& text)
{
    for (unsigned char ch : text)
    {
        if (ch >= 0x80)
            return true;
    }
    return false;
}

std::string WithoutDotPrefix(const std::string& folder)
{
    return folder.compare(0, 2, ".\\") == 0 ? folder.substr(2) : folder;
}

} // namespace

std::vector<Finding> CheckDisc(const CDiscFolder& disc)
{
    std::vector<Finding> findings;
    g_pDisc = &disc;

    if (disc.HasSetupIni() && disc.SetupIni().HasUtf8Mark())
        findings.push_back({"warning", "ini-utf8-mark",
                            "Setup.ini starts with a UTF-8 byte order mark, which not every Windows reads as such: "
                            "its first section may not be found"});

    // Setup.ini's values as the Windows function returns them.
    static const char* const rgszKeys[][2] = {{"Settings", "DemoPath"}, {"Settings", "SetupPath"},
                                              {"Silent", "CmdlineParam"}};
    for (const auto& key : rgszKeys)
    {
        std::string value;
        if (!disc.HasSetupIni() || !disc.SetupIni().Find(key[0], key[1], &value) || value.empty())
            continue;
        const std::string name = std::string("[") + key[0] + "] " + key[1];
        const size_t      nComment = value.find(';');
        if (nComment != std::string::npos && nComment > 0 && (value[nComment - 1] == ' ' || value[nComment - 1] == '\t'))
            findings.push_back({"error", "ini-inline-comment",
                                "Setup.ini " + name + " keeps its \"" + value.substr(nComment) +
                                    "\" as part of the value: Windows knows no inline comments"});
        if (value.size() > PATH_SIZE - 1)
        {
            findings.push_back({"error", "ini-value-too-long",
                                "Setup.ini " + name + " is " + std::to_string(value.size()) +
                                    " characters long; values over 259 are ignored"});
            continue;
        }
        if (HasNonAscii(value))
            findings.push_back({"warning", "non-ascii-name",
                                "Setup.ini " + name + " holds non-ASCII characters, which the ANSI code page of "
                                "the user's system may not be able to write"});
        if (strcmp(key[0], "Settings") == 0 && !DiscPathExists(value.c_str()))
            findings.push_back({"warning", "ini-path-missing",
                                "Setup.ini " + name + " names " + value + ", which is not on the disc"});
    }

    // The product folder and its setup programs.
    ProductLocation location = {};
    FindProductFolder(location, DiscPathExists);
    const std::string product = WithoutDotPrefix(location.szProductFolder);
    if (!product.empty())
    {
        if (HasNonAscii(product))
            findings.push_back({"warning", "non-ascii-name",
                                "the product folder " + product + " has a non-ASCII name, which the ANSI code page of "
                                "the user's system may not be able to write"});
        std::vector<std::string> languages;
        for (const std::string& name : disc.List(product))
        {
            if (HasNonAscii(name))
                findings.push_back({"warning", "non-ascii-name",
                                    "the folder " + product + name + " has a non-ASCII name, which the ANSI code page "
                                    "of the user's system may not be able to write"});
            if (DiscPathExists((product + name + "\\setup.exe").c_str()))
                languages.push_back(name);
        }
        const bool bPlain   = DiscPathExists((product + "setup.exe").c_str());
        const bool bEnglish = DiscPathExists((product + "enu\\setup.exe").c_str());
        if (!bPlain && !bEnglish && !languages.empty())
            findings.push_back({"error", "no-english-setup",
                                "setup programs only in language folders of " + product +
                                    " and none in enu: users of every other language get nothing"});
    }

    // Engine update programs the launcher never runs.
    FindEngineUpdate(location, DiscPathExists);
    const std::string runRoot = ChooseEngineUpdateRoot(DiscPathExists(".\\AppInst\\setup.exe"));
    for (const std::string& name : disc.List(""))
    {
        if (!DiscPathExists((name + "\\IKernelUpdate\\Setup.exe").c_str()))
            continue;
        if (location.bEngineUpdateFound && strcasecmp(name.c_str(), runRoot.c_str()) == 0)
            continue;
        findings.push_back({"warning", "engine-update-unused",
                            name + "\\IKernelUpdate\\Setup.exe is never run: the launcher looks for the update in " +
                                WithoutDotPrefix(location.szEngineRoot) + " and runs it from " + runRoot});
    }
    g_pDisc = nullptr;
    return findings;
}
