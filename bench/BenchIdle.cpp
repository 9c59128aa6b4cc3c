// An idle stand-in process for the process search benchmark: it tells the
// benchmark that it runs, then waits until the benchmark tells it to end.
// It imports the shell and the user interface libraries, as most Windows
// programs do, so that it carries a typical set of loaded modules.
#include <windows.h>

#include <shellapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HANDLE hReady = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, "setup_bench_ready");
    HANDLE hQuit  = OpenEventA(SYNCHRONIZE, FALSE, "setup_bench_quit");
    if (hReady == nullptr || hQuit == nullptr)
    {
        // Never taken under the benchmark; keeps both libraries imported.
        MessageBeep(MB_OK);
        ShellExecuteA(nullptr, nullptr, nullptr, nullptr, nullptr, SW_HIDE);
        return 1;
    }
    ReleaseSemaphore(hReady, 1, nullptr);
    WaitForSingleObject(hQuit, INFINITE);
    return 0;
}
