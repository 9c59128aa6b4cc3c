// The sparing table of a sparable partition (rewritable discs): packets of
// the partition moved elsewhere on the disc when their blocks went bad.
#include <string.h>

#include "discfs/Limits.h"
#include "discfs/Span.h"
#include "discfs/UdfPartition.h"
#include "discfs/UdfTag.h"

namespace {

const size_t   TABLE_ENTRIES = 56; // where a sparing table's entries start
const size_t   MAX_TABLE_BYTES = TABLE_ENTRIES + 65535 * 8;
const uint32_t FIRST_UNUSED = 0xFFFFFFF0; // original locations from here on: free or defective

// Checks the table read at block nBlock and gives its runs.
int TakeTable(CSpan table, uint32_t nBlock, uint32_t nPacket, const UdfPartitionDescriptor& partition,
              std::vector<UdfRun>* pRuns, std::string* pWhy)
{
    if (!CheckUdfTag(table, UDF_TAG_SPARING_TABLE, nBlock, pWhy))
        return 0;
    if (memcmp(table.Data() + 17, "*UDF Sparing Table", 18) != 0)
    {
        *pWhy = "is no sparing table (its identifier)";
        return 0;
    }
    const size_t nEntries = table.Le16(48);
    if (!table.Has(TABLE_ENTRIES, nEntries * 8))
    {
        *pWhy = "has entries past its end";
        return 0;
    }
    pRuns->clear();
    uint64_t nNext = 0; // the partition's first block not yet in a run
    for (size_t i = 0; i < nEntries; ++i)
    {
        const uint32_t nOriginal = table.Le32(TABLE_ENTRIES + 8 * i);
        const uint32_t nMapped = table.Le32(TABLE_ENTRIES + 8 * i + 4);
        if (nOriginal >= FIRST_UNUSED)
            continue;
        // The entries are sorted by the packet they move, each a whole
        // packet inside the partition.
        if (nOriginal % nPacket || nOriginal < nNext || static_cast<uint64_t>(nOriginal) + nPacket > partition.nLength)
        {
            *pWhy = "has a damaged entry (number " + std::to_string(i) + ")";
            return 0;
        }
        UdfRun run;
        if (nOriginal > nNext)
        {
            run.nFirst = static_cast<uint32_t>(nNext);
            run.nCount = static_cast<uint32_t>(nOriginal - nNext);
            run.nImageBlock = partition.nStart + nNext;
            pRuns->push_back(run);
        }
        run.nFirst = nOriginal;
        run.nCount = nPacket;
        run.nImageBlock = nMapped;
        pRuns->push_back(run);
        nNext = static_cast<uint64_t>(nOriginal) + nPacket;
    }
    if (nNext < partition.nLength)
    {
        UdfRun run;
        run.nFirst = static_cast<uint32_t>(nNext);
        run.nCount = static_cast<uint32_t>(partition.nLength - nNext);
        run.nImageBlock = partition.nStart + nNext;
        pRuns->push_back(run);
    }
    return 1;
}

} // namespace

int ReadSparingRuns(const CImageReader& image, const UdfPartitionMap& map, const UdfPartitionDescriptor& partition,
                    std::vector<UdfRun>* pRuns, std::string* pWhy)
{
    const CSpan    fields(map.bytes, sizeof(map.bytes));
    const uint32_t nPacket = fields.Le16(40);
    const unsigned nTables = fields.U8(42);
    const uint64_t cbTable = fields.Le32(44);
    if (nPacket == 0 || nTables == 0 || nTables > 4 || cbTable < TABLE_ENTRIES)
    {
        *pWhy = "the UDF sparable partition's map is damaged";
        return 0;
    }
    // The copies of the table, the first usable one read.
    std::vector<uint8_t> bytes(static_cast<size_t>(cbTable < MAX_TABLE_BYTES ? cbTable : MAX_TABLE_BYTES));
    std::string          firstWhy;
    for (unsigned i = 0; i < nTables; ++i)
    {
        const uint32_t nBlock = fields.Le32(48 + 4 * i);
        std::string    why;
        if (!image.Read(static_cast<uint64_t>(nBlock) * FS_BLOCK, bytes.size(), bytes.data()))
            why = "lies past the image's end";
        else if (TakeTable(CSpan(bytes.data(), bytes.size()), nBlock, nPacket, partition, pRuns, &why))
            return 1;
        if (firstWhy.empty())
            firstWhy = "the UDF sparing table at block " + std::to_string(nBlock) + " " + why;
    }
    *pWhy = firstWhy + (nTables > 1 ? " (and no copy of it is usable)" : "");
    return 0;
}
