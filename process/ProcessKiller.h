// Ending a process: politely through its visible windows first, by
// termination when it does not end, with the debug privilege enabled for the
// duration.
#pragma once

#include <windows.h>

class CProcessKiller
{
public:
    // Loads the token privilege functions of advapi32.
    CProcessKiller();
    ~CProcessKiller();

    // Loads the library (once) and looks up its three functions; TRUE only
    // when all three were found.
    BOOL LoadPrivilegeFunctions();

    // Enables (bEnable TRUE) or disables "SeDebugPrivilege" in the current
    // process's token. FALSE when the functions are missing or the token or
    // the privilege cannot be had (the last two are logged); whether the
    // adjustment itself worked is not known.
    BOOL SetDebugPrivilege(BOOL bEnable);

    // Opens the process, sends each of its visible top-level windows
    // WM_QUERYENDSESSION (at most 100 ms each) and posts it WM_CLOSE, then
    // gives the process 5 seconds to end; with bTerminate it is terminated
    // when it has not ended (at once when it had no window). TRUE when the
    // process ended, was terminated, or could not be opened (then nothing is
    // sent); FALSE when it was left running.
    BOOL CloseProcess(DWORD dwProcessId, BOOL bTerminate);

    typedef BOOL(WINAPI* PFN_OPEN_PROCESS_TOKEN)(HANDLE, DWORD, PHANDLE);
    typedef BOOL(WINAPI* PFN_LOOKUP_PRIVILEGE_VALUE)(LPCSTR, LPCSTR, PLUID);
    typedef BOOL(WINAPI* PFN_ADJUST_TOKEN_PRIVILEGES)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);

    HMODULE                     m_hLibrary;
    PFN_OPEN_PROCESS_TOKEN      m_pfnOpenProcessToken;
    PFN_LOOKUP_PRIVILEGE_VALUE  m_pfnLookupPrivilegeValueA;
    PFN_ADJUST_TOKEN_PRIVILEGES m_pfnAdjustTokenPrivileges;
    BOOL                        m_bReady;

private:
    CProcessKiller(const CProcessKiller&)            = delete;
    CProcessKiller& operator=(const CProcessKiller&) = delete;
};
