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

int CopyProfileValue(const char* pWork, uint32_t cbWork, char* szDest, uint32_t* pcchCapacity)
{
    uint32_t nLength = 0;
    while (nLength < cbWork && pWork[nLength] != '\0')
        ++nLength;

    const uint32_t nCapacity = *pcchCapacity;
    if (nLength < nCapacity)
    {
        // The work buffer is zero-filled, so the copy carries its terminator.
        const uint32_t cbCopy = nCapacity < cbWork ? nCapacity : cbWork;
        for (uint32_t i = 0; i < cbCopy; ++i)
            szDest[i] = pWork[i];
        return 1;
    }
    if (nCapacity != 0)
    {
        for (uint32_t i = 0; i + 1 < nCapacity; ++i)
            szDest[i] = pWork[i];
        szDest[nCapacity - 1] = '\0';
    }
    *pcchCapacity = nLength;
    return 0;
}

uint32_t RegistryCopyCount(uint32_t cbData, uint32_t cbCapacity)
{
    if (cbCapacity < 2)
        return 0;
    return cbData < cbCapacity - 1 ? cbData : cbCapacity - 1;
}
