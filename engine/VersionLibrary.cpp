#include "engine/VersionLibrary.h"

#include "services/SystemLibrary.h"

namespace {

template <typename T> T LookUp(HMODULE hModule, const char* szName)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(hModule, szName)));
}

} // namespace

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
        LookUp<PFN_GET_FILE_VERSION_INFO_SIZE_A>(m_hModule, "GetFileVersionInfoSizeA");
    m_pfnGetFileVersionInfoA = LookUp<PFN_GET_FILE_VERSION_INFO_A>(m_hModule, "GetFileVersionInfoA");
    m_pfnVerQueryValueA      = LookUp<PFN_VER_QUERY_VALUE_A>(m_hModule, "VerQueryValueA");
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
