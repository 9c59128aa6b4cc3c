#include "process/ModuleName.h"

namespace {

char FoldAscii(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

} // namespace

int IsSameModuleName(const char* szWanted, const char* szName)
{
    for (;; ++szWanted, ++szName)
    {
        if (FoldAscii(*szWanted) != FoldAscii(*szName))
            return 0;
        if (*szWanted == '\0')
            return 1;
    }
}

const char* FindAfterLastBackslash(const char* szPath, PFN_IS_LEAD_BYTE pfnIsLeadByte)
{
    const char* pAfter = nullptr;
    for (const char* p = szPath; *p != '\0'; ++p)
    {
        if (pfnIsLeadByte(static_cast<unsigned char>(*p)))
        {
            // A lead byte at the very end has no partner: it stands alone.
            if (p[1] == '\0')
                break;
            ++p;
        }
        else if (*p == '\\')
            pAfter = p + 1;
    }
    return pAfter;
}
