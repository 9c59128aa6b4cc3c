#include "process/FindProcess.h"

#include "process/ModuleName.h"
#include "process/ProcessList.h"
#include "services/Log.h"

namespace {

// The executable is the first module; the second is looked at too. Further
// modules are DLLs, which is not what the search is about.
const unsigned MODULES_EXAMINED = 2;

} // namespace

BOOL FindProcessByModule(const char* szModule, DWORD* pdwProcessId)
{
    CProcessList processes;
    for (unsigned nProcess = 0; nProcess < processes.GetCount(); ++nProcess)
    {
        const DWORD dwProcessId = processes.GetAt(nProcess);
        CModuleList modules(dwProcessId);
        const unsigned nExamined = modules.GetCount() < MODULES_EXAMINED ? modules.GetCount() : MODULES_EXAMINED;
        for (unsigned nModule = 0; nModule < nExamined; ++nModule)
        {
            // A failed query leaves the name empty, which matches no real name.
            char szName[MODULE_NAME_SIZE] = {};
            modules.GetBaseName(modules.GetAt(nModule), szName);
            if (IsSameModuleName(szModule, szName))
            {
                WriteLog("Match PID %0X Module %s\n", dwProcessId, szName);
                *pdwProcessId = dwProcessId;
                return TRUE;
            }
        }
    }
    return FALSE;
}
