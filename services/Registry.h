// One open registry key with a bounded string read.
#pragma once

#include <windows.h>

class CRegistry
{
public:
    // Opens (or with bCreate, creates) hRoot\szSubKey for reading and writing.
    // A key that cannot be opened is logged; the object then reads nothing.
    CRegistry(const char* szSubKey, HKEY hRoot, BOOL bCreate);
    virtual ~CRegistry();

    // Reads a string value into szBuffer. *pcbCapacity is the buffer size in
    // bytes (at least 2); a value that needs more is cut and its full size is
    // stored back. 1 when a value was copied.
    BOOL ReadString(const char* szValueName, char* szBuffer, DWORD* pcbCapacity);
    void Close();

    HKEY m_hRootKey;
    HKEY m_hKey;

private:
    CRegistry(const CRegistry&)            = delete;
    CRegistry& operator=(const CRegistry&) = delete;
};
