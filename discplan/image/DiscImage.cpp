#include "discplan/image/DiscImage.h"

#include <errno.h>
#include <string.h>

#include "discplan/image/IsoTrees.h"
#include "discplan/image/IsoVolume.h"
#include "discplan/image/UdfTree.h"
#include "discplan/image/UdfVolume.h"

namespace {

// The revisions libudf reads.
const unsigned UDF_READ_MAX = 0x0150;
// Files larger than this are not read into memory (discplan reads Setup.ini).
const uint64_t MAX_READ_BYTES = 64 * 1024 * 1024;

} // namespace

int CDiscImage::Open(const char* szPath, std::string* pError)
{
    m_trees = DiscImageTrees();
    std::string image = szPath;
    if (!m_file.Open(szPath))
    {
        *pError = image + ": " + (errno == EINVAL ? "not a file" : strerror(errno));
        return 0;
    }
    IsoVolumeInfo iso;
    UdfVolumeInfo udf;
    std::string   problem;
    if (!ReadIsoVolume(m_file, &iso, &problem) || !ReadUdfVolume(m_file, &udf, &problem))
    {
        *pError = image + ": " + problem;
        return 0;
    }
    if (!iso.bIso9660 && !udf.bPresent)
    {
        *pError = image + ": not a disc image (no ISO 9660 or UDF volume descriptors)";
        return 0;
    }
    if (iso.bIso9660 && iso.nVolumeBlocks > m_file.Blocks())
    {
        *pError = image + ": the image is cut short (" + std::to_string(m_file.Size()) + " bytes of " +
                  std::to_string(static_cast<uint64_t>(iso.nVolumeBlocks) * CD_BLOCK) + ")";
        return 0;
    }
    if (iso.bIso9660)
    {
        if (!CheckIsoDirectories(m_file, iso.nRootBlock, iso.cbRoot, "ISO 9660", &problem) ||
            (iso.bJoliet && !CheckIsoDirectories(m_file, iso.nJolietRootBlock, iso.cbJolietRoot, "Joliet", &problem)) ||
            !ReadIsoTree(m_file, false, &m_trees.iso9660, &problem) ||
            (iso.bJoliet && !ReadIsoTree(m_file, true, &m_trees.joliet, &problem)))
        {
            m_trees = DiscImageTrees();
            *pError = image + ": " + problem;
            return 0;
        }
    }
    m_trees.iso9660.kind = TreeKind::Iso9660;
    m_trees.joliet.kind = TreeKind::Joliet;
    m_trees.udf.kind = TreeKind::Udf;
    if (udf.bPresent)
    {
        m_trees.udf.bPresent = true;
        m_trees.nUdfRevision = udf.nRevision;
        if (udf.nRevision > UDF_READ_MAX)
            m_trees.udf.problem = "libudf reads revisions up to 1.50";
        else
        {
            int nRead = ReadUdfTree(m_file, udf, &m_trees.udf, &problem);
            if (nRead == 0)
            {
                m_trees = DiscImageTrees();
                *pError = image + ": " + problem;
                return 0;
            }
            m_trees.udf.bRead = nRead == 1;
            if (!m_trees.udf.bRead)
            {
                m_trees.udf.problem = problem;
                m_trees.udf.root = ImageEntry();
                m_trees.udf.root.bFolder = true;
            }
        }
    }
    return 1;
}

int CDiscImage::ReadFile(const ImageEntry& file, std::string* pBytes) const
{
    pBytes->clear();
    if (file.bFolder || file.cbSize > MAX_READ_BYTES)
        return 0;
    if (!file.inlineData.empty() || file.extents.empty())
    {
        *pBytes = file.inlineData;
        return pBytes->size() == file.cbSize;
    }
    uint64_t cbLeft = file.cbSize;
    for (const ImageExtent& extent : file.extents)
    {
        if (cbLeft == 0)
            break;
        size_t      cb = static_cast<size_t>(extent.cbLength < cbLeft ? extent.cbLength : cbLeft);
        std::string part;
        if (extent.bZeros)
            part.assign(cb, '\0');
        else if (!m_file.ReadAt(static_cast<uint64_t>(extent.nBlock) * CD_BLOCK, cb, &part))
            return 0;
        *pBytes += part;
        cbLeft -= cb;
    }
    return cbLeft == 0;
}

const ImageEntry* CImageSource::Find(const std::vector<std::string>& path) const
{
    if (!m_tree.bRead)
        return nullptr;
    const ImageEntry* pEntry = &m_tree.root;
    for (const std::string& name : path)
    {
        const ImageEntry* pNext = nullptr;
        for (const ImageEntry& child : pEntry->children)
        {
            if (child.name == name)
            {
                pNext = &child;
                break;
            }
        }
        if (!pNext)
            return nullptr;
        pEntry = pNext;
    }
    return pEntry;
}

int CImageSource::List(const std::vector<std::string>& path, std::vector<DiscEntry>* pEntries) const
{
    pEntries->clear();
    const ImageEntry* pFolder = Find(path);
    if (!pFolder || !pFolder->bFolder)
        return 0;
    for (const ImageEntry& child : pFolder->children)
    {
        DiscEntry entry;
        entry.name = child.name;
        entry.bFolder = child.bFolder;
        pEntries->push_back(entry);
    }
    return 1;
}

int CImageSource::Read(const std::vector<std::string>& path, std::string* pBytes) const
{
    pBytes->clear();
    const ImageEntry* pFile = Find(path);
    return pFile && !pFile->bFolder && m_image.ReadFile(*pFile, pBytes);
}
