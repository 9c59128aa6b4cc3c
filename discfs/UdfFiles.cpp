#include "discfs/UdfFiles.h"

#include <algorithm>
#include <set>

#include "discfs/Limits.h"
#include "discfs/Span.h"
#include "discfs/UdfTag.h"

namespace {

const size_t FE_FIXED = 176, EFE_FIXED = 216; // the fixed parts of the two entries
const int    MAX_INDIRECT = 64;               // indirect entries followed from one ICB

std::string At(uint64_t nBlock) { return " at block " + std::to_string(nBlock); }

// The allocation descriptors of one entry, gathered until they cover its
// information length; continuation extents followed, each block once.
class CAllocation
{
public:
    CAllocation(const CUdfPartitions& partitions, FsBudget& budget, const std::string& what, UdfEntry* pEntry)
        : m_partitions(partitions), m_budget(budget), m_what(what), m_entry(*pEntry)
    {
    }

    // Walks the descriptors of kind nKind (0 short, 1 long, 2 extended) in list.
    int Gather(CSpan list, unsigned nKind, std::string* pError)
    {
        const size_t cbEach = nKind == 0 ? 8 : nKind == 1 ? 16 : 20;
        uint8_t      extent[FS_BLOCK];
        size_t       p = 0;
        while (m_cbCovered < m_entry.cbSize)
        {
            // The list ends with its bytes or with a descriptor of length 0.
            if (!list.Has(p, cbEach) || (list.Le32(p) & 0x3FFFFFFF) == 0)
                break;
            const uint32_t nType = list.Le32(p) >> 30;
            const uint32_t cbLength = list.Le32(p) & 0x3FFFFFFF;
            const uint32_t nBlock = list.Le32(nKind == 2 ? p + 12 : p + 4);
            const uint16_t nRef = nKind == 0 ? m_entry.nRef : list.Le16(nKind == 2 ? p + 16 : p + 8);
            if (nType == 3)
            {
                if (!ReadExtent(nRef, nBlock, extent, pError))
                    return 0;
                list = CSpan(extent + 24, CSpan(extent, FS_BLOCK).Le32(20));
                p = 0;
                continue;
            }
            uint64_t cbData = cbLength, cbRecorded = nType == 0 ? cbLength : 0;
            if (nKind == 2)
            {
                // An extended descriptor: its information length, of which
                // the recorded length's bytes are recorded.
                cbData = list.Le32(p + 8);
                cbRecorded = nType == 0 ? std::min<uint64_t>(list.Le32(p + 4) & 0x3FFFFFFF, cbData) : 0;
            }
            if (!Take(nRef, nBlock, cbRecorded, true, pError) || !Take(nRef, nBlock, cbData - cbRecorded, false, pError))
                return 0;
            p += cbEach;
        }
        if (m_cbCovered < m_entry.cbSize)
        {
            *pError = m_what + At(m_entry.nImageBlock) + " has extents for " + std::to_string(m_cbCovered) +
                      " of its " + std::to_string(m_entry.cbSize) + " bytes";
            return 0;
        }
        return 1;
    }

private:
    int Take(uint16_t nRef, uint32_t nBlock, uint64_t cb, bool bRecorded, std::string* pError)
    {
        if (cb == 0 || m_cbCovered >= m_entry.cbSize)
            return 1;
        const uint64_t cbLeft = m_entry.cbSize - m_cbCovered;
        // Only the last extent of a file may end inside a block: the
        // others' blocks follow one another in the file.
        if (cb < cbLeft && cb % FS_BLOCK)
        {
            *pError = m_what + At(m_entry.nImageBlock) + " has an extent of " + std::to_string(cb) +
                      " bytes, not whole blocks, before its last";
            return 0;
        }
        UdfAd ad;
        ad.cbLength = cb < cbLeft ? cb : cbLeft;
        ad.nBlock = nBlock;
        ad.nRef = nRef;
        ad.bRecorded = bRecorded;
        m_entry.ads.push_back(ad);
        m_cbCovered += ad.cbLength;
        return m_budget.TakeExtents(1, pError);
    }

    int ReadExtent(uint16_t nRef, uint32_t nBlock, uint8_t* pBlock, std::string* pError)
    {
        std::string why;
        uint64_t    nImageBlock = 0;
        const std::string what = m_what + At(m_entry.nImageBlock) + " continues in an allocation extent";
        if (!m_seen.insert((static_cast<uint64_t>(nRef) << 32) | nBlock).second)
        {
            *pError = what + " met before (a loop)";
            return 0;
        }
        if (!m_budget.TakeExtents(1, pError))
            return 0;
        if (!m_partitions.ReadBlock(nRef, nBlock, pBlock, &nImageBlock, &why) ||
            !CheckUdfTag(CSpan(pBlock, FS_BLOCK), UDF_TAG_ALLOCATION_EXTENT, nBlock, &why))
        {
            *pError = what + " that " + why;
            return 0;
        }
        if (CSpan(pBlock, FS_BLOCK).Le32(20) > FS_BLOCK - 24)
        {
            *pError = what + At(nImageBlock) + " whose descriptors run past its block";
            return 0;
        }
        return 1;
    }

    const CUdfPartitions& m_partitions;
    FsBudget&             m_budget;
    const std::string&    m_what;
    UdfEntry&             m_entry;
    uint64_t              m_cbCovered = 0;
    std::set<uint64_t>    m_seen;
};

// The entry at the ICB: with strategy 4096 a newer entry may be recorded
// elsewhere, named by an indirect entry in the block after.
int ReadIcb(const CUdfPartitions& partitions, uint16_t nRef, uint32_t nBlock, const std::string& what, uint8_t* pBlock,
            UdfEntry* pEntry, std::string* pError)
{
    std::set<uint64_t> seen;
    for (int nHop = 0;; ++nHop)
    {
        std::string why;
        if (!seen.insert((static_cast<uint64_t>(nRef) << 32) | nBlock).second || nHop > MAX_INDIRECT)
        {
            *pError = what + " is named by indirect entries in a loop";
            return 0;
        }
        if (!partitions.ReadBlock(nRef, nBlock, pBlock, &pEntry->nImageBlock, &why))
        {
            *pError = what + " " + why;
            return 0;
        }
        const CSpan    block(pBlock, FS_BLOCK);
        const uint16_t nId = UdfTagId(block) == UDF_TAG_EXTENDED_FILE_ENTRY ? UDF_TAG_EXTENDED_FILE_ENTRY : UDF_TAG_FILE_ENTRY;
        if (!CheckUdfTag(block, nId, nBlock, &why))
        {
            *pError = what + At(pEntry->nImageBlock) + " " + why;
            return 0;
        }
        pEntry->nRef = nRef;
        pEntry->nBlock = nBlock;
        const uint16_t nStrategy = block.Le16(20);
        if (nStrategy == 4)
            return 1;
        if (nStrategy != 4096)
        {
            *pError = what + At(pEntry->nImageBlock) + " is recorded with ICB strategy " + std::to_string(nStrategy) +
                      ", which is not read";
            return UDF_NOT_READ;
        }
        uint8_t     next[FS_BLOCK];
        uint64_t    nNextImage = 0;
        const CSpan indirect(next, FS_BLOCK);
        if (nBlock == 0xFFFFFFFF || !partitions.ReadBlock(nRef, nBlock + 1, next, &nNextImage, &why) ||
            !CheckUdfTag(indirect, UDF_TAG_INDIRECT, nBlock + 1, &why) || (indirect.Le32(36) & 0x3FFFFFFF) == 0)
            return 1;
        nBlock = indirect.Le32(40);
        nRef = indirect.Le16(44);
    }
}

} // namespace

int ReadUdfEntry(const CUdfPartitions& partitions, uint16_t nRef, uint32_t nBlock, const std::string& what,
                 FsBudget& budget, UdfEntry* pEntry, std::string* pError)
{
    *pEntry = UdfEntry();
    uint8_t   bytes[FS_BLOCK];
    const int nIcb = ReadIcb(partitions, nRef, nBlock, what, bytes, pEntry, pError);
    if (nIcb != 1)
        return nIcb;
    const CSpan    block(bytes, FS_BLOCK);
    const bool     bExtended = UdfTagId(block) == UDF_TAG_EXTENDED_FILE_ENTRY;
    const size_t   cbFixed = bExtended ? EFE_FIXED : FE_FIXED;
    const uint64_t cbAttributes = block.Le32(bExtended ? 208 : 168);
    const uint64_t cbDescriptors = block.Le32(bExtended ? 212 : 172);
    if (cbAttributes > FS_BLOCK - cbFixed || cbDescriptors > FS_BLOCK - cbFixed - cbAttributes)
    {
        *pError = what + At(pEntry->nImageBlock) + " has attributes or allocation descriptors past its end";
        return 0;
    }
    pEntry->nFileType = block.U8(27);
    pEntry->cbSize = block.Le64(56);
    // A folder past the limit is refused before its descriptors are gathered.
    if (pEntry->nFileType == UDF_FILE_TYPE_FOLDER && pEntry->cbSize > FS_MAX_FOLDER_BYTES)
    {
        *pError = what + At(pEntry->nImageBlock) + " is a folder of " + std::to_string(pEntry->cbSize) +
                  " bytes, more than " + std::to_string(FS_MAX_FOLDER_BYTES);
        return 0;
    }
    const size_t   nDescriptors = cbFixed + static_cast<size_t>(cbAttributes);
    const unsigned nKind = block.Le16(34) & 7;
    if (nKind == 3)
    {
        if (pEntry->cbSize > cbDescriptors)
        {
            *pError = what + At(pEntry->nImageBlock) + " holds " + std::to_string(cbDescriptors) +
                      " bytes inside it for a file of " + std::to_string(pEntry->cbSize);
            return 0;
        }
        pEntry->bEmbedded = true;
        pEntry->nEmbeddedOffset = pEntry->nImageBlock * FS_BLOCK + nDescriptors;
        return 1;
    }
    if (nKind > 3)
    {
        *pError = what + At(pEntry->nImageBlock) + " has allocation descriptors of unknown kind " + std::to_string(nKind);
        return 0;
    }
    CAllocation allocation(partitions, budget, what, pEntry);
    return allocation.Gather(block.Sub(nDescriptors, static_cast<size_t>(cbDescriptors)), nKind, pError);
}

int MapUdfEntry(const CUdfPartitions& partitions, const UdfEntry& entry, const std::string& what,
                std::vector<FsExtent>* pPieces, std::string* pError)
{
    if (entry.bEmbedded)
    {
        if (entry.cbSize)
        {
            FsExtent piece;
            piece.nOffset = entry.nEmbeddedOffset;
            piece.cbLength = entry.cbSize;
            pPieces->push_back(piece);
        }
        return 1;
    }
    for (const UdfAd& ad : entry.ads)
    {
        std::string why;
        if (!ad.bRecorded)
        {
            FsExtent zeros;
            zeros.cbLength = ad.cbLength;
            zeros.bZeros = true;
            pPieces->push_back(zeros);
        }
        else if (!partitions.Map(ad.nRef, ad.nBlock, ad.cbLength, pPieces, &why))
        {
            *pError = what + At(entry.nImageBlock) + " has an extent that " + why;
            return 0;
        }
    }
    return 1;
}
