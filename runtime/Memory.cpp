// Byte at a time: the launcher copies a few hundred bytes at a time, and
// small code matters more here than fast code. Built without the compiler's
// own knowledge of these functions, so that it does not turn the loops back
// into calls of themselves.
#include "runtime/Memory.h"

void* memcpy(void* pDest, const void* pSource, size_t cbSize)
{
    unsigned char*       pTo   = static_cast<unsigned char*>(pDest);
    const unsigned char* pFrom = static_cast<const unsigned char*>(pSource);
    while (cbSize-- != 0)
        *pTo++ = *pFrom++;
    return pDest;
}

void* memmove(void* pDest, const void* pSource, size_t cbSize)
{
    unsigned char*       pTo   = static_cast<unsigned char*>(pDest);
    const unsigned char* pFrom = static_cast<const unsigned char*>(pSource);
    if (pTo <= pFrom)
        return memcpy(pDest, pSource, cbSize);
    // The destination lies above the source: copy from the end down.
    while (cbSize-- != 0)
        pTo[cbSize] = pFrom[cbSize];
    return pDest;
}

void* memset(void* pDest, int nByte, size_t cbSize)
{
    unsigned char* pTo = static_cast<unsigned char*>(pDest);
    while (cbSize-- != 0)
        *pTo++ = static_cast<unsigned char>(nByte);
    return pDest;
}

int memcmp(const void* pLeft, const void* pRight, size_t cbSize)
{
    const unsigned char* pA = static_cast<const unsigned char*>(pLeft);
    const unsigned char* pB = static_cast<const unsigned char*>(pRight);
    for (; cbSize != 0; --cbSize, ++pA, ++pB)
    {
        if (*pA != *pB)
            return *pA < *pB ? -1 : 1;
    }
    return 0;
}

size_t strlen(const char* szText)
{
    const char* pch = szText;
    while (*pch != '\0')
        ++pch;
    return static_cast<size_t>(pch - szText);
}
