// Partitions recorded as a file in another partition: the metadata
// partition of UDF 2.50 on (its blocks are the metadata file's), and the
// virtual partition of a disc written in increments (its blocks are listed
// by the virtual allocation table, the VAT, recorded last).
#include <string.h>

#include "discfs/Limits.h"
#include "discfs/Span.h"
#include "discfs/UdfFiles.h"
#include "discfs/UdfPartition.h"
#include "discfs/UdfTag.h"

namespace {

// How far back from the image's end the VAT is looked for over unrecorded
// (zero) blocks: an image of a disc not closed may be padded with them.
const uint64_t MAX_VAT_SEARCH = 16384;
const uint64_t MAX_VAT_BYTES = 4 * 1024 * 1024; // a million blocks
const size_t   VAT_HEADER = 152;                // the fixed part of a 2.00 VAT's header
const size_t   VAT_150_TRAILER = 36;            // a 1.50 VAT's identifier and previous VAT

// Joins the last run to the one before when it goes on from it.
void JoinLast(std::vector<UdfRun>* pRuns)
{
    const size_t n = pRuns->size();
    if (n < 2)
        return;
    UdfRun&       last = (*pRuns)[n - 2];
    const UdfRun& run = (*pRuns)[n - 1];
    if (static_cast<uint64_t>(last.nFirst) + last.nCount == run.nFirst && last.nImageBlock + last.nCount == run.nImageBlock)
    {
        last.nCount += run.nCount;
        pRuns->pop_back();
    }
}

// The runs of the metadata partition from the extents of one of its files.
int TakeMetadataFile(const CUdfPartitions& partitions, const UdfEntry& entry, FsBudget& budget,
                     std::vector<UdfRun>* pRuns, uint32_t* pnLength, std::string* pWhy)
{
    if (entry.bEmbedded)
    {
        *pWhy = "is recorded inside its entry";
        return 0;
    }
    uint64_t nFirst = 0;
    for (const UdfAd& ad : entry.ads)
    {
        const uint64_t nCount = (ad.cbLength + FS_BLOCK - 1) / FS_BLOCK;
        if (nFirst + nCount > 0xFFFFFFFF)
        {
            *pWhy = "is longer than a partition can be";
            return 0;
        }
        if (ad.bRecorded && !partitions.MapRuns(ad.nRef, ad.nBlock, static_cast<uint32_t>(nCount),
                                                static_cast<uint32_t>(nFirst), pRuns, pWhy))
            return 0;
        nFirst += nCount;
    }
    // Blocks past the image make the file unusable here, so that the
    // mirror is tried, rather than when a folder is read through them.
    const uint64_t nImageBlocks = partitions.Image().Size() / FS_BLOCK;
    for (const UdfRun& run : *pRuns)
    {
        if (run.nImageBlock > nImageBlocks || run.nCount > nImageBlocks - run.nImageBlock)
        {
            *pWhy = "has an extent past the image's end (block " + std::to_string(run.nImageBlock) + ")";
            return 0;
        }
    }
    *pnLength = static_cast<uint32_t>(nFirst);
    return budget.TakeExtents(pRuns->size(), pWhy);
}

} // namespace

int ReadMetadataRuns(const CUdfPartitions& partitions, uint16_t nRef, const UdfPartitionMap& map, FsBudget& budget,
                     std::vector<UdfRun>* pRuns, uint32_t* pnLength, std::string* pWhy)
{
    const CSpan fields(map.bytes, sizeof(map.bytes));
    std::string firstWhy;
    // The metadata file, else its mirror, which holds the same blocks.
    for (int nCopy = 0; nCopy < 2; ++nCopy)
    {
        const uint32_t    nBlock = fields.Le32(nCopy == 0 ? 40 : 44);
        const uint8_t     nType = nCopy == 0 ? UDF_FILE_TYPE_METADATA : UDF_FILE_TYPE_METADATA_MIRROR;
        const std::string what = nCopy == 0 ? "the UDF metadata file" : "the UDF metadata mirror file";
        UdfEntry          entry;
        std::string       why;
        pRuns->clear();
        if (ReadUdfEntry(partitions, nRef, nBlock, what, budget, &entry, &why) == 1)
        {
            if (entry.nFileType != nType)
                why = what + " at block " + std::to_string(entry.nImageBlock) + " is of file type " +
                      std::to_string(entry.nFileType);
            else if (TakeMetadataFile(partitions, entry, budget, pRuns, pnLength, &why))
                return 1;
            else
                why = what + " at block " + std::to_string(entry.nImageBlock) + " " + why;
        }
        if (firstWhy.empty())
            firstWhy = why;
    }
    *pWhy = firstWhy + " (and its mirror is no better)";
    return 0;
}

int ReadVatRuns(const CUdfPartitions& partitions, uint16_t nRef, uint32_t nStart, unsigned nRevision, FsBudget& budget,
                std::vector<UdfRun>* pRuns, uint32_t* pnLength, std::string* pWhy)
{
    const CImageReader& image = partitions.Image();
    // The last recorded block: back over unrecorded blocks and over the
    // anchor a closed disc ends with.
    uint8_t  block[FS_BLOCK];
    uint64_t nLast = image.Size() / FS_BLOCK;
    bool     bFound = false;
    for (uint64_t nStep = 0; nStep < MAX_VAT_SEARCH && nLast > nStart && !bFound; ++nStep)
    {
        --nLast;
        if (!image.Read(nLast * FS_BLOCK, FS_BLOCK, block))
            break;
        const CSpan span(block, FS_BLOCK);
        bFound = !IsBlankUdfTag(span) && UdfTagId(span) != UDF_TAG_ANCHOR;
    }
    const std::string notRead = "a virtual partition (VAT) is not read: ";
    if (!bFound || nLast - nStart > 0xFFFFFFFF)
    {
        *pWhy = notRead + "no block is recorded near the image's end";
        return UDF_NOT_READ;
    }
    UdfEntry          entry;
    std::string       why;
    const std::string what = "the last recorded block";
    if (ReadUdfEntry(partitions, nRef, static_cast<uint32_t>(nLast - nStart), what, budget, &entry, &why) != 1 ||
        (nRevision >= 0x0200 ? entry.nFileType != UDF_FILE_TYPE_VAT : entry.nFileType != UDF_FILE_TYPE_UNSPECIFIED))
    {
        *pWhy = notRead + (why.empty() ? what + " (" + std::to_string(nLast) + ") is no VAT file entry" : why);
        return UDF_NOT_READ;
    }
    const std::string vat = "the UDF VAT at block " + std::to_string(nLast);
    std::vector<FsExtent> pieces;
    if (entry.cbSize > MAX_VAT_BYTES || !MapUdfEntry(partitions, entry, vat, &pieces, pWhy))
    {
        if (entry.cbSize > MAX_VAT_BYTES)
            *pWhy = vat + " is longer than " + std::to_string(MAX_VAT_BYTES) + " bytes";
        return 0;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(entry.cbSize));
    size_t               nAt = 0;
    for (const FsExtent& piece : pieces)
    {
        if (piece.cbLength > bytes.size() - nAt ||
            (!piece.bZeros && !image.Read(piece.nOffset, static_cast<size_t>(piece.cbLength), bytes.data() + nAt)))
        {
            *pWhy = vat + " lies past the image's end";
            return 0;
        }
        nAt += static_cast<size_t>(piece.cbLength);
    }
    // 2.00 on: a header, then the entries. 1.50: the entries, then the
    // table's identifier and the previous VAT's place.
    const CSpan table(bytes.data(), bytes.size());
    size_t      nFirst = 0, nEnd = bytes.size();
    if (nRevision >= 0x0200)
    {
        nFirst = table.Le16(0);
        if (nFirst < VAT_HEADER || nFirst > nEnd)
        {
            *pWhy = vat + " has a damaged header";
            return 0;
        }
    }
    else if (nEnd < VAT_150_TRAILER || memcmp(bytes.data() + nEnd - VAT_150_TRAILER + 1, "*UDF Virtual Alloc Tbl", 22) != 0)
    {
        *pWhy = notRead + "the last recorded block (" + std::to_string(nLast) + ") is no 1.50 VAT";
        return UDF_NOT_READ;
    }
    else
        nEnd -= VAT_150_TRAILER;
    const size_t nEntries = (nEnd - nFirst) / 4;
    for (size_t i = 0; i < nEntries; ++i)
    {
        const uint32_t nBlock = table.Le32(nFirst + 4 * i);
        if (nBlock == 0xFFFFFFFF)
            continue;
        if (!partitions.MapRuns(nRef, nBlock, 1, static_cast<uint32_t>(i), pRuns, &why))
        {
            *pWhy = vat + " maps block " + std::to_string(i) + " to a block that " + why;
            return 0;
        }
        JoinLast(pRuns);
    }
    *pnLength = static_cast<uint32_t>(nEntries);
    return budget.TakeExtents(pRuns->size(), pWhy);
}
