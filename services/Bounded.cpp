#include "services/Bounded.h"

int32_t CopyStringBounded(char* szDest, uint32_t cchDest, const char* szSource)
{
    if (cchDest == 0 || cchDest > 0x7FFFFFFFu)
        return BOUNDED_E_INVALIDARG;

    while (cchDest != 0 && *szSource != '\0')
    {
        *szDest++ = *szSource++;
        --cchDest;
    }
    if (cchDest == 0)
    {
        // Out of room: the last character copied gives way to the terminator.
        szDest[-1] = '\0';
        return BOUNDED_E_INSUFFICIENT_BUFFER;
    }
    *szDest = '\0';
    return BOUNDED_S_OK;
}
