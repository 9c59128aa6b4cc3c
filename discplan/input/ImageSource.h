// One tree of a disc image as a disc source: the names as a system lists
// them, the bytes of the files it opens.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "discfs/DiscFs.h"
#include "discplan/codepage/CodePage.h"
#include "discplan/input/DiscSource.h"

// The name of an entry as a system lists it, in UTF-8: an ISO 9660 name's
// bytes through the system's OEM code page (pOem; as recorded without one),
// the other trees' names as they are.
std::string ListedName(const FsTree& tree, const FsEntry& entry, const CCodePage* pOem);

class CImageSource : public CDiscSource
{
public:
    CImageSource(const CDiscFs& image, const FsTree& tree, const CCodePage* pOem)
        : m_image(image), m_tree(tree), m_pOem(pOem)
    {
    }

    int List(const std::vector<std::string>& path, std::vector<DiscEntry>* pEntries) const override;
    int Read(const std::vector<std::string>& path, std::string* pBytes) const override;

    // The tree's entry at path, as the names List gives lead there;
    // FS_NO_ENTRY when there is none.
    uint32_t Find(const std::vector<std::string>& path) const;

private:
    struct Listed
    {
        DiscEntry entry;
        uint32_t  nIndex;
    };
    // A folder's entries as Windows lists them, made once per folder.
    const std::vector<Listed>& Listing(uint32_t nFolder) const;

    const CDiscFs&                                   m_image;
    const FsTree&                                    m_tree;
    const CCodePage*                                 m_pOem;
    mutable std::map<uint32_t, std::vector<Listed>> m_listings;
};
