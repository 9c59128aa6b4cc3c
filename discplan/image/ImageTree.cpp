#include "discplan/image/ImageTree.h"

#include <stdio.h>

const char* TreeKindName(TreeKind kind)
{
    switch (kind)
    {
    case TreeKind::Joliet:
        return "Joliet";
    case TreeKind::Udf:
        return "UDF";
    default:
        return "ISO 9660";
    }
}

const ImageTree& DiscImageTrees::Tree(TreeKind kind) const
{
    return kind == TreeKind::Joliet ? joliet : kind == TreeKind::Udf ? udf : iso9660;
}

std::string UdfRevisionText(unsigned nRevision)
{
    // The revision is binary-coded decimal: 0x0150 is 1.50.
    char sz[16];
    snprintf(sz, sizeof(sz), "%x.%02x", (nRevision >> 8) & 0xFF, nRevision & 0xFF);
    return sz;
}
