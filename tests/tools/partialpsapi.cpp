// A process status library without "EnumProcessModules", as a damaged or
// very old PSAPI.DLL would be. Every call is appended to the
// PARTIAL_PSAPI_CALLS environment variable: a back-end that is not ready
// must call nothing.
#include <stdio.h>
#include <string.h>
#include <windows.h>

namespace {

void RecordCall(const char* szCall)
{
    char szCalls[1024] = {};
    GetEnvironmentVariableA("PARTIAL_PSAPI_CALLS", szCalls, sizeof(szCalls));
    size_t nLength = strlen(szCalls);
    snprintf(szCalls + nLength, sizeof(szCalls) - nLength, "%s;", szCall);
    SetEnvironmentVariableA("PARTIAL_PSAPI_CALLS", szCalls);
}

} // namespace

extern "C" {

BOOL WINAPI PartialEnumProcesses(DWORD*, DWORD, DWORD* pcbReturned)
{
    RecordCall("EnumProcesses");
    *pcbReturned = 0;
    return FALSE;
}

DWORD WINAPI PartialGetModuleFileNameExA(HANDLE, HMODULE, LPSTR, DWORD)
{
    RecordCall("GetModuleFileNameExA");
    return 0;
}

DWORD WINAPI PartialGetModuleBaseNameA(HANDLE, HMODULE, LPSTR, DWORD)
{
    RecordCall("GetModuleBaseNameA");
    return 0;
}

} // extern "C"
