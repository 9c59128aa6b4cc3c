#include "discplan/image/IsoVolume.h"

#include <string.h>

#include <set>
#include <vector>

namespace {

const uint32_t FIRST_DESCRIPTOR = 16;
const uint32_t MAX_DESCRIPTORS = 64;
const uint32_t MAX_FOLDER_BYTES = 16 * 1024 * 1024;

std::string Block(uint32_t nBlock) { return "block " + std::to_string(nBlock); }

// Joliet's escape sequences for UCS-2 levels 1 to 3.
bool IsJolietEscape(const uint8_t* p)
{
    return p[0] == '%' && p[1] == '/' && (p[2] == '@' || p[2] == 'C' || p[2] == 'E');
}

uint32_t BlocksOf(uint64_t cb) { return static_cast<uint32_t>((cb + CD_BLOCK - 1) / CD_BLOCK); }

bool ExtentInImage(const CImageFile& image, uint32_t nBlock, uint64_t cb)
{
    return cb == 0 || static_cast<uint64_t>(nBlock) + BlocksOf(cb) <= image.Blocks();
}

} // namespace

int ReadIsoVolume(const CImageFile& image, IsoVolumeInfo* pInfo, std::string* pProblem)
{
    *pInfo = IsoVolumeInfo();
    uint8_t block[CD_BLOCK];
    for (uint32_t n = FIRST_DESCRIPTOR; n < FIRST_DESCRIPTOR + MAX_DESCRIPTORS; ++n)
    {
        if (!image.ReadBlock(n, block) || memcmp(block + 1, "CD001", 5) != 0)
            break;
        uint8_t type = block[0];
        if (type == 255)
            break;
        // The root directory record sits in the descriptor at offset 156.
        const uint8_t* pRoot = block + 156;
        if (type == 1 && !pInfo->bIso9660)
        {
            pInfo->bIso9660 = true;
            pInfo->nVolumeBlocks = Le32(block + 80);
            pInfo->nRootBlock = Le32(pRoot + 2);
            pInfo->cbRoot = Le32(pRoot + 10);
        }
        else if (type == 2 && !pInfo->bJoliet && IsJolietEscape(block + 88))
        {
            pInfo->bJoliet = true;
            pInfo->nJolietRootBlock = Le32(pRoot + 2);
            pInfo->cbJolietRoot = Le32(pRoot + 10);
        }
    }
    if (pInfo->bJoliet && !pInfo->bIso9660)
    {
        *pProblem = "a Joliet volume descriptor without a primary one";
        return 0;
    }
    return 1;
}

int CheckIsoDirectories(const CImageFile& image, uint32_t nRootBlock, uint32_t cbRoot, const char* szTree,
                        std::string* pProblem)
{
    struct Folder
    {
        uint32_t nBlock, cbSize;
        int      nDepth;
    };
    std::vector<Folder> pending = {{nRootBlock, cbRoot, 0}};
    std::set<uint32_t>  seen = {nRootBlock};
    size_t              nEntries = 0;
    std::string         tree = szTree;
    uint8_t             block[CD_BLOCK];
    while (!pending.empty())
    {
        Folder folder = pending.back();
        pending.pop_back();
        if (folder.cbSize == 0 || folder.cbSize > MAX_FOLDER_BYTES || !ExtentInImage(image, folder.nBlock, folder.cbSize))
        {
            *pProblem = "the " + tree + " folder at " + Block(folder.nBlock) + " has a length of " +
                        std::to_string(folder.cbSize) + " bytes, out of the image's range";
            return 0;
        }
        for (uint32_t b = 0; b < BlocksOf(folder.cbSize); ++b)
        {
            uint32_t nBlock = folder.nBlock + b;
            if (!image.ReadBlock(nBlock, block))
            {
                *pProblem = "the " + tree + " folder at " + Block(nBlock) + " cannot be read";
                return 0;
            }
            size_t cbUsed = folder.cbSize - static_cast<size_t>(b) * CD_BLOCK;
            if (cbUsed > CD_BLOCK)
                cbUsed = CD_BLOCK;
            // Records never span a block: a zero length ends the block's records.
            for (size_t p = 0; p < cbUsed && block[p] != 0;)
            {
                size_t  cbRecord = block[p];
                uint8_t cbName = p + 32 < cbUsed ? block[p + 32] : 0;
                if (cbRecord < 34 || p + cbRecord > cbUsed || 33u + cbName > cbRecord || cbName == 0)
                {
                    *pProblem = "a " + tree + " directory record at " + Block(nBlock) + " offset " +
                                std::to_string(p) + " is damaged";
                    return 0;
                }
                const uint8_t* pRecord = block + p;
                p += cbRecord;
                // The folder's own and its parent's records. Readers take a
                // folder's extent from its own record as well as from its
                // parent's: the two must agree, or the library walks blocks
                // this check has not seen.
                if (cbName == 1 && pRecord[33] <= 1)
                {
                    if (pRecord[33] == 0 && (Le32(pRecord + 2) + pRecord[1] != folder.nBlock || Le32(pRecord + 10) != folder.cbSize))
                    {
                        *pProblem = "the " + tree + " folder at " + Block(folder.nBlock) +
                                    " records another extent for itself than its parent does";
                        return 0;
                    }
                    continue;
                }
                if (++nEntries > MAX_ENTRIES)
                {
                    *pProblem = "the " + tree + " tree has more than " + std::to_string(MAX_ENTRIES) + " entries";
                    return 0;
                }
                // The extended attribute record, when there is one, comes before the data.
                uint32_t nExtent = Le32(pRecord + 2) + pRecord[1];
                uint32_t cbData = Le32(pRecord + 10);
                if (!(pRecord[25] & 2))
                {
                    if (!ExtentInImage(image, nExtent, cbData))
                    {
                        *pProblem = "a " + tree + " file at " + Block(nExtent) + " lies past the end of the image";
                        return 0;
                    }
                    continue;
                }
                if (!seen.insert(nExtent).second)
                {
                    *pProblem = "the " + tree + " folder at " + Block(nExtent) +
                                " is recorded more than once (the directory records loop)";
                    return 0;
                }
                if (folder.nDepth + 1 > MAX_FOLDER_DEPTH)
                {
                    *pProblem = "the " + tree + " folders nest deeper than " + std::to_string(MAX_FOLDER_DEPTH) + " levels";
                    return 0;
                }
                pending.push_back({nExtent, cbData, folder.nDepth + 1});
            }
        }
    }
    return 1;
}
