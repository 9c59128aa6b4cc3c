#include "engine/KillEngine.h"

#include "engine/EngineNames.h"
#include "process/FindProcess.h"
#include "process/ProcessKiller.h"
#include "services/Log.h"

void KillEngineProcesses()
{
    // The installer engine's programs, in the order they are ended.
    static const char* const kEngineProcesses[] = {ENGINE_PROCESS_KERNEL, ENGINE_PROCESS_WRAPPER};

    CProcessKiller killer;
    for (const char* szModule : kEngineProcesses)
    {
        // Only the first process of each name: the engine runs once.
        DWORD dwProcessId = 0;
        if (FindProcessByModule(szModule, &dwProcessId))
            WriteLog("Killed %d\n", killer.CloseProcess(dwProcessId, TRUE));
    }
}
