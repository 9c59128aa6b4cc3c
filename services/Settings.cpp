#include "services/Settings.h"

#include <stdlib.h>

#include "services/Bounded.h"

LaunchSettings::LaunchSettings(const char* szPath) { SetPath(szPath); }

LaunchSettings::~LaunchSettings() {}

HRESULT LaunchSettings::SetPath(const char* szPath) { return CopyStringBounded(m_szPath, MAX_PATH, szPath); }

BOOL LaunchSettings::GetValue(const char* szSection, const char* szKey, char* szBuffer, DWORD* pcchCapacity)
{
    // On the heap: 39000 bytes are too many for the stack of a small program.
    char* pWork = static_cast<char*>(calloc(SETTINGS_WORK_SIZE, 1));
    if (pWork == nullptr)
        return FALSE;

    BOOL bRead = FALSE;
    if (GetPrivateProfileStringA(szSection, szKey, "", pWork, SETTINGS_WORK_SIZE, m_szPath) != 0)
    {
        uint32_t nCapacity = *pcchCapacity;
        bRead              = CopyProfileValue(pWork, SETTINGS_WORK_SIZE, szBuffer, &nCapacity);
        *pcchCapacity      = nCapacity;
    }
    free(pWork);
    return bRead;
}
