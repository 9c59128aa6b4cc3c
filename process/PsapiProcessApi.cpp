#include "process/PsapiProcessApi.h"

#include "services/ProcAddress.h"
#include "services/SystemLibrary.h"

CPsapiProcessApi::CPsapiProcessApi()
    : m_hLibrary(nullptr), m_pfnEnumProcesses(nullptr), m_pfnEnumProcessModules(nullptr),
      m_pfnGetModuleFileNameExA(nullptr), m_pfnGetModuleBaseNameA(nullptr), m_bReady(FALSE)
{
    m_hLibrary = LoadSystemLibrary(PSAPI_LIBRARY);
    if (m_hLibrary == nullptr)
        return;
    m_pfnEnumProcesses        = GetProcAddressAs<PFN_ENUM_PROCESSES>(m_hLibrary, "EnumProcesses");
    m_pfnEnumProcessModules   = GetProcAddressAs<PFN_ENUM_PROCESS_MODULES>(m_hLibrary, "EnumProcessModules");
    m_pfnGetModuleFileNameExA = GetProcAddressAs<PFN_GET_MODULE_NAME>(m_hLibrary, "GetModuleFileNameExA");
    m_pfnGetModuleBaseNameA   = GetProcAddressAs<PFN_GET_MODULE_NAME>(m_hLibrary, "GetModuleBaseNameA");
    m_bReady = m_pfnEnumProcesses != nullptr && m_pfnEnumProcessModules != nullptr &&
               m_pfnGetModuleFileNameExA != nullptr && m_pfnGetModuleBaseNameA != nullptr;
}

CPsapiProcessApi::~CPsapiProcessApi()
{
    if (m_hLibrary != nullptr)
        FreeLibrary(m_hLibrary);
}

unsigned CPsapiProcessApi::ListProcesses(DWORD* pIds)
{
    if (!m_bReady)
        return 0;
    DWORD cbReturned = 0;
    if (!m_pfnEnumProcesses(pIds, PROCESS_LIST_CAPACITY * sizeof(DWORD), &cbReturned))
        return 0;
    const DWORD nIds = cbReturned / sizeof(DWORD);
    return nIds < PROCESS_LIST_CAPACITY ? nIds : PROCESS_LIST_CAPACITY;
}

unsigned CPsapiProcessApi::ListModules(DWORD dwProcessId, HMODULE* pModules)
{
    if (!m_bReady)
        return 0;
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwProcessId);
    if (hProcess == nullptr)
        return 0;
    DWORD      cbNeeded = 0;
    const BOOL bListed  = m_pfnEnumProcessModules(hProcess, pModules, PROCESS_LIST_CAPACITY * sizeof(HMODULE), &cbNeeded);
    CloseHandle(hProcess);
    if (!bListed)
        return 0;
    // The size reported is what all modules need, which may be more than the
    // array took.
    const DWORD nModules = cbNeeded / sizeof(HMODULE);
    return nModules < PROCESS_LIST_CAPACITY ? nModules : PROCESS_LIST_CAPACITY;
}

BOOL CPsapiProcessApi::GetBaseName(HANDLE hProcess, HMODULE hModule, char* szName, DWORD /*dwProcessId*/)
{
    if (!m_bReady)
        return FALSE;
    const BOOL bNamed = m_pfnGetModuleBaseNameA(hProcess, hModule, szName, MODULE_NAME_SIZE) != 0;
    // Older versions leave a name cut to the buffer without its terminator.
    szName[MODULE_NAME_SIZE - 1] = '\0';
    return bNamed;
}

BOOL CPsapiProcessApi::GetFileName(HANDLE hProcess, HMODULE hModule, char* szName, DWORD /*dwProcessId*/)
{
    if (!m_bReady)
        return FALSE;
    const BOOL bNamed = m_pfnGetModuleFileNameExA(hProcess, hModule, szName, MODULE_NAME_SIZE) != 0;
    szName[MODULE_NAME_SIZE - 1] = '\0';
    return bNamed;
}
