#include "runtime/CommandLine.h"

namespace {

// The runtime compared plain chars, which are signed with this compiler, with
// the space; the comparison stays signed whatever the compiler's char.
bool IsAtOrBelowSpace(char ch) { return static_cast<signed char>(ch) <= ' '; }

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
