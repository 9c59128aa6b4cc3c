#include "discplan/input/ImageSource.h"

#include "discfs/Limits.h"

std::string ListedName(const FsTree& tree, const FsEntry& entry, const CCodePage* pOem)
{
    return tree.kind == FsKind::Iso9660 && entry.bEightBit && pOem ? pOem->Decode(entry.name) : entry.name;
}

const std::vector<CImageSource::Listed>& CImageSource::Listing(uint32_t nFolder) const
{
    auto found = m_listings.find(nFolder);
    if (found != m_listings.end())
        return found->second;
    std::vector<Listed>& listing = m_listings[nFolder];
    const FsEntry&       folder = m_tree.entries[nFolder];
    for (uint32_t i = 0; i < folder.nChildren; ++i)
    {
        const uint32_t nChild = folder.nFirstChild + i;
        const FsEntry& child = m_tree.entries[nChild];
        Listed         listed = {{ListedName(m_tree, child, m_pOem), child.bFolder}, nChild};
        // NT's CD file system lists a file whose name, letter case aside, is
        // that of the file recorded just before it (another version, ";2"
        // before ";1") as that one, and opens the first record of a name
        // (CdEnumerateIndex, CdFindFile): the later one is out of reach.
        if (m_tree.kind != FsKind::Udf && !listing.empty() && !child.bFolder && !listing.back().entry.bFolder &&
            SameName(listing.back().entry.name, listed.entry.name))
            continue;
        listing.push_back(listed);
    }
    return listing;
}

uint32_t CImageSource::Find(const std::vector<std::string>& path) const
{
    if (!m_tree.bRead || m_tree.entries.empty())
        return FS_NO_ENTRY;
    uint32_t nEntry = 0;
    for (const std::string& name : path)
    {
        if (!m_tree.entries[nEntry].bFolder)
            return FS_NO_ENTRY;
        uint32_t nFound = FS_NO_ENTRY;
        for (const Listed& listed : Listing(nEntry))
        {
            if (listed.entry.name == name)
            {
                nFound = listed.nIndex;
                break;
            }
        }
        if (nFound == FS_NO_ENTRY)
            return FS_NO_ENTRY;
        nEntry = nFound;
    }
    return nEntry;
}

int CImageSource::List(const std::vector<std::string>& path, std::vector<DiscEntry>* pEntries) const
{
    pEntries->clear();
    const uint32_t nFolder = Find(path);
    if (nFolder == FS_NO_ENTRY || !m_tree.entries[nFolder].bFolder)
        return 0;
    for (const Listed& listed : Listing(nFolder))
        pEntries->push_back(listed.entry);
    return 1;
}

int CImageSource::Read(const std::vector<std::string>& path, std::string* pBytes) const
{
    pBytes->clear();
    const uint32_t nFile = Find(path);
    return nFile != FS_NO_ENTRY && !m_tree.entries[nFile].bFolder &&
           m_image.ReadFile(m_tree, nFile, FS_MAX_READ_BYTES, pBytes);
}
