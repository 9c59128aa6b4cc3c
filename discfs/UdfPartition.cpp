#include "discfs/UdfPartition.h"

#include <algorithm>

#include "discfs/Limits.h"
#include "discfs/UdfTag.h"

namespace {

void AppendPiece(const FsExtent& piece, std::vector<FsExtent>* pPieces)
{
    if (!pPieces->empty())
    {
        FsExtent& last = pPieces->back();
        if (last.bZeros == piece.bZeros && (piece.bZeros || last.nOffset + last.cbLength == piece.nOffset))
        {
            last.cbLength += piece.cbLength;
            return;
        }
    }
    pPieces->push_back(piece);
}

std::string MapName(const UdfPartitionMap& map)
{
    if (map.kind != UdfMapKind::Unknown)
        return "";
    std::string name;
    for (size_t i = 5; i < 28 && map.bytes[i]; ++i)
        name += map.bytes[i] >= 0x20 && map.bytes[i] < 0x7F ? static_cast<char>(map.bytes[i]) : '?';
    return name;
}

} // namespace

int CUdfPartitions::PhysicalRef(const UdfVolumeInfo& volume, uint16_t nNumber) const
{
    for (size_t i = 0; i < volume.maps.size() && i < m_partitions.size(); ++i)
    {
        const CPartition& partition = m_partitions[i];
        if (volume.maps[i].nPartition == nNumber && partition.bReady &&
            (partition.kind == UdfMapKind::Physical || partition.kind == UdfMapKind::Sparable))
            return static_cast<int>(i);
    }
    return -1;
}

int CUdfPartitions::Init(const UdfVolumeInfo& volume, FsBudget& budget, std::string* pError)
{
    m_partitions.assign(volume.maps.size(), CPartition());
    // Physical and sparable partitions first: the others are read through them.
    for (size_t i = 0; i < volume.maps.size(); ++i)
    {
        const UdfPartitionMap&        map = volume.maps[i];
        const UdfPartitionDescriptor& descriptor = *volume.Partition(map.nPartition);
        CPartition&                   partition = m_partitions[i];
        partition.kind = map.kind;
        partition.nLength = descriptor.nLength;
        if (map.kind == UdfMapKind::Unknown)
        {
            *pError = "a partition of a kind not read (\"" + MapName(map) + "\")";
            return UDF_NOT_READ;
        }
        if (map.kind == UdfMapKind::Physical)
        {
            UdfRun run;
            run.nCount = descriptor.nLength;
            run.nImageBlock = descriptor.nStart;
            partition.runs.assign(1, run);
            partition.bReady = true;
        }
        else if (map.kind == UdfMapKind::Sparable)
        {
            if (!ReadSparingRuns(m_image, map, descriptor, &partition.runs, pError))
                return 0;
            partition.bReady = true;
        }
    }
    for (size_t i = 0; i < volume.maps.size(); ++i)
    {
        const UdfPartitionMap& map = volume.maps[i];
        if (map.kind != UdfMapKind::Metadata && map.kind != UdfMapKind::Virtual)
            continue;
        const int nRef = PhysicalRef(volume, map.nPartition);
        if (nRef < 0)
        {
            *pError = std::string("a ") + (map.kind == UdfMapKind::Virtual ? "virtual" : "metadata") +
                      " partition over partition " + std::to_string(map.nPartition) + ", which is not physical";
            return UDF_NOT_READ;
        }
        std::vector<UdfRun> runs;
        uint32_t            nLength = 0;
        const int           nRead = map.kind == UdfMapKind::Metadata
                                      ? ReadMetadataRuns(*this, static_cast<uint16_t>(nRef), map, budget, &runs, &nLength, pError)
                                      : ReadVatRuns(*this, static_cast<uint16_t>(nRef), volume.Partition(map.nPartition)->nStart,
                                                    volume.nRevision, budget, &runs, &nLength, pError);
        if (nRead != 1)
            return nRead;
        m_partitions[i].runs = std::move(runs);
        m_partitions[i].nLength = nLength;
        m_partitions[i].bReady = true;
    }
    return 1;
}

int CUdfPartitions::Find(uint16_t nRef, uint32_t nBlock, uint64_t nCount, std::vector<UdfRun>* pRuns, std::string* pWhy) const
{
    if (nRef >= m_partitions.size() || !m_partitions[nRef].bReady)
    {
        *pWhy = "lies in partition " + std::to_string(nRef) + ", which the volume does not map";
        return 0;
    }
    const CPartition& partition = m_partitions[nRef];
    if (nBlock > partition.nLength || nCount > partition.nLength - nBlock)
    {
        *pWhy = "lies past its partition's end (block " + std::to_string(nBlock) + ", " + std::to_string(nCount) +
                " blocks, of " + std::to_string(partition.nLength) + ")";
        return 0;
    }
    auto it = std::upper_bound(partition.runs.begin(), partition.runs.end(), nBlock,
                               [](uint32_t n, const UdfRun& run) { return n < run.nFirst; });
    if (it != partition.runs.begin())
        --it;
    uint64_t       nAt = nBlock;
    const uint64_t nEnd = nBlock + nCount;
    while (nAt < nEnd)
    {
        if (it != partition.runs.end() && nAt >= static_cast<uint64_t>(it->nFirst) + it->nCount)
        {
            ++it;
            continue;
        }
        if (it == partition.runs.end() || it->nFirst > nAt)
        {
            *pWhy = "lies in block " + std::to_string(nAt) + " of its partition, which is not recorded";
            return 0;
        }
        const uint64_t nSkip = nAt - it->nFirst;
        const uint64_t nTake = std::min<uint64_t>(nEnd - nAt, it->nCount - nSkip);
        UdfRun         run;
        run.nFirst = static_cast<uint32_t>(nAt);
        run.nCount = static_cast<uint32_t>(nTake);
        run.nImageBlock = it->nImageBlock + nSkip;
        pRuns->push_back(run);
        nAt += nTake;
        ++it;
    }
    return 1;
}

int CUdfPartitions::Map(uint16_t nRef, uint32_t nBlock, uint64_t cb, std::vector<FsExtent>* pPieces, std::string* pWhy) const
{
    std::vector<UdfRun> runs;
    if (!Find(nRef, nBlock, (cb + FS_BLOCK - 1) / FS_BLOCK, &runs, pWhy))
        return 0;
    uint64_t cbLeft = cb;
    for (const UdfRun& run : runs)
    {
        FsExtent piece;
        piece.nOffset = run.nImageBlock * FS_BLOCK;
        piece.cbLength = std::min<uint64_t>(cbLeft, static_cast<uint64_t>(run.nCount) * FS_BLOCK);
        if (piece.nOffset > m_image.Size() || piece.cbLength > m_image.Size() - piece.nOffset)
        {
            *pWhy = "lies past the image's end (block " + std::to_string(run.nImageBlock + run.nCount - 1) + ")";
            return 0;
        }
        AppendPiece(piece, pPieces);
        cbLeft -= piece.cbLength;
    }
    return 1;
}

int CUdfPartitions::MapRuns(uint16_t nRef, uint32_t nBlock, uint32_t nCount, uint32_t nFirst, std::vector<UdfRun>* pRuns,
                            std::string* pWhy) const
{
    const size_t nOld = pRuns->size();
    if (!Find(nRef, nBlock, nCount, pRuns, pWhy))
        return 0;
    for (size_t i = nOld; i < pRuns->size(); ++i)
        (*pRuns)[i].nFirst = (*pRuns)[i].nFirst - nBlock + nFirst;
    return 1;
}

int CUdfPartitions::ReadBlock(uint16_t nRef, uint32_t nBlock, uint8_t* pBlock, uint64_t* pnImageBlock, std::string* pWhy) const
{
    std::vector<UdfRun> runs;
    if (!Find(nRef, nBlock, 1, &runs, pWhy))
        return 0;
    *pnImageBlock = runs[0].nImageBlock;
    if (!m_image.Read(runs[0].nImageBlock * FS_BLOCK, FS_BLOCK, pBlock))
    {
        *pWhy = "lies past the image's end (block " + std::to_string(runs[0].nImageBlock) + ")";
        return 0;
    }
    return 1;
}
