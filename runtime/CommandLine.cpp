#include "runtime/CommandLine.h"

namespace {

// Unsigned: bytes from 0x80 up are letters of the ANSI code page (or lead and
// trail bytes of a double-byte one). MinGW's start-up compared signed chars
// and so cut an unquoted D:\Übung\Setup.exe at the "Ü", handing WinMain the
// rest of the path, where the keyword search then looked.
bool IsAtOrBelowSpace(char ch) { return static_cast<unsigned char>(ch) <= ' '; }

} // namespace

const char* SkipProgramName(const char* szCommandLine)
{
    const char* pch = szCommandLine;
    if (*pch == '"')
    {
        // A quoted name ends at its closing quote, whatever follows it:
        // administrators' scripts write "D:\Setup.exe"/s, and CreateProcess
        // runs that as Setup.exe with /s after it. A quote that never closes
        // takes the rest of the line.
        ++pch;
        while (*pch != '\0' && *pch != '"')
            ++pch;
        if (*pch == '"')
            ++pch;
    }
    else
    {
        // An unquoted name runs to the first blank, a quote inside it or
        // not: D:\"My Disc"\Setup.exe /s leaves Disc"\Setup.exe /s, as the
        // Visual C++ start-up leaves it.
        while (!IsAtOrBelowSpace(*pch))
            ++pch;
    }
    while (*pch != '\0' && IsAtOrBelowSpace(*pch))
        ++pch;
    return pch;
}
