// The version-resource functions of the system's version.dll, loaded at run
// time from the system folder.
//
// version.dll is not one of the system's known DLLs: a static import would be
// looked for beside Setup.exe first, so a version.dll planted in a download
// folder would run inside the launcher. Loading it through LoadSystemLibrary
// names the system's own file.
#pragma once

#include <windows.h>

class CVersionLibrary
{
public:
    // Loads version.dll and looks up its three functions; the object is ready
    // only when all three were found.
    CVersionLibrary();
    ~CVersionLibrary();

    bool IsReady() const { return m_bReady; }

    // The system's functions; only to be called when the object is ready.
    DWORD GetFileVersionInfoSize(const char* szFile) const;
    BOOL  GetFileVersionInfo(const char* szFile, DWORD cbBlock, void* pBlock) const;
    BOOL  VerQueryValue(const void* pBlock, const char* szSubBlock, void** ppValue, UINT* pcbValue) const;

private:
    typedef DWORD(WINAPI* PFN_GET_FILE_VERSION_INFO_SIZE_A)(LPCSTR, LPDWORD);
    typedef BOOL(WINAPI* PFN_GET_FILE_VERSION_INFO_A)(LPCSTR, DWORD, DWORD, LPVOID);
    typedef BOOL(WINAPI* PFN_VER_QUERY_VALUE_A)(LPCVOID, LPCSTR, LPVOID*, PUINT);

    HMODULE                          m_hModule;
    PFN_GET_FILE_VERSION_INFO_SIZE_A m_pfnGetFileVersionInfoSizeA;
    PFN_GET_FILE_VERSION_INFO_A      m_pfnGetFileVersionInfoA;
    PFN_VER_QUERY_VALUE_A            m_pfnVerQueryValueA;
    bool                             m_bReady;

    CVersionLibrary(const CVersionLibrary&)            = delete;
    CVersionLibrary& operator=(const CVersionLibrary&) = delete;
};
