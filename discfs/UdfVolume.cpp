#include "discfs/UdfVolume.h"

#include <string.h>

#include <set>

#include "discfs/Limits.h"
#include "discfs/Span.h"
#include "discfs/UdfTag.h"

namespace {

// A volume descriptor sequence is 16 blocks or so; pointers may chain a
// few sequence extents, each followed once.
const int      MAX_SEQUENCE_DESCRIPTORS = 1024;
const int      MAX_SEQUENCE_EXTENTS = 16;
const size_t   LVD_MAPS = 440; // where the logical volume descriptor's partition maps start

std::string At(uint64_t nBlock) { return " at block " + std::to_string(nBlock); }

uint64_t BlocksOf(uint64_t cb) { return (cb + FS_BLOCK - 1) / FS_BLOCK; }

// What one volume descriptor sequence gives: the prevailing logical volume
// descriptor and partition descriptors (highest sequence number each).
struct CSequence
{
    bool     bLogicalVolume = false;
    uint32_t nLogicalVolumeNumber = 0;
    uint32_t nLogicalVolumeBlock = 0;
    uint8_t  logicalVolume[FS_BLOCK] = {};
    std::vector<std::pair<uint32_t, UdfPartitionDescriptor>> partitions; // sequence number, descriptor
};

void TakePartition(CSpan block, CSequence* pSequence)
{
    UdfPartitionDescriptor partition;
    partition.nNumber = block.Le16(22);
    partition.nStart = block.Le32(188);
    partition.nLength = block.Le32(192);
    const uint32_t nNumber = block.Le32(16);
    for (auto& known : pSequence->partitions)
    {
        if (known.second.nNumber == partition.nNumber)
        {
            if (nNumber > known.first)
                known = {nNumber, partition};
            return;
        }
    }
    pSequence->partitions.push_back({nNumber, partition});
}

// Reads the sequence whose first extent is cbLength bytes at nBlock. 1, or
// 0 with *pWhy, a whole phrase ("the UDF partition descriptor at block 98
// has a bad CRC").
int ReadSequence(const CImageReader& image, uint32_t nBlock, uint32_t cbLength, CSequence* pSequence, std::string* pWhy)
{
    uint64_t           n = nBlock;
    uint64_t           nEnd = n + BlocksOf(cbLength);
    std::set<uint64_t> extents = {n};
    uint8_t            bytes[FS_BLOCK];
    const CSpan        block(bytes, sizeof(bytes));
    for (int nCount = 0; n < nEnd; ++nCount)
    {
        if (nCount == MAX_SEQUENCE_DESCRIPTORS)
        {
            *pWhy = "the UDF volume descriptor sequence" + At(nBlock) + " holds more than " +
                    std::to_string(MAX_SEQUENCE_DESCRIPTORS) + " descriptors";
            return 0;
        }
        if (!image.Read(n * FS_BLOCK, FS_BLOCK, bytes))
        {
            *pWhy = "the UDF volume descriptor sequence" + At(nBlock) + " runs past the image's end";
            return 0;
        }
        // An unrecorded block ends a sequence as a terminating descriptor does.
        if (IsBlankUdfTag(block))
            return 1;
        const uint16_t nId = UdfTagId(block);
        std::string    why;
        if (nId < UDF_TAG_PRIMARY || nId > UDF_TAG_TERMINATOR || nId == UDF_TAG_ANCHOR ||
            !CheckUdfTag(block, nId, static_cast<uint32_t>(n), &why))
        {
            *pWhy = "the UDF " + std::string(UdfTagName(nId)) + At(n) + " in the volume descriptor sequence " +
                    (why.empty() ? "is out of place" : why);
            return 0;
        }
        if (nId == UDF_TAG_TERMINATOR)
            return 1;
        if (nId == UDF_TAG_POINTER)
        {
            const uint64_t nNext = block.Le32(24);
            if (!extents.insert(nNext).second || extents.size() > MAX_SEQUENCE_EXTENTS)
            {
                *pWhy = "the UDF volume descriptor pointer" + At(n) + " leads to an extent met before (a loop)";
                return 0;
            }
            n = nNext;
            nEnd = n + BlocksOf(block.Le32(20));
            continue;
        }
        if (nId == UDF_TAG_LOGICAL_VOLUME)
        {
            const uint32_t nNumber = block.Le32(16);
            if (!pSequence->bLogicalVolume || nNumber > pSequence->nLogicalVolumeNumber)
            {
                pSequence->bLogicalVolume = true;
                pSequence->nLogicalVolumeNumber = nNumber;
                pSequence->nLogicalVolumeBlock = static_cast<uint32_t>(n);
                memcpy(pSequence->logicalVolume, bytes, FS_BLOCK);
            }
        }
        else if (nId == UDF_TAG_PARTITION)
            TakePartition(block, pSequence);
        ++n;
    }
    return 1;
}

// The logical volume descriptor's fields and partition maps into *pInfo.
int TakeLogicalVolume(const CSequence& sequence, UdfVolumeInfo* pInfo, std::string* pWhy)
{
    const CSpan       lvd(sequence.logicalVolume, FS_BLOCK);
    const std::string what = "the UDF logical volume descriptor" + At(sequence.nLogicalVolumeBlock);
    pInfo->nLogicalVolumeBlock = sequence.nLogicalVolumeBlock;
    for (const auto& partition : sequence.partitions)
        pInfo->partitions.push_back(partition.second);
    if (lvd.Le32(212) != FS_BLOCK)
    {
        *pWhy = what + " has blocks of " + std::to_string(lvd.Le32(212)) + " bytes, not the 2048 of a disc";
        return 0;
    }
    pInfo->bOsta = memcmp(lvd.Data() + 217, "*OSTA UDF Compliant", 19) == 0;
    pInfo->nRevision = pInfo->bOsta ? lvd.Le16(240) : 0;
    pInfo->fileSet.cbLength = lvd.Le32(248) & 0x3FFFFFFF;
    pInfo->fileSet.nBlock = lvd.Le32(252);
    pInfo->fileSet.nRef = lvd.Le16(256);
    const uint64_t cbMaps = lvd.Le32(264);
    const uint32_t nMaps = lvd.Le32(268);
    if (cbMaps > FS_BLOCK - LVD_MAPS)
    {
        *pWhy = what + " has partition maps past its end";
        return 0;
    }
    const CSpan maps = lvd.Sub(LVD_MAPS, static_cast<size_t>(cbMaps));
    size_t      p = 0;
    for (uint32_t i = 0; i < nMaps; ++i)
    {
        const uint8_t nType = maps.U8(p), cbMap = maps.U8(p + 1);
        if (!maps.Has(p, 2) || (!(nType == 1 && cbMap == 6) && !(nType == 2 && cbMap == 64)) || !maps.Has(p, cbMap))
        {
            *pWhy = what + " has a damaged partition map (number " + std::to_string(i) + ")";
            return 0;
        }
        UdfPartitionMap map;
        memcpy(map.bytes, maps.Data() + p, cbMap);
        const CSpan recorded(map.bytes, cbMap);
        if (nType == 1)
        {
            map.kind = UdfMapKind::Physical;
            map.nPartition = recorded.Le16(4);
        }
        else
        {
            const char* szId = reinterpret_cast<const char*>(map.bytes + 5);
            map.kind = memcmp(szId, "*UDF Sparable Partition", 23) == 0   ? UdfMapKind::Sparable
                     : memcmp(szId, "*UDF Metadata Partition", 23) == 0   ? UdfMapKind::Metadata
                     : memcmp(szId, "*UDF Virtual Partition", 22) == 0    ? UdfMapKind::Virtual
                                                                          : UdfMapKind::Unknown;
            map.nPartition = recorded.Le16(38);
        }
        if (!pInfo->Partition(map.nPartition))
        {
            *pWhy = what + " maps partition " + std::to_string(map.nPartition) + ", which no partition descriptor describes";
            return 0;
        }
        pInfo->maps.push_back(map);
        p += cbMap;
    }
    if (pInfo->maps.empty() || pInfo->fileSet.nRef >= pInfo->maps.size())
    {
        *pWhy = what + (pInfo->maps.empty() ? " has no partition map" : " puts the file set in a partition it does not map");
        return 0;
    }
    return 1;
}

int UseSequence(const CImageReader& image, uint32_t nBlock, uint32_t cbLength, UdfVolumeInfo* pInfo, std::string* pWhy)
{
    CSequence sequence;
    if (!ReadSequence(image, nBlock, cbLength, &sequence, pWhy))
        return 0;
    if (!sequence.bLogicalVolume)
    {
        *pWhy = "the UDF volume descriptor sequence" + At(nBlock) + " has no logical volume descriptor";
        return 0;
    }
    const UdfVolumeInfo empty = *pInfo;
    if (!TakeLogicalVolume(sequence, pInfo, pWhy))
    {
        *pInfo = empty;
        return 0;
    }
    return 1;
}

} // namespace

const UdfPartitionDescriptor* UdfVolumeInfo::Partition(uint16_t nNumber) const
{
    for (const UdfPartitionDescriptor& partition : partitions)
    {
        if (partition.nNumber == nNumber)
            return &partition;
    }
    return nullptr;
}

int FindUdfVolume(const CImageReader& image, UdfVolumeInfo* pInfo, std::string* pError)
{
    *pInfo = UdfVolumeInfo();
    if (!HasUdfNsrDescriptor(image))
        return 1;
    // The anchor at block 256, else at N-256, else at N-1 (N the image's
    // blocks), in the order ECMA-167 gives; which of them Windows reads is
    // not documented. A closed disc has two of them.
    const uint64_t nBlocks = image.Size() / FS_BLOCK;
    uint8_t        anchor[FS_BLOCK];
    uint64_t       nAnchor = 0;
    for (uint64_t n : {uint64_t(256), nBlocks - 256, nBlocks - 1})
    {
        std::string why;
        if (nAnchor == 0 && n >= 256 && n < nBlocks && n <= 0xFFFFFFFF && image.Read(n * FS_BLOCK, FS_BLOCK, anchor) &&
            CheckUdfTag(CSpan(anchor, FS_BLOCK), UDF_TAG_ANCHOR, static_cast<uint32_t>(n), &why))
            nAnchor = n;
    }
    if (!nAnchor)
    {
        const int cbBlock = UdfOtherBlockSize(image);
        *pError = cbBlock ? "the UDF volume has blocks of " + std::to_string(cbBlock) + " bytes, not the 2048 of a disc"
                          : "the UDF volume has no anchor at block 256, N-256 or N-1 (N = " +
                                std::to_string(nBlocks) + " blocks)";
        return 0;
    }
    pInfo->bPresent = true;
    // The main sequence, and the reserve one only when the main one is
    // damaged or lacks what the volume needs; ECMA-167 allows either and
    // what Windows does is not documented.
    const CSpan span(anchor, FS_BLOCK);
    std::string whyMain, whyReserve;
    if (UseSequence(image, span.Le32(20), span.Le32(16), pInfo, &whyMain) ||
        UseSequence(image, span.Le32(28), span.Le32(24), pInfo, &whyReserve))
        return 1;
    *pError = whyMain + " (the reserve sequence: " + whyReserve + ")";
    return 0;
}
