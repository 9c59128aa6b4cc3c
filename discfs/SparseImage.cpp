#include "discfs/ImageReader.h"
#include "discfs/Limits.h"

#include <string.h>

void CSparseImage::SetBlock(uint64_t nBlock, const uint8_t* pBytes, size_t cb)
{
    std::string& block = m_blocks[nBlock];
    block.assign(reinterpret_cast<const char*>(pBytes), cb < FS_BLOCK ? cb : FS_BLOCK);
    block.resize(FS_BLOCK, '\0');
}

int CSparseImage::Read(uint64_t nOffset, size_t cb, uint8_t* pBuffer) const
{
    if (nOffset > m_cbSize || cb > m_cbSize - nOffset)
        return 0;
    memset(pBuffer, 0, cb);
    // Only the blocks held are copied: a claim of gigabytes of zeros costs
    // the map's look-ups, not a loop over every block.
    const uint64_t nFirst = nOffset / FS_BLOCK;
    const uint64_t nEnd = (nOffset + cb + FS_BLOCK - 1) / FS_BLOCK;
    for (auto it = m_blocks.lower_bound(nFirst); it != m_blocks.end() && it->first < nEnd; ++it)
    {
        const uint64_t nBlockStart = it->first * FS_BLOCK;
        const uint64_t nFrom = nBlockStart > nOffset ? nBlockStart : nOffset;
        const uint64_t nTo = nBlockStart + FS_BLOCK < nOffset + cb ? nBlockStart + FS_BLOCK : nOffset + cb;
        memcpy(pBuffer + (nFrom - nOffset), it->second.data() + (nFrom - nBlockStart), static_cast<size_t>(nTo - nFrom));
    }
    return 1;
}
