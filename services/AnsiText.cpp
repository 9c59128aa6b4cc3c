#include "services/AnsiText.h"

namespace {

AnsiConverter g_converter = {CP_ACP, nullptr};

int ToMultiByte(DWORD dwFlags, const wchar_t* wszText, char* szText, int cbText, BOOL* pbDefaultUsed)
{
    PFN_WIDE_CHAR_TO_MULTI_BYTE pfnConvert =
        g_converter.pfnToMultiByte != nullptr ? g_converter.pfnToMultiByte : WideCharToMultiByte;
    return pfnConvert(g_converter.nCodePage, dwFlags, wszText, -1, szText, cbText, nullptr, pbDefaultUsed);
}

// 1 when the two texts are the same, unit for unit.
int SameText(const wchar_t* wszOne, const wchar_t* wszOther)
{
    for (; *wszOne == *wszOther; ++wszOne, ++wszOther)
    {
        if (*wszOne == L'\0')
            return 1;
    }
    return 0;
}

} // namespace

AnsiConversion ConvertToAnsi(const wchar_t* wszText, char* szText, int cbText)
{
    BOOL  bDefaultUsed  = FALSE;
    BOOL* pbDefaultUsed = &bDefaultUsed;
    DWORD dwFlags       = WC_NO_BEST_FIT_CHARS;
    while (ToMultiByte(dwFlags, wszText, szText, cbText, pbDefaultUsed) == 0)
    {
        const DWORD dwError = GetLastError();
        // Windows NT 4 does not know the flag, and no code page that reports
        // no loss takes it. UTF-8 (the ANSI code page of Windows 10 with "Use
        // Unicode UTF-8"), GB18030, the ISO 2022 code pages, UTF-7 and ISCII
        // refuse the loss report itself.
        if (dwError == ERROR_INVALID_FLAGS && dwFlags != 0)
        {
            dwFlags = 0;
        }
        else if (dwError == ERROR_INVALID_PARAMETER && pbDefaultUsed != nullptr)
        {
            dwFlags       = 0;
            pbDefaultUsed = nullptr;
        }
        else
        {
            return dwError == ERROR_INSUFFICIENT_BUFFER ? ANSI_TOO_LONG : ANSI_FAILED;
        }
    }
    if (pbDefaultUsed != nullptr)
        return bDefaultUsed ? ANSI_LOSSY : ANSI_EXACT;

    // Without the report the text converted back must be the text given. No
    // character takes less than a byte in those code pages, so the text
    // given, converted into at most MAX_PATH bytes, fits MAX_PATH characters:
    // one converted back that does not is another.
    wchar_t wszBack[MAX_PATH];
    if (MultiByteToWideChar(g_converter.nCodePage, 0, szText, -1, wszBack, MAX_PATH) == 0)
        return ANSI_LOSSY;
    return SameText(wszText, wszBack) ? ANSI_EXACT : ANSI_LOSSY;
}

AnsiConverter SetAnsiConverter(const AnsiConverter& converter)
{
    const AnsiConverter previous = g_converter;
    g_converter                  = converter;
    return previous;
}
