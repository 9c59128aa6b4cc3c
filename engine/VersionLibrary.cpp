#include "engine/VersionLibrary.h"

#include "services/ProcAddress.h"
#include "services/SystemLibrary.h"

CVersionLibrary::CVersionLibrary()
    : m_hModule(LoadSystemLibrary("version.dll")),
      m_pfnGetFileVersionInfoSizeA(nullptr),
      m_pfnGetFileVersionInfoA(nullptr),
      m_pfnVerQueryValueA(nullptr),
      m_bReady(false)
{
    if (m_hModule == nullptr)
        return;
    m_pfnGetFileVersionInfoSizeA =
        GetProcAddressAs<PFN_GET_FILE_VERSION_INFO_SIZE_A>(m_hModule, "GetFileVersionInfoSizeA");
    m_pfnGetFileVersionInfoA = GetProcAddressAs<PFN_GET_FILE_VERSION_INFO_A>(m_hModule, "GetFileVersionInfoA");
    m_pfnVerQueryValueA      = GetProcAddressAs<PFN_VER_QUERY_VALUE_A>(m_hModule, "VerQueryValueA");
    m_bReady = m_pfnGetFileVersionInfoSizeA != nullptr && m_pfnGetFileVersionInfoA != nullptr &&
               m_pfnVerQueryValueA != nullptr;
}

CVersionLibrary::~CVersionLibrary()
{
    if (m_hModule != nullptr)
        FreeLibrary(m_hModule);
}

DWORD CVersionLibrary::GetFileVersionInfoSize(const char* szFile) const
{
    DWORD dwHandle = 0;
    return m_pfnGetFileVersionInfoSizeA(szFile, &dwHandle);
}

BOOL CVersionLibrary::GetFileVersionInfo(const char* szFile, DWORD cbBlock, void* pBlock) const
{
    return m_pfnGetFileVersionInfoA(szFile, 0, cbBlock, pBlock);
}

BOOL CVersionLibrary::VerQueryValue(const void* pBlock, const char* szSubBlock, void** ppValue,
                                    UINT* pcbValue) const
{
    return m_pfnVerQueryValueA(pBlock, szSubBlock, ppValue, pcbValue);
}
