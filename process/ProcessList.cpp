#include "process/ProcessList.h"

namespace {

void* AllocateArray(size_t cbEntry) { return HeapAlloc(GetProcessHeap(), 0, PROCESS_LIST_CAPACITY * cbEntry); }

void FreeArray(void* pArray)
{
    if (pArray != nullptr)
        HeapFree(GetProcessHeap(), 0, pArray);
}

} // namespace

CProcessList::CProcessList() : m_pIds(nullptr), m_nCount(0), m_pApi(CreateProcessApi())
{
    m_pIds = static_cast<DWORD*>(AllocateArray(sizeof(DWORD)));
    if (m_pIds != nullptr && m_pApi != nullptr)
        m_nCount = m_pApi->ListProcesses(m_pIds);
}

CProcessList::~CProcessList()
{
    delete m_pApi;
    FreeArray(m_pIds);
    m_pApi   = nullptr;
    m_pIds   = nullptr;
    m_nCount = 0;
}

CModuleList::CModuleList(DWORD dwProcessId)
    : m_hProcess(nullptr), m_pModules(nullptr), m_nCount(0), m_dwProcessId(dwProcessId), m_pApi(CreateProcessApi())
{
    // A process that refuses this access (the idle process, services of other
    // users) is passed over: the launcher asks for no privilege to search.
    m_hProcess = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwProcessId);
    if (m_hProcess == nullptr)
        return;
    m_pModules = static_cast<HMODULE*>(AllocateArray(sizeof(HMODULE)));
    if (m_pModules != nullptr && m_pApi != nullptr)
        m_nCount = m_pApi->ListModules(dwProcessId, m_pModules);
}

CModuleList::~CModuleList()
{
    delete m_pApi;
    if (m_hProcess != nullptr)
        CloseHandle(m_hProcess);
    FreeArray(m_pModules);
}

BOOL CModuleList::GetBaseName(HMODULE hModule, char* szName)
{
    if (m_pApi == nullptr)
        return FALSE;
    return m_pApi->GetBaseName(m_hProcess, hModule, szName, m_dwProcessId);
}
