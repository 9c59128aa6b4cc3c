#include "services/Registry.h"

#include <stdlib.h>

#include "services/Bounded.h"
#include "services/Log.h"

namespace {

// KEY_READ | KEY_WRITE: a caller who may not write the key gets no key at all.
const REGSAM REGISTRY_ACCESS = 0x2001F;

} // namespace

CRegistry::CRegistry(const char* szSubKey, HKEY hRoot, BOOL bCreate) : m_hRootKey(nullptr), m_hKey(nullptr)
{
    HKEY hKey = nullptr;
    LONG lResult;
    if (bCreate)
    {
        DWORD dwDisposition = 0;
        lResult = RegCreateKeyExA(hRoot, szSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, REGISTRY_ACCESS, nullptr, &hKey,
                                  &dwDisposition);
    }
    else
    {
        lResult = RegOpenKeyExA(hRoot, szSubKey, 0, REGISTRY_ACCESS, &hKey);
    }
    m_hRootKey = hRoot;
    m_hKey     = lResult == ERROR_SUCCESS ? hKey : nullptr;
    if (m_hKey == nullptr)
        WriteLog("CRegistry().  Oooops , Failed to open subKey %s\n", szSubKey);
}

CRegistry::~CRegistry() { Close(); }

BOOL CRegistry::ReadString(const char* szValueName, char* szBuffer, DWORD* pcbCapacity)
{
    if (m_hKey == nullptr)
        return FALSE;

    DWORD cbSize = 0;
    if (RegQueryValueExA(m_hKey, szValueName, nullptr, nullptr, nullptr, &cbSize) != ERROR_SUCCESS)
        cbSize = 0;
    if (cbSize == 0)
        return FALSE;

    // The caller learns how many bytes the whole value needs, terminator included.
    const DWORD cbCapacity = *pcbCapacity;
    if (cbSize > cbCapacity)
        *pcbCapacity = cbSize;

    // One byte more than the value, zero-filled, so the block is always
    // terminated even for a value stored without its terminator.
    if (cbSize == MAXDWORD)
        return FALSE;
    BYTE* pBlock = static_cast<BYTE*>(calloc(static_cast<size_t>(cbSize) + 1, 1));
    if (pBlock == nullptr)
        return FALSE;

    BOOL  bCopied = FALSE;
    DWORD dwType  = 0;
    DWORD cbData  = cbSize;
    if (RegQueryValueExA(m_hKey, szValueName, nullptr, &dwType, pBlock, &cbData) == ERROR_SUCCESS)
    {
        const uint32_t nCount = RegistryCopyCount(cbData, cbCapacity);
        if (nCount != 0)
        {
            CopyStringBounded(szBuffer, nCount, reinterpret_cast<const char*>(pBlock));
            bCopied = TRUE;
        }
    }
    free(pBlock);
    return bCopied;
}

void CRegistry::Close()
{
    if (m_hKey != nullptr)
        RegCloseKey(m_hKey);
    m_hKey     = nullptr;
    m_hRootKey = nullptr;
}
