// CopyStringBounded and the Setup.ini value bound: any source, any capacity.
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "FuzzInput.h"
#include "services/Bounded.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    CFuzzInput  input(pData, cbData);
    uint32_t    nCapacity = input.Word() % 600;
    std::string source    = input.Text();

    // Exactly the capacity is allocated, so AddressSanitizer sees any write past it.
    std::vector<char> dest(nCapacity == 0 ? 1 : nCapacity, '#');
    int32_t           status = CopyStringBounded(dest.data(), nCapacity, source.c_str());
    if (nCapacity == 0 && (status != BOUNDED_E_INVALIDARG || dest[0] != '#'))
        abort();
    if (nCapacity != 0)
    {
        size_t nLength = strlen(dest.data());
        bool   bFits   = source.size() < nCapacity;
        if (bFits != (status == BOUNDED_S_OK) || nLength != (bFits ? source.size() : nCapacity - 1) ||
            memcmp(dest.data(), source.data(), nLength) != 0)
            abort();
    }

    // The settings value: a zero-filled work buffer holding the value read.
    uint32_t          cbWork = 1 + input.Word() % 1000;
    std::vector<char> work(cbWork, '\0');
    std::string       value = input.Text();
    memcpy(work.data(), value.data(), value.size() < cbWork ? value.size() : cbWork);
    uint32_t          nCap   = input.Word() % 400;
    std::vector<char> buffer(nCap == 0 ? 1 : nCap, '#');
    uint32_t          nInOut = nCap;
    int               bWhole = CopyProfileValue(work.data(), cbWork, buffer.data(), &nInOut);
    size_t            nValue = strnlen(work.data(), cbWork);
    if (bWhole != (nValue < nCap))
        abort();
    if (nCap != 0 && memchr(buffer.data(), '\0', nCap) == nullptr && nValue < cbWork)
        abort(); // the caller's copy must be terminated within the capacity
    if (!bWhole && nInOut != nValue)
        abort();
    return 0;
}
