#include "discplan/plan/Systems.h"

#include "services/Bounded.h"
#include "services/LanguageTable.h"
#include "services/OsClassify.h"

namespace {

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
    // Windows 8, 8.1, 10 and 11 all say 6.2 to a program whose manifest
    // names no supported systems, as Setup.exe's does.
    {"win8", {OS_PLATFORM_NT, 6, 2, 9200, ""}, ""},
    {"win81", {OS_PLATFORM_NT, 6, 2, 9200, ""}, ""},
    {"win10", {OS_PLATFORM_NT, 6, 2, 9200, ""}, ""},
    {"win11", {OS_PLATFORM_NT, 6, 2, 9200, ""}, ""},
};

const char* g_szVersionNumber = "";

int ReadRecordedVersionNumber(char* pBuffer, uint32_t cbBuffer)
{
    if (g_szVersionNumber[0] == '\0')
        return 0;
    CopyStringBounded(pBuffer, cbBuffer, g_szVersionNumber);
    return 1;
}

const SystemRecord* FindSystem(const std::string& name)
{
    for (const SystemRecord& record : g_systems)
    {
        if (name == record.szName)
            return &record;
    }
    return nullptr;
}

} // namespace

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

const std::vector<std::string>& DefaultCmdlines()
{
    static const std::vector<std::string> cmdlines = {"", "/s", "/webrelease", "/dusmara", "/dm5", "/x"};
    return cmdlines;
}

const std::vector<std::string>& DefaultSystems()
{
    static const std::vector<std::string> names = {"win95", "win98",   "win98se", "winme", "nt4",
                                                   "win2000", "winxp", "winxp64", "vista"};
    return names;
}

int OsCodeOfSystem(const std::string& name)
{
    const SystemRecord* pRecord = FindSystem(name);
    if (pRecord == nullptr)
        return 0;
    char szDescription[OS_DESCRIPTION_SIZE];
    g_szVersionNumber = pRecord->szVersionNumber;
    return ClassifyOs(pRecord->data, ReadRecordedVersionNumber, szDescription);
}

int ReadsUnicodeFiles(const std::string& name)
{
    const SystemRecord* pRecord = FindSystem(name);
    return pRecord != nullptr && pRecord->data.dwPlatformId == OS_PLATFORM_NT;
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
            const std::string code  = LanguageCodeFromLangId(static_cast<uint16_t>(wLangId));
            bool              bSeen = false;
            for (const std::string& known : codes)
                bSeen = bSeen || known == code;
            if (!bSeen)
                codes.push_back(code);
        }
    }
    return codes;
}

std::string KnownLanguage(const std::string& code)
{
    std::string lower = code;
    for (char& ch : lower)
        ch = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
    for (const std::string& known : KnownLanguages())
    {
        if (known == lower)
            return known;
    }
    return std::string();
}
