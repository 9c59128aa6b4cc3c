#include "process/ProcessApi.h"

#include "process/PsapiProcessApi.h"
#include "process/ToolhelpProcessApi.h"
#include "services/SystemLibrary.h"

void* CProcessApi::operator new(size_t cbSize) noexcept { return HeapAlloc(GetProcessHeap(), 0, cbSize); }

void CProcessApi::operator delete(void* pObject) noexcept
{
    if (pObject != nullptr)
        HeapFree(GetProcessHeap(), 0, pObject);
}

BOOL IsPsapiAvailable()
{
    HMODULE hPsapi = LoadSystemLibrary(PSAPI_LIBRARY);
    if (hPsapi == nullptr)
        return FALSE;
    FreeLibrary(hPsapi);
    return TRUE;
}

CProcessApi* CreateProcessApi()
{
    if (IsPsapiAvailable())
        return new CPsapiProcessApi();
    return new CToolhelpProcessApi();
}
