#include "process/ProcessKiller.h"

#include "process/WindowList.h"
#include "services/Log.h"
#include "services/ProcAddress.h"
#include "services/SystemLibrary.h"

namespace {

// How many of the process's windows are asked to close.
const unsigned WINDOW_LIST_CAPACITY = 1024;

// How long a window may take over WM_QUERYENDSESSION before it is passed by.
const UINT QUERY_TIMEOUT_MS = 100;

// How long the process has to end after its windows were asked to close.
const DWORD CLOSE_WAIT_MS = 5000;

} // namespace

CProcessKiller::CProcessKiller()
    : m_hLibrary(nullptr), m_pfnOpenProcessToken(nullptr), m_pfnLookupPrivilegeValueA(nullptr),
      m_pfnAdjustTokenPrivileges(nullptr), m_bReady(FALSE)
{
    m_bReady = LoadPrivilegeFunctions();
}

CProcessKiller::~CProcessKiller()
{
    if (m_hLibrary != nullptr)
        FreeLibrary(m_hLibrary);
    m_hLibrary = nullptr;
}

BOOL CProcessKiller::LoadPrivilegeFunctions()
{
    if (m_hLibrary == nullptr)
        m_hLibrary = LoadSystemLibrary("ADVAPI32.DLL");
    if (m_hLibrary == nullptr)
        return FALSE;
    m_pfnAdjustTokenPrivileges = GetProcAddressAs<PFN_ADJUST_TOKEN_PRIVILEGES>(m_hLibrary, "AdjustTokenPrivileges");
    m_pfnLookupPrivilegeValueA = GetProcAddressAs<PFN_LOOKUP_PRIVILEGE_VALUE>(m_hLibrary, "LookupPrivilegeValueA");
    m_pfnOpenProcessToken      = GetProcAddressAs<PFN_OPEN_PROCESS_TOKEN>(m_hLibrary, "OpenProcessToken");
    return m_pfnAdjustTokenPrivileges != nullptr && m_pfnLookupPrivilegeValueA != nullptr &&
           m_pfnOpenProcessToken != nullptr;
}

BOOL CProcessKiller::SetDebugPrivilege(BOOL bEnable)
{
    if (!m_bReady)
        return FALSE;
    HANDLE hToken = nullptr;
    if (!m_pfnOpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &hToken))
    {
        WriteLog("Unable to OpenProcessToken to adjust privilege.\n");
        return FALSE;
    }
    LUID luid;
    if (!m_pfnLookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid))
    {
        WriteLog("LookupPrivilegeValue Error\n");
        CloseHandle(hToken);
        return FALSE;
    }
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount           = 1;
    privileges.Privileges[0].Luid       = luid;
    privileges.Privileges[0].Attributes = bEnable ? SE_PRIVILEGE_ENABLED : 0;
    // A privilege the user does not hold is simply not granted; the close
    // goes on without it.
    m_pfnAdjustTokenPrivileges(hToken, FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
    CloseHandle(hToken);
    return TRUE;
}

BOOL CProcessKiller::CloseProcess(DWORD dwProcessId, BOOL bTerminate)
{
    SetDebugPrivilege(TRUE);

    // The process is opened before anything is sent: while the handle is
    // open its ID cannot pass to another process, so the windows collected
    // by that ID, the wait and the termination all concern the same one. A
    // process that cannot be opened (or has already ended) counts as closed,
    // and its ID is not used further.
    BOOL   bResult  = TRUE;
    HANDLE hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, dwProcessId);
    if (hProcess != nullptr)
    {
        CProcessWindowList windows(dwProcessId, WINDOW_LIST_CAPACITY);
        const HWND         hFirst = windows.Collect();
        for (HWND hWnd = hFirst; hWnd != nullptr; hWnd = windows.Next())
        {
            // At most 100 ms per window, hung or busy: a window that answers
            // with a prompt of its own is passed by too (SMTO_NOTIMEOUTIFNOTHUNG
            // would wait for it without limit). It still gets its close request.
            DWORD_PTR dwAnswer = 0;
            SendMessageTimeoutA(hWnd, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, QUERY_TIMEOUT_MS, &dwAnswer);
            PostMessageA(hWnd, WM_CLOSE, 0, 0);
        }

        if (hFirst == nullptr || WaitForSingleObject(hProcess, CLOSE_WAIT_MS) != WAIT_OBJECT_0)
        {
            if (bTerminate)
                TerminateProcess(hProcess, 0);
            else
                bResult = FALSE;
        }
        CloseHandle(hProcess);
    }

    SetDebugPrivilege(FALSE);
    return bResult;
}
