#include "discfs/DiscFs.h"

#include "discfs/Iso9660.h"
#include "discfs/Limits.h"
#include "discfs/Udf.h"

int CDiscFs::Open(const char* szPath, std::string* pError)
{
    std::unique_ptr<CImageFile> pFile(new CImageFile);
    if (!pFile->Open(szPath, pError))
    {
        m_pImage.reset();
        m_trees = DiscFsTrees();
        return 0;
    }
    return Open(std::unique_ptr<CImageReader>(pFile.release()), pError);
}

int CDiscFs::Open(std::unique_ptr<CImageReader> pImage, std::string* pError)
{
    m_pImage = std::move(pImage);
    m_trees = DiscFsTrees();
    const CImageReader& image = *m_pImage;
    const IsoVolume     iso = FindIsoVolume(image);
    if (iso.bPresent && iso.nVolumeBlocks > image.Size() / FS_BLOCK)
    {
        *pError = "the image is cut short (" + std::to_string(image.Size()) + " bytes of " +
                  std::to_string(iso.nVolumeBlocks * FS_BLOCK) + ")";
        return 0;
    }
    FsBudget budget;
    if ((iso.bPresent && !ReadIsoTrees(image, budget, &m_trees.iso9660, &m_trees.joliet, pError)) ||
        !ReadUdfTree(image, budget, &m_trees.udf, pError))
    {
        m_trees = DiscFsTrees();
        return 0;
    }
    if (!m_trees.iso9660.bPresent && !m_trees.udf.bPresent)
    {
        *pError = "not a disc image (no ISO 9660 or UDF volume descriptors)";
        return 0;
    }
    return 1;
}

int CDiscFs::ReadFile(const FsTree& tree, uint32_t nEntry, size_t cbMax, std::string* pBytes) const
{
    pBytes->clear();
    if (!m_pImage || nEntry >= tree.entries.size())
        return 0;
    const FsEntry& file = tree.entries[nEntry];
    if (cbMax > FS_MAX_READ_BYTES)
        cbMax = FS_MAX_READ_BYTES;
    if (file.bFolder || file.cbSize > cbMax)
        return 0;
    pBytes->resize(static_cast<size_t>(file.cbSize));
    uint64_t cbDone = 0;
    for (uint32_t i = 0; i < file.nExtents && cbDone < file.cbSize; ++i)
    {
        const size_t nExtent = static_cast<size_t>(file.nFirstExtent) + i;
        if (nExtent >= tree.extents.size())
            return 0;
        const FsExtent& extent = tree.extents[nExtent];
        const uint64_t  cbLeft = file.cbSize - cbDone;
        const size_t    cb = static_cast<size_t>(extent.cbLength < cbLeft ? extent.cbLength : cbLeft);
        uint8_t*        pTo = reinterpret_cast<uint8_t*>(&(*pBytes)[static_cast<size_t>(cbDone)]);
        if (!extent.bZeros && !m_pImage->Read(extent.nOffset, cb, pTo))
        {
            pBytes->clear();
            return 0;
        }
        // bZeros: the bytes stay as resize made them.
        cbDone += cb;
    }
    if (cbDone != file.cbSize)
    {
        pBytes->clear();
        return 0;
    }
    return 1;
}
