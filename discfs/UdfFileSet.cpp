// The file set descriptor sequence: where the root folder's entry is.
#include <set>

#include "discfs/Limits.h"
#include "discfs/Span.h"
#include "discfs/UdfFiles.h"
#include "discfs/UdfTag.h"

namespace {

const int MAX_FILE_SET_BLOCKS = 256;

std::string At(uint64_t nBlock) { return " at block " + std::to_string(nBlock); }

} // namespace

int ReadUdfFileSet(const CUdfPartitions& partitions, const UdfLongAd& fileSet, UdfLongAd* pRoot, std::string* pError)
{
    // The sequence: file set descriptors one block after another, up to a
    // terminating descriptor, an unrecorded block or the extent's end, each
    // perhaps going on at the next extent it names. The descriptor of the
    // highest number prevails.
    uint16_t           nRef = fileSet.nRef;
    uint32_t           nBlock = fileSet.nBlock;
    uint64_t           nLeft = fileSet.cbLength ? (fileSet.cbLength + FS_BLOCK - 1) / FS_BLOCK : 1;
    bool               bFound = false;
    uint32_t           nBest = 0;
    std::set<uint64_t> seen;
    for (int nCount = 0; nLeft > 0; ++nCount)
    {
        uint8_t     bytes[FS_BLOCK];
        uint64_t    nImageBlock = 0;
        std::string why;
        const CSpan block(bytes, FS_BLOCK);
        if (nCount == MAX_FILE_SET_BLOCKS || !seen.insert((static_cast<uint64_t>(nRef) << 32) | nBlock).second)
        {
            *pError = "the UDF file set descriptors go on past " + std::to_string(nCount) + " blocks or loop";
            return 0;
        }
        if (!partitions.ReadBlock(nRef, nBlock, bytes, &nImageBlock, &why))
        {
            *pError = "the UDF file set descriptor " + why;
            return 0;
        }
        if (IsBlankUdfTag(block) || UdfTagId(block) == UDF_TAG_TERMINATOR)
            break;
        if (!CheckUdfTag(block, UDF_TAG_FILE_SET, nBlock, &why))
        {
            *pError = "the UDF file set descriptor" + At(nImageBlock) + " " + why;
            return 0;
        }
        if (!bFound || block.Le32(44) > nBest)
        {
            bFound = true;
            nBest = block.Le32(44);
            pRoot->cbLength = block.Le32(400) & 0x3FFFFFFF;
            pRoot->nBlock = block.Le32(404);
            pRoot->nRef = block.Le16(408);
        }
        const uint32_t cbNext = block.Le32(448) & 0x3FFFFFFF;
        if (cbNext)
        {
            nBlock = block.Le32(452);
            nRef = block.Le16(456);
            nLeft = (cbNext + FS_BLOCK - 1) / FS_BLOCK;
            continue;
        }
        --nLeft;
        ++nBlock;
    }
    if (!bFound)
    {
        *pError = "the UDF volume has no file set descriptor";
        return 0;
    }
    return 1;
}
