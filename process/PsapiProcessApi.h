// The process back-end over the process status library.
#pragma once

#include "process/ProcessApi.h"

// The library's name, loaded from the system folder.
#define PSAPI_LIBRARY "PSAPI.DLL"

class CPsapiProcessApi : public CProcessApi
{
public:
    // Loads the library and looks up its four functions; the back-end is
    // ready only when all four were found, and lists nothing otherwise.
    CPsapiProcessApi();
    ~CPsapiProcessApi() override;

    unsigned ListProcesses(DWORD* pIds) override;
    unsigned ListModules(DWORD dwProcessId, HMODULE* pModules) override;
    BOOL     GetBaseName(HANDLE hProcess, HMODULE hModule, char* szName, DWORD dwProcessId) override;
    BOOL     GetFileName(HANDLE hProcess, HMODULE hModule, char* szName, DWORD dwProcessId) override;

    typedef BOOL(WINAPI* PFN_ENUM_PROCESSES)(DWORD*, DWORD, DWORD*);
    typedef BOOL(WINAPI* PFN_ENUM_PROCESS_MODULES)(HANDLE, HMODULE*, DWORD, DWORD*);
    typedef DWORD(WINAPI* PFN_GET_MODULE_NAME)(HANDLE, HMODULE, LPSTR, DWORD);

    HMODULE                  m_hLibrary;
    PFN_ENUM_PROCESSES       m_pfnEnumProcesses;
    PFN_ENUM_PROCESS_MODULES m_pfnEnumProcessModules;
    PFN_GET_MODULE_NAME      m_pfnGetModuleFileNameExA;
    PFN_GET_MODULE_NAME      m_pfnGetModuleBaseNameA;
    BOOL                     m_bReady;
};
