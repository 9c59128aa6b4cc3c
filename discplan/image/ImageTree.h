// The file trees of one disc image, each as one kind of Windows lists it:
// plain data, filled by the readers and read by the tree choice, the
// findings and the disc source.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

enum class TreeKind
{
    Iso9660,
    Joliet,
    Udf
};

const char* TreeKindName(TreeKind kind); // "ISO 9660", "Joliet", "UDF"

// Where a file's bytes are in the image: whole 2048-byte blocks from an
// absolute block number, the last one used in part. Bytes recorded inside
// the UDF file entry itself come as inline data instead.
struct ImageExtent
{
    uint32_t nBlock = 0;
    uint64_t cbLength = 0;
    bool     bZeros = false; // allocated but not recorded: reads as zeros
};

struct ImageEntry
{
    std::string              name; // UTF-8, as Windows lists it
    bool                     bFolder = false;
    uint64_t                 cbSize = 0;
    std::vector<ImageExtent> extents; // files
    std::string              inlineData; // files whose bytes are in their UDF entry
    std::vector<ImageEntry>  children;   // folders
};

struct ImageTree
{
    TreeKind    kind = TreeKind::Iso9660;
    bool        bPresent = false; // the image carries this tree
    bool        bRead = false;    // and it was read whole
    std::string problem;          // why a present tree was not read
    ImageEntry  root;             // a folder with an empty name
};

struct DiscImageTrees
{
    ImageTree iso9660;
    ImageTree joliet;
    ImageTree udf;
    // The UDF revision the logical volume declares (0x0102 for 1.02,
    // 0x0250 for 2.50); 0 without UDF.
    unsigned  nUdfRevision = 0;

    const ImageTree& Tree(TreeKind kind) const;
};

// "1.02" for 0x0102.
std::string UdfRevisionText(unsigned nRevision);
