// A second process for the tests of the log and the named objects.
//   synctool event <name> <ms>               hold the named event for ms, then end
//   synctool lock <name> <marker> <ms>       lock the named CMutex (INFINITE), create
//                                            the marker file, hold ms, unlock
//   synctool log <log path> <count> <tag>    write count lines through WriteLog
//   synctool run <command line>              start the program with exactly this command
//                                            line (CreateProcess), wait, exit with its code
// A "<marker>.ready" file is created once the object is held (event, lock).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "services/Log.h"

namespace {

void Touch(const char* szPath)
{
    HANDLE hFile = CreateFileA(szPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hFile != INVALID_HANDLE_VALUE)
        CloseHandle(hFile);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "event") == 0)
    {
        HANDLE hEvent = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
        printf("ready\n");
        fflush(stdout);
        Sleep(static_cast<DWORD>(atoi(argv[3])));
        CloseHandle(hEvent);
        return 0;
    }
    if (argc == 5 && strcmp(argv[1], "lock") == 0)
    {
        CMutex    mutex(FALSE, argv[2], nullptr);
        CSyncLock lock(&mutex, FALSE);
        BOOL      bLocked = lock.Lock(INFINITE);
        Touch(argv[3]);
        Sleep(static_cast<DWORD>(atoi(argv[4])));
        return bLocked && lock.Unlock() ? 0 : 1;
    }
    if (argc == 5 && strcmp(argv[1], "log") == 0)
    {
        snprintf(g_szLogPath, MAX_PATH, "%s", argv[2]);
        int nCount = atoi(argv[3]);
        for (int i = 0; i < nCount; ++i)
            WriteLog("%s line %d of %d: the quick brown fox jumps over the lazy dog\n", argv[4], i, nCount);
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "run") == 0)
    {
        // Wine builds a program's command line from Unix arguments, quoting
        // as it sees fit: a line such as "D:\Setup.exe"/s needs CreateProcess.
        STARTUPINFOA si;
        ZeroMemory(&si, sizeof(si));
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi;
        if (!CreateProcessA(nullptr, argv[2], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        {
            fprintf(stderr, "cannot start %s: error %lu\n", argv[2], GetLastError());
            return 255;
        }
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD dwExitCode = 255;
        GetExitCodeProcess(pi.hProcess, &dwExitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return static_cast<int>(dwExitCode);
    }
    fprintf(stderr, "usage: synctool event|lock|log|run ...\n");
    return 2;
}
