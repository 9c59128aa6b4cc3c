// Unicode text in the system's ANSI code page, the code page of every "A"
// function the launcher calls.
#pragma once

#include <windows.h>

// What a conversion to the ANSI code page gave.
enum AnsiConversion
{
    ANSI_EXACT,    // every character has its own form
    ANSI_LOSSY,    // a default character stands for at least one
    ANSI_TOO_LONG, // the text in the code page does not fit the buffer
    ANSI_FAILED,   // no result (a code page the system cannot convert to)
};

// Converts the zero-terminated wszText into szText (cbText bytes, terminator
// included, at most MAX_PATH). Best-fit mappings count as a loss: they turn
// a character into a look-alike ("Ł" into "L"), which names another folder
// or says another word. Code pages that report no loss (UTF-8, GB18030, the
// ISO 2022 ones) are judged by converting the text back. Only ANSI_EXACT
// leaves a usable text in szText.
AnsiConversion ConvertToAnsi(const wchar_t* wszText, char* szText, int cbText);

// Test seam: the code page ConvertToAnsi converts to and the function that
// converts (null: the system's WideCharToMultiByte), by default CP_ACP and
// null. Returns the previous pair. Production code never calls it.
typedef int(WINAPI* PFN_WIDE_CHAR_TO_MULTI_BYTE)(UINT nCodePage, DWORD dwFlags, LPCWCH wszText, int cchText,
                                                 LPSTR szText, int cbText, LPCCH szDefault, LPBOOL pbDefaultUsed);
struct AnsiConverter
{
    UINT                        nCodePage;
    PFN_WIDE_CHAR_TO_MULTI_BYTE pfnToMultiByte;
};
AnsiConverter SetAnsiConverter(const AnsiConverter& converter);
