#include "ProcessTestSupport.h"

#include <shlwapi.h>

#include "TestSupport.h"
#include "services/SystemLibrary.h"

namespace {

std::map<std::string, std::string> g_libraries;
std::vector<std::string>           g_asked;
PFN_LOAD_SYSTEM_LIBRARY            g_pfnPreviousLoader = nullptr;

std::string Lower(std::string text)
{
    for (char& ch : text)
        ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
    return text;
}

HMODULE LoadOverridden(const char* szName)
{
    g_asked.push_back(szName);
    auto it = g_libraries.find(Lower(szName));
    if (it == g_libraries.end())
        return g_pfnPreviousLoader(szName);
    if (it->second.empty())
        return nullptr;
    return LoadLibraryA(ToolPath(it->second.c_str()).c_str());
}

} // namespace

CLibraryOverride::CLibraryOverride()
{
    g_libraries.clear();
    g_asked.clear();
    g_pfnPreviousLoader = SetSystemLibraryLoader(LoadOverridden);
}

CLibraryOverride::~CLibraryOverride() { SetSystemLibraryLoader(g_pfnPreviousLoader); }

void CLibraryOverride::Map(const std::string& name, const std::string& library) { g_libraries[Lower(name)] = library; }

const std::vector<std::string>& CLibraryOverride::Asked() const { return g_asked; }

namespace {

std::vector<std::vector<std::string>> ReadRecords(const std::string& path)
{
    std::vector<std::vector<std::string>> records;
    std::string                           text = ReadFileText(path);
    size_t                                pos  = 0;
    while (pos < text.size())
    {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::vector<std::string> fields;
        std::string              line = text.substr(pos, end - pos);
        size_t                   start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        records.push_back(fields);
        pos = end + 1;
    }
    return records;
}

} // namespace

CStandIn::CStandIn(const std::string& folder, const char* szName, const char* szBehaviour)
    : m_hProcess(nullptr), m_dwProcessId(0)
{
    std::string program = folder + "\\" + szName;
    // Never over a running copy: Wine lets the file be rewritten under the
    // process that maps it, which then dies.
    CopyFileA(ToolPath("recorder.exe").c_str(), program.c_str(), TRUE);
    std::string rec = "[rec]\r\n";
    for (const char* p = szBehaviour; *p != '\0'; ++p)
        rec += *p == '\n' ? std::string("\r\n") : std::string(1, *p);
    WriteFileText(program + ".rec", rec + "\r\n");

    // Each start gets its own record file: the names repeat between stand-ins.
    static int nStarts = 0;
    m_recordFile       = folder + "\\" + szName + "." + std::to_string(++nStarts) + ".record";
    DeleteFileA(m_recordFile.c_str());
    SetEnvironmentVariableA("RECORD_FILE", m_recordFile.c_str());
    STARTUPINFOA        si = {};
    PROCESS_INFORMATION pi = {};
    si.cb                  = sizeof(si);
    std::string line       = "\"" + program + "\"";
    const BOOL  bStarted   = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA("RECORD_FILE", nullptr);
    if (!bStarted)
        return;
    CloseHandle(pi.hThread);
    m_hProcess    = pi.hProcess;
    m_dwProcessId = pi.dwProcessId;

    // Ready once it has done its start-up and opened its windows: from then
    // on it only waits, and its module list stays as it is.
    for (int nTry = 0; nTry < 500; ++nTry)
    {
        if (ReadFileText(m_recordFile).find("\nready\t") != std::string::npos)
            break;
        Sleep(20);
    }
}

CStandIn::~CStandIn()
{
    if (m_hProcess == nullptr)
        return;
    if (IsRunning())
    {
        TerminateProcess(m_hProcess, 99);
        WaitForSingleObject(m_hProcess, 5000);
    }
    CloseHandle(m_hProcess);
}

bool CStandIn::IsRunning() const { return !WaitForEnd(0); }

bool CStandIn::WaitForEnd(DWORD dwMs) const { return WaitForSingleObject(m_hProcess, dwMs) == WAIT_OBJECT_0; }

bool CStandIn::EndedByItself() const
{
    for (const auto& fields : ReadRecords(m_recordFile))
        if (fields[0] == "end")
            return true;
    return false;
}

DWORD CStandIn::ExitCode() const
{
    DWORD dwExit = STILL_ACTIVE;
    GetExitCodeProcess(m_hProcess, &dwExit);
    return dwExit;
}

std::vector<WindowMessage> CStandIn::Messages() const
{
    std::vector<WindowMessage> messages;
    for (const auto& fields : ReadRecords(m_recordFile))
        if (fields[0] == "msg" && fields.size() == 4)
            messages.push_back({atoi(fields[2].c_str()), fields[3]});
    return messages;
}
