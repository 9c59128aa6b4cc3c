#include "launcher/Switches.h"

#include "launcher/ProductTable.h"
#include "services/Bounded.h"

int FindSwitch(const char* szCommandLine, const char* szKeyword, PFN_IS_LEAD_BYTE pfnIsLeadByte)
{
    if (*szKeyword == '\0')
        return 1; // the empty text occurs in every command line, the empty one too
    char szLower[PATH_SIZE];
    CopyStringBounded(szLower, PATH_SIZE, szCommandLine);

    for (char* p = szLower; *p != '\0'; ++p)
    {
        if (pfnIsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
            ++p;
        else if (*p >= 'A' && *p <= 'Z')
            *p = static_cast<char>(*p - 'A' + 'a');
    }

    for (const char* p = szLower; *p != '\0'; ++p)
    {
        const char* q = p;
        const char* k = szKeyword;
        while (*k != '\0' && *q == *k)
        {
            ++q;
            ++k;
        }
        if (*k == '\0')
            return 1;
        if (pfnIsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
            ++p;
    }
    return 0;
}
