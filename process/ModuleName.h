// Module names as the process search compares them. Pure code: no Windows
// headers, so it also builds natively for the sanitizer tests and fuzzing.
#pragma once

// 1 when the two names are equal with the ASCII letters A-Z folded to a-z
// (no locale: a module name is compared the same way on every system).
int IsSameModuleName(const char* szWanted, const char* szName);

// Tells whether a byte opens a double-byte character in the ANSI code page.
typedef int (*PFN_IS_LEAD_BYTE)(unsigned char chByte);

// The text after the last backslash of szPath, or null when it holds none. A
// 0x5C byte that is the second half of a double-byte character (as in the
// Japanese and Chinese code pages) is no separator.
const char* FindAfterLastBackslash(const char* szPath, PFN_IS_LEAD_BYTE pfnIsLeadByte);
