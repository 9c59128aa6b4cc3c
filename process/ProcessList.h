// Snapshots of the running processes and of the modules of one process, each
// taken once when the list is constructed. Every list creates, and deletes,
// its own back-end.
#pragma once

#include "process/ProcessApi.h"

class CProcessList
{
public:
    // Lists the running processes (at most PROCESS_LIST_CAPACITY); empty when
    // no back-end or memory is to be had.
    CProcessList();
    virtual ~CProcessList();

    unsigned GetCount() const { return m_nCount; }
    // The id at nIndex; the caller keeps nIndex below GetCount().
    DWORD GetAt(unsigned nIndex) const { return m_pIds[nIndex]; }

    DWORD*       m_pIds;
    unsigned     m_nCount;
    CProcessApi* m_pApi;

private:
    CProcessList(const CProcessList&)            = delete;
    CProcessList& operator=(const CProcessList&) = delete;
};

class CModuleList
{
public:
    // Lists the modules of the process, the executable first; empty when the
    // process cannot be opened for querying and reading.
    explicit CModuleList(DWORD dwProcessId);
    ~CModuleList();

    unsigned GetCount() const { return m_nCount; }
    // The module at nIndex; the caller keeps nIndex below GetCount().
    HMODULE GetAt(unsigned nIndex) const { return m_pModules[nIndex]; }
    // The module's base name into szName (MODULE_NAME_SIZE bytes); TRUE when
    // one was written.
    BOOL GetBaseName(HMODULE hModule, char* szName);

    HANDLE       m_hProcess;
    HMODULE*     m_pModules;
    unsigned     m_nCount;
    DWORD        m_dwProcessId;
    CProcessApi* m_pApi;

private:
    CModuleList(const CModuleList&)            = delete;
    CModuleList& operator=(const CModuleList&) = delete;
};
