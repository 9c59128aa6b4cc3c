#include "services/PathWithin.h"

#include <shlwapi.h>
#include <string.h>

#include "services/Bounded.h"
#include "services/Format.h"

int AppendPathWithin(char* szPath, size_t cchPath, const char* szMore)
{
    // PathAppendA adds at most one backslash and otherwise only shortens
    // (canonicalisation), so this bound is enough for its result; it works
    // through 260-byte buffers of its own, so no more ever fits.
    const size_t cchLimit = cchPath < MAX_PATH ? cchPath : MAX_PATH;
    if (strlen(szPath) + 1 + strlen(szMore) >= cchLimit)
        return 0;
    return PathAppendA(szPath, szMore) ? 1 : 0;
}

int JoinPathWithin(char* szPath, size_t cchPath, const char* szFolder, const char* szName)
{
    if (CopyStringBounded(szPath, static_cast<uint32_t>(cchPath), szFolder) == BOUNDED_S_OK &&
        AppendPathWithin(szPath, cchPath, szName))
        return 1;
    FormatBounded(szPath, cchPath, "%s\\%s", szFolder, szName);
    return 0;
}
