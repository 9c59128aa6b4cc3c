#include "launcher/LaunchSelection.h"

#include <shlwapi.h>

#include "launcher/Globals.h"
#include "launcher/LaunchPlan.h"
#include "launcher/Switches.h"
#include "services/Bounded.h"
#include "services/Launch.h"
#include "services/Log.h"

namespace {

int IsLeadByte(unsigned char ch) { return IsDBCSLeadByte(ch) ? 1 : 0; }

// The running system as the launch decisions see it.
class CSystemLaunchHost : public CLaunchHost
{
public:
    explicit CSystemLaunchHost(LaunchSettings& settings) : m_settings(settings) {}

    int PathExists(const char* szPath) override { return PathFileExistsA(szPath) ? 1 : 0; }

    int GetSetting(const char* szSection, const char* szKey, char* szValue, uint32_t* pcchValue) override
    {
        DWORD     cchValue = *pcchValue;
        const int bRead    = m_settings.GetValue(szSection, szKey, szValue, &cchValue) ? 1 : 0;
        *pcchValue         = cchValue;
        return bRead;
    }

    uint32_t GetFullPath(const char* szPath, uint32_t cchBuffer, char* szBuffer) override
    {
        return GetFullPathNameA(szPath, cchBuffer, szBuffer, nullptr);
    }

    void SetCurrentFolder(const char* szFolder) override { SetCurrentDirectoryA(szFolder); }

    int Launch(const char* szFile, const char* szParams, uint32_t dwWaitMs, int nShow) override
    {
        return LaunchCmdline(szFile, szParams, dwWaitMs, nShow);
    }

    void Log(const char* szMessage) override { WriteLog("%s", szMessage); }

private:
    LaunchSettings& m_settings;
};

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
    // One constant table rather than a local aggregate: GCC copies the
    // latter from a writable template, which costs the file a .data section.
    static const LaunchFacts s_facts = {g_szModuleFolder, g_szCommandLine, g_szLanguageCode, g_szSetupIniPath,
                                        IsLeadByte};
    CSystemLaunchHost host(settings);
    return ChooseAndLaunch(host, s_facts, location, bHasSwitch);
}
