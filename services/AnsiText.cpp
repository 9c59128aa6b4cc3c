#include "services/AnsiText.h"

AnsiConversion ConvertToAnsi(const wchar_t* wszText, char* szText, int cbText)
{
    BOOL bDefaultUsed = FALSE;
    int  cbConverted =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wszText, -1, szText, cbText, nullptr, &bDefaultUsed);
    // Windows NT 4 does not know the flag.
    if (cbConverted == 0 && GetLastError() == ERROR_INVALID_FLAGS)
        cbConverted = WideCharToMultiByte(CP_ACP, 0, wszText, -1, szText, cbText, nullptr, &bDefaultUsed);
    if (cbConverted == 0)
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? ANSI_TOO_LONG : ANSI_FAILED;
    return bDefaultUsed ? ANSI_LOSSY : ANSI_EXACT;
}
