// Times FindProcessByModule with growing numbers of processes running.
//
//   findbench <repeats> <count>...
//
// For each count, in the given (rising) order, it starts idle stand-ins
// (benchidle.exe beside it) until that many run, then calls
// FindProcessByModule for a module that no process has, the launcher's
// usual case and the search's longest walk, <repeats> times after one
// warm-up call. It prints per count
//   find <TAB> stand-ins <TAB> processes in the system <TAB> modules of a stand-in <TAB> ms,ms,...
// and ends its stand-ins before it ends. When the system will not start
// another process, it prints
//   limit <TAB> count wanted <TAB> stand-ins running <TAB> error
// measures with the stand-ins it has (when more than at the last count) and
// goes no further; that is a limit of the machine, not a failure (exit code
// 0). Exit code 1: a stand-in did not report, or the module was found.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <tlhelp32.h>

#include <string>
#include <vector>

#include "process/FindProcess.h"

namespace {

const char kMissingModule[] = "IKernel.exe";

int CountProcesses()
{
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    int nCount   = 0;
    for (BOOL bMore = Process32First(hSnapshot, &entry); bMore; bMore = Process32Next(hSnapshot, &entry))
        ++nCount;
    CloseHandle(hSnapshot);
    return nCount;
}

int CountModules(DWORD dwProcessId)
{
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwProcessId);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return -1;
    MODULEENTRY32 entry;
    entry.dwSize = sizeof(entry);
    int nCount   = 0;
    for (BOOL bMore = Module32First(hSnapshot, &entry); bMore; bMore = Module32Next(hSnapshot, &entry))
        ++nCount;
    CloseHandle(hSnapshot);
    return nCount;
}

double Milliseconds(LONGLONG llCounts)
{
    LARGE_INTEGER liFrequency;
    QueryPerformanceFrequency(&liFrequency);
    return 1000.0 * static_cast<double>(llCounts) / static_cast<double>(liFrequency.QuadPart);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        fprintf(stderr, "usage: findbench <repeats> <count>...\n");
        return 2;
    }
    const int nRepeats = atoi(argv[1]);

    char szSelf[MAX_PATH];
    GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
    std::string idle = szSelf;
    idle             = idle.substr(0, idle.rfind('\\') + 1) + "benchidle.exe";

    HANDLE hReady = CreateSemaphoreA(nullptr, 0, 0x7fffffff, "setup_bench_ready");
    HANDLE hQuit  = CreateEventA(nullptr, TRUE, FALSE, "setup_bench_quit");
    if (hReady == nullptr || hQuit == nullptr)
        return 1;

    std::vector<PROCESS_INFORMATION> standIns;
    int   nResult      = 0;
    DWORD dwStartError = 0;
    for (int i = 2; i < argc && nResult == 0 && dwStartError == 0; ++i)
    {
        const size_t nWanted = static_cast<size_t>(atoi(argv[i]));
        size_t       nStarted = 0;
        while (standIns.size() < nWanted)
        {
            STARTUPINFOA si;
            ZeroMemory(&si, sizeof(si));
            si.cb = sizeof(si);
            PROCESS_INFORMATION pi;
            std::string commandLine = "\"" + idle + "\"";
            if (!CreateProcessA(idle.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            {
                // Wine refuses new processes somewhere past a few hundred on
                // a busy machine (error 1359, ERROR_INTERNAL_ERROR).
                dwStartError = GetLastError();
                printf("limit\t%u\t%u\t%lu\n", static_cast<unsigned>(nWanted),
                       static_cast<unsigned>(standIns.size()), dwStartError);
                fflush(stdout);
                break;
            }
            standIns.push_back(pi);
            ++nStarted;
        }
        for (size_t n = 0; n < nStarted; ++n)
        {
            if (WaitForSingleObject(hReady, 60000) != WAIT_OBJECT_0)
            {
                fprintf(stderr, "a stand-in did not report within a minute\n");
                nResult = 1;
                break;
            }
        }
        if (nResult != 0 || (dwStartError != 0 && nStarted == 0))
            break;

        std::string times;
        for (int nCall = 0; nCall <= nRepeats; ++nCall)
        {
            DWORD         dwProcessId = 0;
            LARGE_INTEGER liBefore, liAfter;
            QueryPerformanceCounter(&liBefore);
            const BOOL bFound = FindProcessByModule(kMissingModule, &dwProcessId);
            QueryPerformanceCounter(&liAfter);
            if (bFound)
            {
                fprintf(stderr, "%s was found running (process %lu)\n", kMissingModule, dwProcessId);
                nResult = 1;
            }
            if (nCall == 0)
                continue; // the warm-up call
            char szTime[32];
            snprintf(szTime, sizeof(szTime), "%s%.3f", times.empty() ? "" : ",",
                     Milliseconds(liAfter.QuadPart - liBefore.QuadPart));
            times += szTime;
        }
        const int nModules = standIns.empty() ? 0 : CountModules(standIns.front().dwProcessId);
        printf("find\t%u\t%d\t%d\t%s\n", static_cast<unsigned>(standIns.size()), CountProcesses(), nModules,
               times.c_str());
        fflush(stdout);
    }

    // End the stand-ins: asked first, terminated when they do not go.
    SetEvent(hQuit);
    for (PROCESS_INFORMATION& pi : standIns)
    {
        if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return nResult;
}
