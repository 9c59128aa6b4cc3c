// The keyword search over the command line. Pure code, shared with the
// native build.
#pragma once

// Tells whether a byte starts a double-byte character in the ANSI code page.
typedef int (*PFN_IS_LEAD_BYTE)(unsigned char ch);

// 1 when szKeyword (given in lower case) occurs in szCommandLine. The search
// looks at the first 259 bytes of the command line, lower-cased, and matches
// only at character boundaries: a trail byte of a double-byte character
// never starts a match, and is never lower-cased.
int FindSwitch(const char* szCommandLine, const char* szKeyword, PFN_IS_LEAD_BYTE pfnIsLeadByte);
