// WideCharToMultiByte for UTF-8 as Windows runs it. Windows refuses any flag
// but WC_ERR_INVALID_CHARS there (ERROR_INVALID_FLAGS), and a default
// character or a loss report (ERROR_INVALID_PARAMETER); Wine 8 converts UTF-8
// with both, so a test of a system whose ANSI code page is UTF-8 converts
// through this.
#pragma once

#include <windows.h>

inline int WINAPI WideCharToUtf8AsWindows(UINT nCodePage, DWORD dwFlags, LPCWCH wszText, int cchText, LPSTR szText,
                                          int cbText, LPCCH szDefault, LPBOOL pbDefaultUsed)
{
    if ((dwFlags & ~static_cast<DWORD>(0x80)) != 0) // WC_ERR_INVALID_CHARS
    {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (szDefault != nullptr || pbDefaultUsed != nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return WideCharToMultiByte(nCodePage, dwFlags, wszText, cchText, szText, cbText, nullptr, nullptr);
}
