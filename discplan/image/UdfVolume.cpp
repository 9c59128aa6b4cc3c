#include "discplan/image/UdfVolume.h"

#include <string.h>

namespace {

// Descriptor tag identifiers (ECMA-167 3/7.2.1, 4/7.2.1).
const uint16_t TAG_PARTITION = 5, TAG_LOGICAL_VOLUME = 6, TAG_TERMINATOR = 8, TAG_ANCHOR = 2, TAG_FILE_SET = 256,
               TAG_FILE_ID = 257, TAG_FILE_ENTRY = 261, TAG_EXTENDED_FILE_ENTRY = 266;
const uint32_t MAX_SEQUENCE_BLOCKS = 256;
const uint64_t MAX_FOLDER_BYTES = 16 * 1024 * 1024;
const size_t   FE_HEADER = 176; // a file entry's fixed part

// The tag's identifier and its checksum, the sum of its other 15 bytes.
bool IsTag(const uint8_t* p, uint16_t nId)
{
    uint8_t sum = 0;
    for (int i = 0; i < 16; ++i)
    {
        if (i != 4)
            sum = static_cast<uint8_t>(sum + p[i]);
    }
    return Le16(p) == nId && sum == p[4];
}

uint64_t BlocksOf(uint64_t cb) { return (cb + CD_BLOCK - 1) / CD_BLOCK; }

bool InImage(const CImageFile& image, uint64_t nBlock, uint64_t cb)
{
    return nBlock + BlocksOf(cb) <= image.Blocks();
}

std::string At(uint32_t nBlock) { return " at block " + std::to_string(nBlock); }

} // namespace

int ReadUdfVolume(const CImageFile& image, UdfVolumeInfo* pInfo, std::string* pProblem)
{
    *pInfo = UdfVolumeInfo();
    uint8_t  block[CD_BLOCK];
    uint32_t nLast = image.Blocks() ? image.Blocks() - 1 : 0;
    uint32_t anchors[] = {256, nLast, nLast >= 256 ? nLast - 256 : 0};
    uint32_t nAnchor = 0;
    for (uint32_t n : anchors)
    {
        if (n >= 256 && image.ReadBlock(n, block) && IsTag(block, TAG_ANCHOR))
        {
            nAnchor = n;
            break;
        }
    }
    if (!nAnchor)
        return 1;
    pInfo->bPresent = true;
    pInfo->bAnchorAt256 = nAnchor == 256;

    // The main volume descriptor sequence (extent at offset 16: length, block).
    uint32_t cbSequence = Le32(block + 16), nSequence = Le32(block + 20);
    if (cbSequence < CD_BLOCK || cbSequence > MAX_SEQUENCE_BLOCKS * CD_BLOCK || !InImage(image, nSequence, cbSequence))
    {
        *pProblem = "the UDF volume descriptor sequence" + At(nSequence) + " is out of the image's range";
        return 0;
    }
    for (uint32_t n = nSequence; n < nSequence + cbSequence / CD_BLOCK; ++n)
    {
        if (!image.ReadBlock(n, block) || IsTag(block, TAG_TERMINATOR))
            break;
        // Domain identifier at 216: flags, "*OSTA UDF Compliant", then the
        // revision in its suffix.
        if (IsTag(block, TAG_LOGICAL_VOLUME) && memcmp(block + 217, "*OSTA UDF Compliant", 19) == 0)
        {
            pInfo->nRevision = Le16(block + 240);
            break;
        }
    }
    // The partition and file set the library settles on: it reads the
    // sequence up to, not including, its last block, each partition
    // descriptor and each logical volume of 2048-byte blocks replacing the
    // one before, until it has both (a partition starting at block 0 counts
    // as none).
    bool     bLogicalVolume = false;
    uint32_t nFileSet = 0;
    for (uint32_t n = nSequence; n < nSequence + (cbSequence - 1) / CD_BLOCK; ++n)
    {
        if (!image.ReadBlock(n, block))
            return 1;
        if (IsTag(block, TAG_PARTITION))
        {
            pInfo->nPartitionStart = Le32(block + 188);
            if (bLogicalVolume)
                break;
        }
        else if (IsTag(block, TAG_LOGICAL_VOLUME) && Le32(block + 212) == CD_BLOCK)
        {
            bLogicalVolume = true;
            nFileSet = Le32(block + 252); // the file set descriptor's long_ad at 248
            if (pInfo->nPartitionStart)
                break;
        }
    }
    if (!bLogicalVolume || !pInfo->nPartitionStart)
        return 1;
    // The file set descriptor names the root folder's file entry (long_ad at 400).
    uint64_t nFileSetBlock = static_cast<uint64_t>(pInfo->nPartitionStart) + nFileSet;
    if (nFileSetBlock >= image.Blocks() || !image.ReadBlock(static_cast<uint32_t>(nFileSetBlock), block) ||
        !IsTag(block, TAG_FILE_SET))
        return 1;
    uint64_t nRoot = static_cast<uint64_t>(pInfo->nPartitionStart) + Le32(block + 404);
    if (nRoot >= image.Blocks())
        return 1;
    pInfo->bRootFound = true;
    pInfo->nRootBlock = static_cast<uint32_t>(nRoot);
    return 1;
}

int CheckUdfFileEntry(const CImageFile& image, const uint8_t* pBlock, uint32_t nBlock, uint32_t nPartitionStart,
                      UdfFileEntry* pEntry, std::string* pProblem)
{
    *pEntry = UdfFileEntry();
    if (IsTag(pBlock, TAG_EXTENDED_FILE_ENTRY))
    {
        *pProblem = "an extended UDF file entry" + At(nBlock) + ", which libudf does not read";
        return UDF_UNSUPPORTED;
    }
    if (!IsTag(pBlock, TAG_FILE_ENTRY))
    {
        *pProblem = "no UDF file entry" + At(nBlock);
        return 0;
    }
    uint32_t cbAttributes = Le32(pBlock + 168), cbDescriptors = Le32(pBlock + 172);
    if (cbAttributes > CD_BLOCK || cbDescriptors > CD_BLOCK || FE_HEADER + cbAttributes + cbDescriptors > CD_BLOCK)
    {
        *pProblem = "the UDF file entry" + At(nBlock) + " is damaged";
        return 0;
    }
    pEntry->bFolder = pBlock[27] == 4; // ICB tag's file type: a directory
    pEntry->cbSize = Le64(pBlock + 56);
    const uint8_t* pDescriptors = pBlock + FE_HEADER + cbAttributes;
    unsigned       nKind = Le16(pBlock + 34) & 7; // short, long, extended or in the entry
    if (nKind == 3)
    {
        if (pEntry->bFolder || pEntry->cbSize > cbDescriptors)
        {
            *pProblem = "the UDF " + std::string(pEntry->bFolder ? "folder" : "file") + At(nBlock) +
                        " is recorded inside its entry, which libudf does not read";
            return pEntry->bFolder ? UDF_UNSUPPORTED : 0;
        }
        pEntry->inlineData.assign(reinterpret_cast<const char*>(pDescriptors), static_cast<size_t>(pEntry->cbSize));
        return 1;
    }
    if (nKind > 1)
    {
        *pProblem = "the UDF file entry" + At(nBlock) + " has extended allocation descriptors, which libudf does not read";
        return UDF_UNSUPPORTED;
    }
    size_t   cbEach = nKind == 0 ? 8 : 16;
    uint64_t cbCovered = 0;
    for (size_t p = 0; p + cbEach <= cbDescriptors; p += cbEach)
    {
        uint32_t nLength = Le32(pDescriptors + p) & 0x3FFFFFFF;
        unsigned nType = Le32(pDescriptors + p) >> 30;
        if (nLength == 0)
            break;
        if (nType == 3)
        {
            *pProblem = "the UDF file entry" + At(nBlock) + " continues its allocation elsewhere, which libudf does not read";
            return UDF_UNSUPPORTED;
        }
        ImageExtent extent;
        uint64_t    nStart = static_cast<uint64_t>(nPartitionStart) + Le32(pDescriptors + p + 4);
        extent.cbLength = nLength;
        extent.bZeros = nType != 0;
        if (!extent.bZeros && !InImage(image, nStart, nLength))
        {
            *pProblem = "the UDF file" + At(nBlock) + " has data past the end of the image";
            return 0;
        }
        extent.nBlock = static_cast<uint32_t>(extent.bZeros ? 0 : nStart);
        pEntry->extents.push_back(extent);
        cbCovered += nLength;
    }
    if (cbCovered < pEntry->cbSize)
    {
        *pProblem = "the UDF file" + At(nBlock) + " is longer than its data";
        return 0;
    }
    if (pEntry->bFolder && pEntry->cbSize > MAX_FOLDER_BYTES)
    {
        *pProblem = "the UDF folder" + At(nBlock) + " is longer than a folder can be";
        return 0;
    }
    if (pEntry->bFolder && (pEntry->extents.empty() || pEntry->extents[0].bZeros ||
                            pEntry->extents[0].cbLength < pEntry->cbSize))
    {
        *pProblem = "the UDF folder" + At(nBlock) + " is not recorded in one extent, which libudf does not read";
        return UDF_UNSUPPORTED;
    }
    return 1;
}

int CheckUdfFolder(const CImageFile& image, const std::string& folder, uint32_t nPartitionStart, size_t* pnCount,
                   std::string* pProblem)
{
    const uint8_t* pBytes = reinterpret_cast<const uint8_t*>(folder.data());
    size_t         cb = folder.size();
    size_t         p = 0;
    *pnCount = 0;
    while (p < cb)
    {
        const uint8_t* pFid = pBytes + p;
        if (cb - p < UDF_FID_HEADER || !IsTag(pFid, TAG_FILE_ID))
        {
            *pProblem = "a UDF folder holds a damaged file identifier at offset " + std::to_string(p);
            return 0;
        }
        size_t cbUsed = UDF_FID_HEADER + Le16(pFid + UDF_FID_IMPL_LENGTH) + pFid[UDF_FID_NAME_LENGTH];
        size_t cbPadded = (cbUsed + 3) / 4 * 4;
        if (cbPadded > cb - p)
        {
            *pProblem = "a UDF file identifier at offset " + std::to_string(p) + " runs past its folder";
            return 0;
        }
        uint64_t nEntry = static_cast<uint64_t>(nPartitionStart) + Le32(pFid + UDF_FID_ICB_BLOCK);
        if (nEntry >= image.Blocks())
        {
            *pProblem = "a UDF file identifier names an entry past the end of the image";
            return 0;
        }
        p += cbPadded;
        ++*pnCount;
    }
    return 1;
}
