// The recording stand-in: put wherever the launcher expects a program.
//
// Appends one line to the file named by the RECORD_FILE environment variable:
//   start <TAB> pid <TAB> own path <TAB> command line <TAB> current directory <TAB> show state
// where the show state is STARTUPINFO.wShowWindow, or -1 when the starter gave none,
// "ready <TAB> pid" once it has done its work and opened the windows it was
// asked for (it then only waits, or ends), and
// "end <TAB> pid" when it ends by itself. When the environment variable
// RECORD_TIMES is set (the benchmark's launch timer sets it), the start and the
// end line are each followed by
//   time <TAB> pid <TAB> start | end <TAB> performance counter <TAB> system time
// taken the moment WinMain was entered or left: QueryPerformanceCounter (one clock for
// every process of the machine, so it compares with a starter's own readings) and the
// system time in 100 ns units since 1601 (UTC, precise where the system offers it,
// comparable with the Unix clock under Wine).
//
// Optional behaviour comes from "<own path>.rec", an INI file with section [rec]:
//   sleep=<ms>         stay alive this long (with windows: then end by itself)
//   windows=<list>     top-level windows to open, e.g. "visible,hidden"
//   ignoreclose=1      ignore WM_CLOSE (so only termination ends it)
//   querydelay=<ms>    take this long over WM_QUERYENDSESSION (busy, not hung)
//   copy1..copy9=<from>|<to>   copy files before ending (an update program)
//   exitcode=<n>       the process exit code
// Messages that its windows receive are recorded as
//   msg <TAB> pid <TAB> window index <TAB> WM_QUERYENDSESSION | WM_CLOSE
#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

namespace {

char g_szRecordFile[MAX_PATH];
bool g_bRecordTimes = false;
bool g_bIgnoreClose = false;
DWORD g_dwQueryDelay = 0;
int  g_nOpenWindows = 0;

// The "time" line of an event, read at once and written later with its record line.
struct TimeStamp
{
    LARGE_INTEGER liCounter;
    ULONGLONG     ullSystemTime;
};

TimeStamp TakeTimeStamp()
{
    typedef VOID(WINAPI * PFN_GET_SYSTEM_TIME)(LPFILETIME);
    // GetSystemTimePreciseAsFileTime exists from Windows 8 on; Wine has it.
    PFN_GET_SYSTEM_TIME pfnGetTime = reinterpret_cast<PFN_GET_SYSTEM_TIME>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    TimeStamp stamp;
    QueryPerformanceCounter(&stamp.liCounter);
    FILETIME ft;
    if (pfnGetTime != nullptr)
        pfnGetTime(&ft);
    else
        GetSystemTimeAsFileTime(&ft);
    stamp.ullSystemTime = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return stamp;
}

void FormatTimeLine(char* szLine, size_t cbLine, const char* szEvent, const TimeStamp& stamp)
{
    if (!g_bRecordTimes)
        return;
    snprintf(szLine, cbLine, "time\t%lu\t%s\t%" PRId64 "\t%" PRIu64 "\n", GetCurrentProcessId(), szEvent,
             static_cast<int64_t>(stamp.liCounter.QuadPart), static_cast<uint64_t>(stamp.ullSystemTime));
}

void AppendRecord(const char* szLine)
{
    if (g_szRecordFile[0] == '\0')
        return;
    // Several stand-ins may record at once: retry while another holds the file.
    for (int nTry = 0; nTry < 200; ++nTry)
    {
        HANDLE hFile = CreateFileA(g_szRecordFile, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE)
        {
            DWORD dwWritten = 0;
            WriteFile(hFile, szLine, static_cast<DWORD>(strlen(szLine)), &dwWritten, nullptr);
            CloseHandle(hFile);
            return;
        }
        Sleep(10);
    }
}

void RecordMessage(HWND hWnd, const char* szMessage)
{
    char szLine[128];
    snprintf(szLine, sizeof(szLine), "msg\t%lu\t%d\t%s\n", GetCurrentProcessId(),
             static_cast<int>(GetWindowLongPtrA(hWnd, GWLP_USERDATA)), szMessage);
    AppendRecord(szLine);
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_QUERYENDSESSION:
        RecordMessage(hWnd, "WM_QUERYENDSESSION");
        if (g_dwQueryDelay != 0)
            Sleep(g_dwQueryDelay);
        return TRUE;
    case WM_CLOSE:
        RecordMessage(hWnd, "WM_CLOSE");
        if (!g_bIgnoreClose)
            DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY:
        if (--g_nOpenWindows == 0)
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

void OpenWindows(const char* szList)
{
    WNDCLASSA wc     = {};
    wc.lpfnWndProc   = WindowProc;
    wc.hInstance     = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RecorderWindow";
    RegisterClassA(&wc);

    char szCopy[256];
    snprintf(szCopy, sizeof(szCopy), "%s", szList);
    int nIndex = 0;
    for (char* szItem = strtok(szCopy, ","); szItem != nullptr; szItem = strtok(nullptr, ","), ++nIndex)
    {
        bool bVisible = strcmp(szItem, "visible") == 0;
        char szTitle[64];
        snprintf(szTitle, sizeof(szTitle), "recorder %lu %d", GetCurrentProcessId(), nIndex);
        HWND hWnd = CreateWindowExA(0, "RecorderWindow", szTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                    100, nullptr, nullptr, wc.hInstance, nullptr);
        if (hWnd == nullptr)
            continue;
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, nIndex);
        ++g_nOpenWindows;
        if (bVisible)
            ShowWindow(hWnd, SW_SHOWNOACTIVATE);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const TimeStamp startStamp = TakeTimeStamp();
    GetEnvironmentVariableA("RECORD_FILE", g_szRecordFile, MAX_PATH);
    g_bRecordTimes = GetEnvironmentVariableA("RECORD_TIMES", nullptr, 0) != 0;

    char szSelf[MAX_PATH];
    GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
    char szCwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szCwd);
    STARTUPINFOA si = {};
    si.cb           = sizeof(si);
    GetStartupInfoA(&si);
    int nShow = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1;

    const char* szCmdLine = GetCommandLineA();
    size_t      cbLine    = strlen(szSelf) + strlen(szCmdLine) + strlen(szCwd) + 128;
    char*       szLine    = static_cast<char*>(malloc(cbLine));
    int         nLength   = snprintf(szLine, cbLine, "start\t%lu\t%s\t%s\t%s\t%d\n", GetCurrentProcessId(),
                                     szSelf, szCmdLine, szCwd, nShow);
    FormatTimeLine(szLine + nLength, cbLine - nLength, "start", startStamp);
    AppendRecord(szLine);
    free(szLine);

    char szConfig[MAX_PATH + 8];
    snprintf(szConfig, sizeof(szConfig), "%s.rec", szSelf);
    DWORD dwSleep   = GetPrivateProfileIntA("rec", "sleep", 0, szConfig);
    g_bIgnoreClose  = GetPrivateProfileIntA("rec", "ignoreclose", 0, szConfig) != 0;
    g_dwQueryDelay  = GetPrivateProfileIntA("rec", "querydelay", 0, szConfig);
    int nExitCode   = GetPrivateProfileIntA("rec", "exitcode", 0, szConfig);
    char szWindows[256];
    GetPrivateProfileStringA("rec", "windows", "", szWindows, sizeof(szWindows), szConfig);

    for (int i = 1; i <= 9; ++i)
    {
        char szKey[8], szCopy[2 * MAX_PATH + 2];
        snprintf(szKey, sizeof(szKey), "copy%d", i);
        if (GetPrivateProfileStringA("rec", szKey, "", szCopy, sizeof(szCopy), szConfig) == 0)
            continue;
        char* szTo = strchr(szCopy, '|');
        if (szTo == nullptr)
            continue;
        *szTo++ = '\0';
        CopyFileA(szCopy, szTo, FALSE);
    }

    if (szWindows[0] != '\0')
        OpenWindows(szWindows);
    char szReady[64];
    snprintf(szReady, sizeof(szReady), "ready\t%lu\n", GetCurrentProcessId());
    AppendRecord(szReady);

    if (szWindows[0] != '\0')
    {
        if (dwSleep != 0)
            SetTimer(nullptr, 0, dwSleep, nullptr);
        MSG msg;
        while (g_nOpenWindows > 0 && GetMessageA(&msg, nullptr, 0, 0) > 0)
        {
            if (msg.message == WM_TIMER && msg.hwnd == nullptr)
                break;
            DispatchMessageA(&msg);
        }
    }
    else if (dwSleep != 0)
    {
        Sleep(dwSleep);
    }

    const TimeStamp endStamp = TakeTimeStamp();
    char szEnd[128];
    int  nEndLength = snprintf(szEnd, sizeof(szEnd), "end\t%lu\n", GetCurrentProcessId());
    FormatTimeLine(szEnd + nEndLength, sizeof(szEnd) - nEndLength, "end", endStamp);
    AppendRecord(szEnd);
    return nExitCode;
}
