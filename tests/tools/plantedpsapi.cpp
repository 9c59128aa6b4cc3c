// A planted "PSAPI.DLL": the tests copy it beside a program under that name.
// When anything loads it, it leaves "<its own path>.loaded" behind.
#include <stdio.h>
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        char szMarker[MAX_PATH + 8];
        DWORD nLength = GetModuleFileNameA(hInstance, szMarker, MAX_PATH);
        snprintf(szMarker + nLength, sizeof(szMarker) - nLength, ".loaded");
        HANDLE hFile = CreateFileA(szMarker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE)
            CloseHandle(hFile);
    }
    return TRUE;
}
