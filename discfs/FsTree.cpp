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
