#include "process/ToolhelpProcessApi.h"

#include "process/ModuleName.h"
#include "services/Bounded.h"
#include "services/ProcAddress.h"
#include "services/SystemLibrary.h"

namespace {

int IsAnsiLeadByte(unsigned char chByte) { return IsDBCSLeadByte(chByte) ? 1 : 0; }

// Owns one Toolhelp snapshot; a failed snapshot is INVALID_HANDLE_VALUE.
class CSnapshot
{
public:
    explicit CSnapshot(HANDLE hSnapshot) : m_hSnapshot(hSnapshot) {}
    ~CSnapshot()
    {
        if (IsValid())
            CloseHandle(m_hSnapshot);
    }
    BOOL IsValid() const { return m_hSnapshot != INVALID_HANDLE_VALUE && m_hSnapshot != nullptr; }

    HANDLE m_hSnapshot;

private:
    CSnapshot(const CSnapshot&)            = delete;
    CSnapshot& operator=(const CSnapshot&) = delete;
};

void ClearProcessEntry(PROCESSENTRY32& entry)
{
    ZeroMemory(&entry, sizeof(entry));
    entry.dwSize = sizeof(entry);
}

void ClearModuleEntry(MODULEENTRY32& entry)
{
    ZeroMemory(&entry, sizeof(entry));
    entry.dwSize = sizeof(entry);
}

} // namespace

CToolhelpProcessApi::CToolhelpProcessApi()
    : m_hLibrary(nullptr), m_pfnCreateToolhelp32Snapshot(nullptr), m_pfnProcess32First(nullptr),
      m_pfnProcess32Next(nullptr), m_pfnModule32First(nullptr), m_pfnModule32Next(nullptr), m_bReady(FALSE)
{
    m_hLibrary = LoadSystemLibrary("Kernel32.DLL");
    if (m_hLibrary == nullptr)
        return;
    m_pfnCreateToolhelp32Snapshot = GetProcAddressAs<PFN_CREATE_SNAPSHOT>(m_hLibrary, "CreateToolhelp32Snapshot");
    m_pfnProcess32First           = GetProcAddressAs<PFN_PROCESS_WALK>(m_hLibrary, "Process32First");
    m_pfnProcess32Next            = GetProcAddressAs<PFN_PROCESS_WALK>(m_hLibrary, "Process32Next");
    m_pfnModule32First            = GetProcAddressAs<PFN_MODULE_WALK>(m_hLibrary, "Module32First");
    m_pfnModule32Next             = GetProcAddressAs<PFN_MODULE_WALK>(m_hLibrary, "Module32Next");
    m_bReady = m_pfnCreateToolhelp32Snapshot != nullptr && m_pfnProcess32First != nullptr &&
               m_pfnProcess32Next != nullptr && m_pfnModule32First != nullptr && m_pfnModule32Next != nullptr;
}

CToolhelpProcessApi::~CToolhelpProcessApi()
{
    if (m_hLibrary != nullptr)
        FreeLibrary(m_hLibrary);
}

unsigned CToolhelpProcessApi::ListProcesses(DWORD* pIds)
{
    if (!m_bReady)
        return 0;
    CSnapshot snapshot(m_pfnCreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return 0;
    PROCESSENTRY32 entry;
    ClearProcessEntry(entry);
    unsigned nCount = 0;
    if (m_pfnProcess32First(snapshot.m_hSnapshot, &entry))
    {
        pIds[nCount++] = entry.th32ProcessID;
        while (nCount < PROCESS_LIST_CAPACITY && m_pfnProcess32Next(snapshot.m_hSnapshot, &entry))
            pIds[nCount++] = entry.th32ProcessID;
    }
    return nCount;
}

unsigned CToolhelpProcessApi::ListModules(DWORD dwProcessId, HMODULE* pModules)
{
    if (!m_bReady)
        return 0;
    CSnapshot snapshot(m_pfnCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwProcessId));
    if (!snapshot.IsValid())
        return 0;
    MODULEENTRY32 entry;
    ClearModuleEntry(entry);
    unsigned nCount = 0;
    if (m_pfnModule32First(snapshot.m_hSnapshot, &entry))
    {
        pModules[nCount++] = entry.hModule;
        for (;;)
        {
            if (nCount >= PROCESS_LIST_CAPACITY)
                break;
            ClearModuleEntry(entry);
            if (!m_pfnModule32Next(snapshot.m_hSnapshot, &entry))
                break;
            pModules[nCount++] = entry.hModule;
        }
    }
    return nCount;
}

BOOL CToolhelpProcessApi::GetBaseName(HANDLE /*hProcess*/, HMODULE /*hModule*/, char* szName, DWORD dwProcessId)
{
    if (!m_bReady)
        return FALSE;
    CSnapshot snapshot(m_pfnCreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, dwProcessId));
    if (!snapshot.IsValid())
        return FALSE;
    PROCESSENTRY32 entry;
    ClearProcessEntry(entry);
    BOOL bFound = m_pfnProcess32First(snapshot.m_hSnapshot, &entry);
    while (bFound && entry.th32ProcessID != dwProcessId)
        bFound = m_pfnProcess32Next(snapshot.m_hSnapshot, &entry);
    if (!bFound)
        return FALSE;

    // Windows 9x reports the executable's full path. The NT family reports
    // the bare file name, which is then the base name itself.
    entry.szExeFile[sizeof(entry.szExeFile) - 1] = '\0';
    const char* szBase = FindAfterLastBackslash(entry.szExeFile, IsAnsiLeadByte);
    CopyStringBounded(szName, MODULE_NAME_SIZE, szBase != nullptr ? szBase : entry.szExeFile);
    return TRUE;
}

BOOL CToolhelpProcessApi::GetFileName(HANDLE /*hProcess*/, HMODULE /*hModule*/, char* /*szName*/, DWORD /*dwProcessId*/)
{
    return FALSE;
}
