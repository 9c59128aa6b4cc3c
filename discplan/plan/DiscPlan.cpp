#include "discplan/plan/DiscPlan.h"

#include <stdarg.h>
#include <string.h>

#include <map>
#include <memory>
#include <tuple>

#include "discplan/codepage/CodePage.h"
#include "discplan/plan/DiscView.h"
#include "discplan/findings/Findings.h"
#include "discplan/input/IniFile.h"
#include "discplan/plan/Systems.h"
#include "engine/EngineNames.h"
#include "launcher/ExitCode.h"
#include "launcher/LaunchHost.h"
#include "launcher/LaunchPlan.h"
#include "launcher/MaintenanceChoice.h"
#include "launcher/ProductTable.h"
#include "launcher/Switches.h"
#include "services/Bounded.h"
#include "services/Format.h"
#include "services/LogLine.h"

namespace {

// The disc answering the launch decisions' questions as the planned system
// reads it, and recording what Setup.exe would log and start. Every text
// here is in the system's code page, as the launcher's own.
class CDiscHost : public CLaunchHost
{
public:
    CDiscHost(const CDiscView& view, const CIniFile* pIni, Plan& plan)
        : m_view(view), m_pIni(pIni), m_plan(plan), m_current(view.At())
    {
    }

    int PathExists(const char* szPath) override
    {
        std::vector<std::string> found;
        return szPath[0] != '\0' && m_view.Locate(m_view.FullPath(szPath, m_current), &found);
    }

    int GetSetting(const char* szSection, const char* szKey, char* szValue, uint32_t* pcchValue) override
    {
        std::string value;
        if (!m_bSettingsRead || m_pIni == nullptr || !m_pIni->Find(szSection, szKey, &value) || value.empty())
            return 0;
        // The work buffer of LaunchSettings, then its hand-over.
        std::vector<char> work(SETTINGS_WORK_SIZE, '\0');
        CopyStringBounded(work.data(), SETTINGS_WORK_SIZE, value.c_str());
        return CopyProfileValue(work.data(), SETTINGS_WORK_SIZE, szValue, pcchValue);
    }

    uint32_t GetFullPath(const char* szPath, uint32_t cchBuffer, char* szBuffer) override
    {
        const std::string full = m_view.FullPath(szPath, m_current);
        if (full.size() + 1 > cchBuffer)
            return static_cast<uint32_t>(full.size() + 1);
        memcpy(szBuffer, full.c_str(), full.size() + 1);
        return static_cast<uint32_t>(full.size());
    }

    // Setup.exe reads no value when the Setup.ini path does not fit its buffer.
    void SkipSettings() { m_bSettingsRead = 0; }

    void SetCurrentFolder(const char* szFolder) override { m_current = m_view.FullPath(szFolder, m_current); }

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
    const CDiscView&          m_view;
    const CIniFile*           m_pIni;
    Plan&                     m_plan;
    int                       m_bSettingsRead = 1;
    std::string               m_current;
    std::vector<PlannedStart> m_starts;
};

// The product table's existence test and the keyword search's lead bytes
// have no context of their own: the plan being made.
CDiscHost*       g_pHost      = nullptr;
const CCodePage* g_pCodePage  = nullptr;

int HostPathExists(const char* szPath) { return g_pHost->PathExists(szPath); }
int PlannedLeadByte(unsigned char ch) { return g_pCodePage->IsLeadByte(ch); }

// The launcher's texts, read back as its system shows them.
void DecodeStart(const CCodePage& codePage, PlannedStart& start)
{
    start.program    = codePage.Decode(start.program);
    start.parameters = codePage.Decode(start.parameters);
    start.folder     = codePage.Decode(start.folder);
}

} // namespace

unsigned PlannedCodePage(const PlanInput& input)
{
    return input.nCodePage != 0 ? input.nCodePage : CodePageOfLanguage(KnownLanguage(input.lang));
}

namespace {

// Setup.ini as one kind of system reads it from one disc source: read and
// parsed once per source, code page, kind and folder, since every
// combination of a run plans over the same file, and a file of tens of MiB
// read for each of hundreds of rows would take hours. Sources live as long
// as the run.
struct LoadedIni
{
    int      bHas = 0;
    CIniFile ini;
};

const LoadedIni& SetupIniOf(const CDiscSource& source, const CDiscView& view, const CCodePage& codePage,
                            int bUnicodeFiles, const std::string& at)
{
    typedef std::tuple<const CDiscSource*, unsigned, int, std::string> Key;
    static std::map<Key, std::unique_ptr<LoadedIni>> s_loaded;
    std::unique_ptr<LoadedIni>& pLoaded = s_loaded[Key(&source, codePage.Number(), bUnicodeFiles, at)];
    if (!pLoaded)
    {
        pLoaded.reset(new LoadedIni);
        std::string bytes;
        pLoaded->bHas = view.ReadFile("Setup.ini", &bytes);
        if (pLoaded->bHas)
            pLoaded->ini.Load(bytes, codePage, bUnicodeFiles);
    }
    return *pLoaded;
}

} // namespace

unsigned PlannedOemCodePage(const PlanInput& input)
{
    const std::string language = KnownLanguage(input.lang);
    return OemCodePageOf(PlannedCodePage(input), language.empty() ? "enu" : language);
}

Plan MakePlan(const CDiscSource& source, const PlanInput& input)
{
    Plan plan;
    plan.input                 = input;
    plan.nCodePage             = PlannedCodePage(input);
    const CCodePage* pCodePage = CCodePage::Get(plan.nCodePage);
    if (pCodePage == nullptr)
    {
        plan.nCodePage = 0;
        return plan;
    }
    const CDiscView  view(source, *pCodePage, input.at, input.launcher);
    const LoadedIni& loadedIni = SetupIniOf(source, view, *pCodePage, ReadsUnicodeFiles(input.os), input.at);
    const int        bHasIni = loadedIni.bHas;
    CDiscHost        host(view, bHasIni ? &loadedIni.ini : nullptr, plan);
    g_pHost               = &host;
    g_pCodePage           = pCodePage;
    plan.bFolderShortName = !view.AtWritable();
    RunFacts facts        = {};

    // 1, 2. The launcher's folder and its command line (Windows hands it over
    // in the code page), cut to 259 bytes.
    char szModuleFolder[PATH_SIZE];
    CopyStringBounded(szModuleFolder, PATH_SIZE, view.At().c_str());
    std::string commandLine;
    pCodePage->Encode(input.cmdline, &commandLine);
    char szCommandLine[PATH_SIZE];
    CopyStringBounded(szCommandLine, PATH_SIZE, commandLine.c_str());
    host.Logf("Entering Setup launcher\n\n");

    // 6, 7. A language the table does not know gives "enu".
    plan.languageCode = KnownLanguage(input.lang);
    if (plan.languageCode.empty())
        plan.languageCode = "enu";
    plan.nOsCode = OsCodeOfSystem(input.os);

    // 10, 11, 12.
    ProductLocation location = {};
    FindProductFolder(location, HostPathExists);
    FindSetupProgram(location, plan.languageCode.c_str(), HostPathExists);
    FindEngineUpdate(location, HostPathExists);
    plan.product            = location.szProductName;
    plan.productFolder      = location.szProductFolder;
    plan.setupProgram       = pCodePage->Decode(location.szSetupProgram);
    plan.bSetupFound        = location.bSetupFound;
    plan.engineProbe        = location.szEngineUpdateProbe;
    plan.bEngineUpdateFound = location.bEngineUpdateFound;
    if (!location.bEngineUpdateFound)
        host.Logf("IkernelUpdate not found in %s\n", location.szEngineUpdateProbe);
    const int bEngineStale = location.bEngineUpdateFound && input.engine == "outdated";

    // 13.
    plan.bAdminRequired = IsAdministratorRequired(plan.nOsCode);
    if (plan.bAdminRequired && input.user == "standard")
        plan.bAdminMessage = 1;

    // 14. The update program, by its full path, silent and waited for.
    if (!plan.bAdminMessage && bEngineStale)
    {
        char szProgram[PATH_SIZE];
        if (FormatBounded(szProgram, PATH_SIZE, ENGINE_UPDATE_PROGRAM,
                          ChooseEngineUpdateRoot(host.PathExists(".\\AppInst\\setup.exe"))) < PATH_SIZE)
        {
            char           szFull[PATH_SIZE] = {};
            const uint32_t cchFull           = host.GetFullPath(szProgram, PATH_SIZE, szFull);
            if (cchFull == 0 || cchFull >= PATH_SIZE)
                szFull[0] = '\0';
            host.Launch(szFull, ENGINE_UPDATE_PARAMETERS, LAUNCH_WAIT_INFINITE, LAUNCH_SHOW_NORMAL);
            std::vector<PlannedStart> starts = host.TakeStarts();
            plan.bHasEngineUpdate            = 1;
            plan.engineUpdate                = starts.back();
            plan.engineUpdate.parameters     = ENGINE_UPDATE_PARAMETERS;
            DecodeStart(*pCodePage, plan.engineUpdate);
        }
    }

    // 15, 16.
    facts.bHasSwitch     = FindSwitch(szCommandLine, "/", PlannedLeadByte);
    std::string setupIni = view.FullPath("Setup.ini", view.At());
    if (!plan.bAdminMessage && setupIni.size() >= PATH_SIZE)
    {
        setupIni.clear();
        host.SkipSettings();
        host.Logf("Setup.ini path too long, settings not read\n");
        facts.bIniPathTooLong = bHasIni;
    }

    // 17. The driver registry file beside the launcher.
    for (size_t i = 0; !plan.bAdminMessage && IsDriverImportSystem(plan.nOsCode) && i < g_nDriverRegistryFiles; ++i)
    {
        const std::string file = view.FullPath(g_rgszDriverRegistryFiles[i], view.At());
        if (!view.Exists(file))
            continue;
        if (file.size() >= PATH_SIZE)
        {
            facts.driverTooLong = pCodePage->Decode(file);
            continue;
        }
        plan.driverImport = pCodePage->Decode(file);
        host.Logf("LaunchCmdline::Launching %%windir%%\\regedit.exe /s \"%s\"\n", file.c_str());
        break;
    }

    // 18, 19.
    if (plan.bAdminMessage)
        plan.nExitCode = EXIT_DONE;
    else
    {
        const LaunchFacts launchFacts = {szModuleFolder, szCommandLine, plan.languageCode.c_str(), setupIni.c_str(),
                                         PlannedLeadByte};
        plan.nExitCode = ChooseAndLaunch(host, launchFacts, location, facts.bHasSwitch);
        plan.starts    = host.TakeStarts();
    }
    for (PlannedStart& start : plan.starts)
        DecodeStart(*pCodePage, start);
    for (std::string& line : plan.log)
        line = pCodePage->Decode(line);

    // What the run says about the disc.
    facts.bSilent         = FindSwitch(szCommandLine, "/s", PlannedLeadByte);
    facts.bWebRelease     = FindSwitch(szCommandLine, "webrelease", PlannedLeadByte);
    facts.bKeyword        = facts.bSilent || facts.bWebRelease || FindSwitch(szCommandLine, "dusmara", PlannedLeadByte) ||
                     FindSwitch(szCommandLine, "dm5", PlannedLeadByte);
    facts.bLauncherItself = IsLauncherItself(location.szSetupProgram);
    // Not the setup program of the user's language: the English one was
    // assumed and is missing too.
    facts.bSetupMissing = !location.bSetupFound && !view.Exists(location.szSetupProgram);
    facts.at            = view.AtText();
    g_pHost             = nullptr;
    g_pCodePage         = nullptr;
    if (!plan.bAdminMessage)
        AddRunFindings(facts, plan);
    plan.nOwnFindings = plan.findings.size();
    return plan;
}
