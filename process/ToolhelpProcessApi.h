// The process back-end over the Toolhelp functions of kernel32, for systems
// without the process status library (Windows 95, 98 and Me).
#pragma once

#include "process/ProcessApi.h"

#include <tlhelp32.h>

class CToolhelpProcessApi : public CProcessApi
{
public:
    // Loads kernel32 and looks up its five Toolhelp functions; the back-end
    // is ready only when all five were found, and lists nothing otherwise.
    CToolhelpProcessApi();
    ~CToolhelpProcessApi() override;

    unsigned ListProcesses(DWORD* pIds) override;
    unsigned ListModules(DWORD dwProcessId, HMODULE* pModules) override;
    // The base name of the process's executable, whatever module is asked
    // for: Toolhelp names processes, not the modules of another process.
    BOOL GetBaseName(HANDLE hProcess, HMODULE hModule, char* szName, DWORD dwProcessId) override;
    // Always FALSE: Toolhelp gives no full file names.
    BOOL GetFileName(HANDLE hProcess, HMODULE hModule, char* szName, DWORD dwProcessId) override;

    typedef HANDLE(WINAPI* PFN_CREATE_SNAPSHOT)(DWORD, DWORD);
    typedef BOOL(WINAPI* PFN_PROCESS_WALK)(HANDLE, PROCESSENTRY32*);
    typedef BOOL(WINAPI* PFN_MODULE_WALK)(HANDLE, MODULEENTRY32*);

    HMODULE             m_hLibrary;
    PFN_CREATE_SNAPSHOT m_pfnCreateToolhelp32Snapshot;
    PFN_PROCESS_WALK    m_pfnProcess32First;
    PFN_PROCESS_WALK    m_pfnProcess32Next;
    PFN_MODULE_WALK     m_pfnModule32First;
    PFN_MODULE_WALK     m_pfnModule32Next;
    BOOL                m_bReady;
};
