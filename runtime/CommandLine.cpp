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
    const char* pch     = szCommandLine;
    bool        bQuoted = false;
    while (!IsAtOrBelowSpace(*pch) || (*pch != '\0' && bQuoted))
    {
        if (*pch == '"')
            bQuoted = !bQuoted;
        ++pch;
    }
    while (*pch != '\0' && IsAtOrBelowSpace(*pch))
        ++pch;
    return pch;
}
