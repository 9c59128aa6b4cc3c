#include "discplan/image/UdfTree.h"

#include <string.h>

#include <cdio/logging.h>
#include <cdio/udf.h>

#include <set>

#include "discplan/image/CdNames.h"
#include "discplan/image/IsoVolume.h"

namespace {

void Quiet(cdio_log_level_t, const char*) {}

class CUdf
{
public:
    ~CUdf()
    {
        if (m_p)
            udf_close(m_p);
    }
    udf_t* m_p = nullptr;
};

// A folder being listed; libudf frees it itself when it reaches the end of
// the folder or fails to read on.
class CUdfFolder
{
public:
    explicit CUdfFolder(udf_dirent_t* p) : m_p(p) {}
    ~CUdfFolder()
    {
        if (m_p)
            udf_dirent_free(m_p);
    }
    CUdfFolder(const CUdfFolder&) = delete;
    CUdfFolder& operator=(const CUdfFolder&) = delete;

    // The next identifier, or null (the folder then freed by the library).
    udf_dirent_t* Next()
    {
        udf_dirent_t* p = udf_readdir(m_p);
        if (!p)
            m_p = nullptr;
        return p;
    }
    udf_dirent_t* m_p;
};

class CUdfWalk
{
public:
    CUdfWalk(const CImageFile& image, uint32_t nPartitionStart) : m_image(image), m_nPartitionStart(nPartitionStart) {}

    // Lists the folder whose file entry pFolderEntry was checked, through
    // the library's pDirent, into pFolder.
    int Walk(udf_dirent_t* pDirent, const UdfFileEntry& folderEntry, int nDepth, ImageEntry* pFolder)
    {
        CUdfFolder  folder(pDirent);
        std::string bytes;
        size_t      nIds = 0;
        const ImageExtent& extent = folderEntry.extents[0];
        if (!m_image.ReadAt(static_cast<uint64_t>(extent.nBlock) * CD_BLOCK, static_cast<size_t>(folderEntry.cbSize), &bytes))
            return Fail("a UDF folder lies past the end of the image");
        int nCheck = CheckUdfFolder(m_image, bytes, m_nPartitionStart, &nIds, &m_problem);
        if (nCheck != 1)
            return nCheck;
        std::set<std::string> names;
        for (size_t i = 0; i < nIds; ++i)
        {
            udf_dirent_t* pEntry = folder.Next();
            if (!pEntry)
                return Fail("libudf stops early in a UDF folder");
            const uint8_t* pFid = reinterpret_cast<const uint8_t*>(pEntry->fid);
            uint8_t        characteristics = pFid[UDF_FID_CHARACTERISTICS];
            if (characteristics & (UDF_FID_PARENT | UDF_FID_DELETED))
                continue;
            if (++m_nEntries > MAX_ENTRIES)
                return Fail("the UDF tree has more than " + std::to_string(MAX_ENTRIES) + " entries");
            ImageEntry entry;
            const uint8_t* pName = pFid + UDF_FID_HEADER + Le16(pFid + UDF_FID_IMPL_LENGTH);
            if (!UdfNameToUtf8(pName, pFid[UDF_FID_NAME_LENGTH], &entry.name))
                return Fail("a UDF name is recorded in an unknown form");
            // The library has read the identifier's file entry into the dirent.
            uint32_t     nEntryBlock = m_nPartitionStart + Le32(pFid + UDF_FID_ICB_BLOCK);
            UdfFileEntry fileEntry;
            int nEntryCheck = CheckUdfFileEntry(m_image, reinterpret_cast<const uint8_t*>(&pEntry->fe), nEntryBlock,
                                                m_nPartitionStart, &fileEntry, &m_problem);
            if (nEntryCheck != 1)
                return nEntryCheck;
            entry.bFolder = (characteristics & UDF_FID_DIRECTORY) != 0;
            if (entry.bFolder != fileEntry.bFolder)
                return Fail("a UDF folder's identifier and file entry disagree");
            if (entry.bFolder)
            {
                if (!m_seen.insert(nEntryBlock).second)
                    return Fail("the UDF folder at block " + std::to_string(nEntryBlock) +
                                " is recorded more than once (the folders loop)");
                if (nDepth + 1 > MAX_FOLDER_DEPTH)
                    return Fail("the UDF folders nest deeper than " + std::to_string(MAX_FOLDER_DEPTH) + " levels");
                udf_dirent_t* pSub = udf_opendir(pEntry);
                if (!pSub)
                    return Fail("libudf cannot open a UDF folder");
                int nSub = Walk(pSub, fileEntry, nDepth + 1, &entry);
                if (nSub != 1)
                    return nSub;
            }
            else
            {
                entry.cbSize = fileEntry.cbSize;
                entry.extents = std::move(fileEntry.extents);
                entry.inlineData = std::move(fileEntry.inlineData);
            }
            if (names.insert(entry.name).second)
                pFolder->children.push_back(std::move(entry));
        }
        return 1;
    }

    int Fail(const std::string& problem)
    {
        m_problem = problem;
        return 0;
    }

    const CImageFile&  m_image;
    uint32_t           m_nPartitionStart;
    std::set<uint32_t> m_seen;
    size_t             m_nEntries = 0;
    std::string        m_problem;
};

// libcdio decides what an image is by its name and its last bytes before
// libudf reads it as a plain file: a Nero footer would have it parse the
// rest as Nero's format.
bool HasNeroFooter(const CImageFile& image)
{
    std::string tail;
    if (image.Size() < 12 || !image.ReadAt(image.Size() - 12, 12, &tail))
        return false;
    return tail.compare(0, 4, "NER5") == 0 || tail.compare(4, 4, "NERO") == 0;
}

} // namespace

int ReadUdfTree(const CImageFile& image, const UdfVolumeInfo& volume, ImageTree* pTree, std::string* pProblem)
{
    pTree->root = ImageEntry();
    pTree->root.bFolder = true;
    cdio_log_set_handler(Quiet);
    if (!volume.bAnchorAt256 || !volume.bRootFound)
    {
        *pProblem = volume.bAnchorAt256 ? "no UDF root folder is found" : "the UDF anchor is not at block 256, where libudf looks";
        return UDF_UNSUPPORTED;
    }
    if (HasNeroFooter(image))
    {
        *pProblem = "the image ends in a Nero footer";
        return 0;
    }
    uint8_t      block[CD_BLOCK];
    UdfFileEntry rootEntry;
    if (!image.ReadBlock(volume.nRootBlock, block))
    {
        *pProblem = "the UDF root folder cannot be read";
        return 0;
    }
    int nCheck = CheckUdfFileEntry(image, block, volume.nRootBlock, volume.nPartitionStart, &rootEntry, pProblem);
    if (nCheck != 1)
        return nCheck;
    if (!rootEntry.bFolder)
    {
        *pProblem = "the UDF root is not a folder";
        return 0;
    }
    // Through the descriptor already open: no name for libcdio to guess from.
    std::string path = "/dev/fd/" + std::to_string(image.Descriptor());
    CUdf        udf;
    udf.m_p = udf_open(path.c_str());
    udf_dirent_t* pRoot = udf.m_p ? udf_get_root(udf.m_p, true, 0) : nullptr;
    if (!pRoot)
    {
        *pProblem = "libudf finds no UDF root folder";
        return UDF_UNSUPPORTED;
    }
    if (memcmp(&pRoot->fe, block, CD_BLOCK) != 0)
    {
        udf_dirent_free(pRoot);
        *pProblem = "libudf chooses another UDF root folder";
        return 0;
    }
    CUdfWalk walk(image, volume.nPartitionStart);
    walk.m_seen.insert(volume.nRootBlock);
    int nWalk = walk.Walk(pRoot, rootEntry, 0, &pTree->root);
    if (nWalk != 1)
        *pProblem = walk.m_problem;
    return nWalk;
}
