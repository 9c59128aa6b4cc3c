#include "discfs/FsBudget.h"

int FsBudget::TakeEntries(size_t n, std::string* pError)
{
    if (n > FS_MAX_ENTRIES - nEntries)
    {
        *pError = "more than " + std::to_string(FS_MAX_ENTRIES) + " names in the image";
        return 0;
    }
    nEntries += n;
    return 1;
}

int FsBudget::TakeExtents(size_t n, std::string* pError)
{
    if (n > FS_MAX_EXTENTS - nExtents)
    {
        *pError = "more than " + std::to_string(FS_MAX_EXTENTS) + " file pieces in the image";
        return 0;
    }
    nExtents += n;
    return 1;
}
