// Runs the process search from a folder that also holds a planted
// "PSAPI.DLL", to show that the search loads the system's library only.
//   plantcheck find <module>  FindProcessByModule; prints "found" or "none"
//   plantcheck kill           KillEngineProcesses
//   plantcheck bare           LoadLibraryA("PSAPI.DLL") by its bare name: the
//                             control that shows the planted file would load
// The log goes to plantcheck.log in the current folder.
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "process/FindProcess.h"
#include "engine/KillEngine.h"
#include "services/Log.h"

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    GetCurrentDirectoryA(MAX_PATH - 16, g_szLogPath);
    strcat(g_szLogPath, "\\plantcheck.log");

    if (strcmp(argv[1], "find") == 0 && argc > 2)
    {
        DWORD dwProcessId = 0;
        printf("%s\n", FindProcessByModule(argv[2], &dwProcessId) ? "found" : "none");
    }
    else if (strcmp(argv[1], "kill") == 0)
        KillEngineProcesses();
    else if (strcmp(argv[1], "bare") == 0)
        printf("%s\n", LoadLibraryA("PSAPI.DLL") != nullptr ? "loaded" : "failed");
    else
        return 2;
    return 0;
}
