#include "discfs/FsTree.h"

#include <stdio.h>

const char* FsKindName(FsKind kind)
{
    switch (kind)
    {
    case FsKind::Joliet:
        return "Joliet";
    case FsKind::Udf:
        return "UDF";
    default:
        return "ISO 9660";
    }
}

uint32_t FsTree::Find(uint32_t nFolder, const std::string& name) const
{
    if (nFolder >= entries.size() || !entries[nFolder].bFolder)
        return FS_NO_ENTRY;
    const FsEntry& folder = entries[nFolder];
    for (uint32_t i = 0; i < folder.nChildren; ++i)
    {
        const uint32_t nChild = folder.nFirstChild + i;
        if (nChild < entries.size() && entries[nChild].name == name)
            return nChild;
    }
    return FS_NO_ENTRY;
}

uint32_t FsTree::FindPath(const std::vector<std::string>& path) const
{
    if (entries.empty())
        return FS_NO_ENTRY;
    uint32_t nEntry = 0;
    for (const std::string& name : path)
    {
        nEntry = Find(nEntry, name);
        if (nEntry == FS_NO_ENTRY)
            break;
    }
    return nEntry;
}

std::string FsTree::PathOf(uint32_t nEntry) const
{
    std::string path;
    // Parents always come before their children, so this ends at the root.
    while (nEntry < entries.size() && nEntry != 0)
    {
        path = "\\" + entries[nEntry].name + path;
        const uint32_t nParent = entries[nEntry].nParent;
        if (nParent >= nEntry)
            break;
        nEntry = nParent;
    }
    return path.empty() ? "\\" : path;
}

DiscFsTrees::DiscFsTrees()
{
    iso9660.kind = FsKind::Iso9660;
    joliet.kind = FsKind::Joliet;
    udf.kind = FsKind::Udf;
}

const FsTree& DiscFsTrees::Tree(FsKind kind) const
{
    return kind == FsKind::Joliet ? joliet : kind == FsKind::Udf ? udf : iso9660;
}

std::string UdfRevisionText(unsigned nRevision)
{
    // The revision is binary-coded decimal: 0x0150 is 1.50.
    char sz[16];
    snprintf(sz, sizeof(sz), "%x.%02x", (nRevision >> 8) & 0xFF, nRevision & 0xFF);
    return sz;
}
