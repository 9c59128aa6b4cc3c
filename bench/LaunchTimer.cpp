// Starts launchers one after another and reports when the programs they
// started began, all on one clock.
//
//   launchtimer <rounds> <record file> <timeout ms> <pause ms> {<label> <program> <folder> <programs> <argument | ->}...
//
// Each round starts every launcher once, in the given order in even rounds
// and in the reverse order in odd ones, so that a drift of the machine's load
// weighs on all of them alike. For each start: the record file is deleted,
// the launcher is started with CreateProcess in <folder> (with RECORD_FILE
// naming the record file and RECORD_TIMES set, which the recording stand-ins
// inherit), and the timer waits until the launcher has ended and <programs>
// stand-ins have recorded their end and are gone, then pauses <pause ms>:
// under Wine a process goes on closing down for a while after it has ended,
// and a start made meanwhile takes about twice as long. It then prints
//   run <TAB> label <TAB> round <TAB> counter at start <TAB> counter at the launcher's end <TAB> exit code
// followed by each line of the record file prefixed with "rec <TAB>". The
// first line of the output is "frequency <TAB> counts per second". The stand-ins
// read the same counter (QueryPerformanceCounter, one clock for every process
// of the machine), so their "time" lines compare directly with these.
// A start that does not complete within the time-out prints "timeout" instead
// of its records and the timer goes on.
#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <string>

namespace {

struct Launcher
{
    const char* szLabel;
    const char* szProgram;
    const char* szFolder;
    int         nPrograms;
    const char* szArgument;
};

std::string ReadFileText(const char* szPath)
{
    std::string text;
    HANDLE hFile = CreateFileA(szPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return text;
    char  buffer[4096];
    DWORD dwRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr) && dwRead != 0)
        text.append(buffer, dwRead);
    CloseHandle(hFile);
    return text;
}

int CountEnds(const std::string& text)
{
    int nEnds = 0;
    for (size_t pos = 0; pos < text.size(); ++pos)
    {
        if ((pos == 0 || text[pos - 1] == '\n') && text.compare(pos, 4, "end\t") == 0)
            ++nEnds;
    }
    return nEnds;
}

// Waits until every process that the records show started has ended.
void WaitForStandIns(const std::string& records, DWORD dwTimeoutMs)
{
    for (size_t pos = 0; (pos = records.find("start\t", pos)) != std::string::npos; pos += 6)
    {
        if (pos != 0 && records[pos - 1] != '\n')
            continue;
        const DWORD dwProcessId = strtoul(records.c_str() + pos + 6, nullptr, 10);
        HANDLE      hProcess    = OpenProcess(SYNCHRONIZE, FALSE, dwProcessId);
        if (hProcess != nullptr)
        {
            WaitForSingleObject(hProcess, dwTimeoutMs);
            CloseHandle(hProcess);
        }
    }
}

LONGLONG Now()
{
    LARGE_INTEGER li;
    QueryPerformanceCounter(&li);
    return li.QuadPart;
}

void TimeOneStart(const Launcher& launcher, int nRound, const char* szRecordFile, DWORD dwTimeoutMs,
                  DWORD dwPauseMs)
{
    DeleteFileA(szRecordFile);

    std::string commandLine = std::string("\"") + launcher.szProgram + "\"";
    if (strcmp(launcher.szArgument, "-") != 0)
        commandLine += std::string(" ") + launcher.szArgument;

    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));

    const LONGLONG llStart = Now();
    if (!CreateProcessA(launcher.szProgram, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        launcher.szFolder, &si, &pi))
    {
        printf("failed\t%s\t%d\tCreateProcess error %lu\n", launcher.szLabel, nRound, GetLastError());
        return;
    }
    const DWORD dwStartTick = GetTickCount();
    const bool  bEnded      = WaitForSingleObject(pi.hProcess, dwTimeoutMs) == WAIT_OBJECT_0;
    const LONGLONG llEnd    = Now();
    DWORD dwExitCode        = 0;
    GetExitCodeProcess(pi.hProcess, &dwExitCode);
    if (!bEnded)
        TerminateProcess(pi.hProcess, 1); // so that it cannot meet the next start
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    // The stand-ins were started by the launcher, not by this timer: their
    // record lines tell when they ran. Looked at only once the launcher has
    // ended, so that the polling does not load the machine while it runs.
    std::string records = ReadFileText(szRecordFile);
    while (bEnded && CountEnds(records) < launcher.nPrograms && GetTickCount() - dwStartTick < dwTimeoutMs)
    {
        Sleep(5);
        records = ReadFileText(szRecordFile);
    }
    if (!bEnded || CountEnds(records) < launcher.nPrograms)
    {
        printf("timeout\t%s\t%d\n", launcher.szLabel, nRound);
        return;
    }
    WaitForStandIns(records, dwTimeoutMs);
    Sleep(dwPauseMs);
    printf("run\t%s\t%d\t%" PRId64 "\t%" PRId64 "\t%lu\n", launcher.szLabel, nRound, static_cast<int64_t>(llStart),
           static_cast<int64_t>(llEnd), dwExitCode);
    size_t pos = 0;
    while (pos < records.size())
    {
        size_t end = records.find('\n', pos);
        if (end == std::string::npos)
            end = records.size();
        std::string line = records.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        printf("rec\t%s\n", line.c_str());
        pos = end + 1;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 10 || (argc - 5) % 5 != 0)
    {
        fprintf(stderr, "usage: launchtimer <rounds> <record file> <timeout ms> <pause ms> "
                        "{<label> <program> <folder> <programs> <argument | ->}...\n");
        return 2;
    }
    const int   nRounds      = atoi(argv[1]);
    const char* szRecordFile = argv[2];
    const DWORD dwTimeoutMs  = static_cast<DWORD>(atol(argv[3]));
    const DWORD dwPauseMs    = static_cast<DWORD>(atol(argv[4]));
    SetEnvironmentVariableA("RECORD_FILE", szRecordFile);
    SetEnvironmentVariableA("RECORD_TIMES", "1");

    const int nLaunchers = (argc - 5) / 5;
    Launcher  launchers[16];
    if (nLaunchers > 16)
        return 2;
    for (int i = 0; i < nLaunchers; ++i)
    {
        char** szArgs = argv + 5 + 5 * i;
        launchers[i]  = {szArgs[0], szArgs[1], szArgs[2], atoi(szArgs[3]), szArgs[4]};
    }

    LARGE_INTEGER liFrequency;
    QueryPerformanceFrequency(&liFrequency);
    printf("frequency\t%" PRId64 "\n", static_cast<int64_t>(liFrequency.QuadPart));
    for (int nRound = 0; nRound < nRounds; ++nRound)
    {
        for (int i = 0; i < nLaunchers; ++i)
        {
            const int nIndex = nRound % 2 == 0 ? i : nLaunchers - 1 - i;
            TimeOneStart(launchers[nIndex], nRound, szRecordFile, dwTimeoutMs, dwPauseMs);
            fflush(stdout);
        }
    }
    DeleteFileA(szRecordFile);
    return 0;
}
