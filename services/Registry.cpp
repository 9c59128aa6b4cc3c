#include "services/Registry.h"

CRegistry::CRegistry(const char* /*szSubKey*/, HKEY hRoot, BOOL /*bCreate*/)
    : m_hRootKey(hRoot), m_hKey(nullptr)
{
}

CRegistry::~CRegistry() { Close(); }

BOOL CRegistry::ReadString(const char*, char*, DWORD*) { return FALSE; }

void CRegistry::Close()
{
    m_hKey     = nullptr;
    m_hRootKey = nullptr;
}
