// The process back-ends: one interface, two implementations chosen at run
// time. The process status library (PSAPI.DLL) is preferred; where it cannot
// be loaded (Windows 95, 98 and Me) the Toolhelp functions of kernel32 serve.
// Both libraries are loaded from the system folder at run time; nothing of
// theirs is imported statically, so the launcher starts on every system.
#pragma once

#include <stddef.h>
#include <windows.h>

// Capacity of the process id and module handle arrays of the lists.
const unsigned PROCESS_LIST_CAPACITY = 1024;

// Size of a module name buffer in bytes, terminator included.
const unsigned MODULE_NAME_SIZE = 256;

class CProcessApi
{
public:
    virtual ~CProcessApi() {}

    // Fills pIds (PROCESS_LIST_CAPACITY entries) with the ids of the running
    // processes; returns how many were written.
    virtual unsigned ListProcesses(DWORD* pIds) = 0;

    // Fills pModules (PROCESS_LIST_CAPACITY entries) with the modules of the
    // process, the executable first; returns how many were written.
    virtual unsigned ListModules(DWORD dwProcessId, HMODULE* pModules) = 0;

    // Writes the base name of a module of the process into szName
    // (MODULE_NAME_SIZE bytes); TRUE when a name was written.
    virtual BOOL GetBaseName(HANDLE hProcess, HMODULE hModule, char* szName, DWORD dwProcessId) = 0;

    // Writes the full file name of a module into szName (MODULE_NAME_SIZE
    // bytes); TRUE when a name was written.
    virtual BOOL GetFileName(HANDLE hProcess, HMODULE hModule, char* szName, DWORD dwProcessId) = 0;

    // Back-ends live on the process heap. The allocation does not throw: a
    // failed one makes the new-expression give null.
    static void* operator new(size_t cbSize) noexcept;
    static void  operator delete(void* pObject) noexcept;

protected:
    CProcessApi() {}

private:
    CProcessApi(const CProcessApi&)            = delete;
    CProcessApi& operator=(const CProcessApi&) = delete;
};

// TRUE when "PSAPI.DLL" can be loaded from the system folder (it is released
// again at once).
BOOL IsPsapiAvailable();

// A new back-end, PSAPI when available, else Toolhelp; null when out of
// memory. The caller deletes it.
CProcessApi* CreateProcessApi();
