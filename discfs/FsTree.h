// The file trees of one disc image, each as Windows lists it: plain data
// filled by the readers. Entries are kept in one array per tree, each
// folder's children side by side in the order they are recorded, so that a
// million names cost tens of MiB and nothing points anywhere but by index.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

enum class FsKind
{
    Iso9660,
    Joliet,
    Udf
};

const char* FsKindName(FsKind kind); // "ISO 9660", "Joliet", "UDF"

// Where a file's bytes are in the image file: a byte offset and a length.
// Bytes recorded inside a UDF file entry are such a piece of the entry's
// block; a piece allocated but not recorded reads as zeros.
struct FsExtent
{
    uint64_t nOffset = 0;
    uint64_t cbLength = 0;
    bool     bZeros = false;
};

const uint32_t FS_NO_ENTRY = 0xFFFFFFFF;

struct FsEntry
{
    // Joliet and UDF: UTF-8, as Windows lists the name. ISO 9660: the
    // recorded bytes as NT's CD file system splits them (the version from
    // the first ';' on cut off, then one trailing '.'), bytes above 127
    // left as they are: they mean what the reading system's OEM code page
    // says (see bEightBit).
    std::string name;
    uint64_t    cbSize = 0;
    uint32_t    nParent = FS_NO_ENTRY;
    uint32_t    nFirstChild = 0; // folders: entries [nFirstChild, nFirstChild + nChildren)
    uint32_t    nChildren = 0;
    uint32_t    nFirstExtent = 0; // files: extents [nFirstExtent, nFirstExtent + nExtents)
    uint32_t    nExtents = 0;
    uint32_t    nVersion = 0;     // ISO 9660 and Joliet: the file version (";1"), 0 without one
    bool        bFolder = false;
    bool        bHidden = false;  // ISO 9660 existence bit, UDF hidden characteristic
    bool        bEightBit = false; // an ISO 9660 name with bytes above 127
};

struct FsTree
{
    FsKind      kind = FsKind::Iso9660;
    bool        bPresent = false; // the image carries this tree
    bool        bRead = false;    // and it was read whole
    // Why a present tree was not read; for a Joliet tree not present, why
    // Windows does not see one that is on the image.
    std::string problem;
    // UDF: the revision the logical volume declares (0x0102 for 1.02,
    // 0x0250 for 2.50), 0 for the other trees.
    unsigned nUdfRevision = 0;

    std::vector<FsEntry>  entries; // [0] is the root folder (empty name) once read
    std::vector<FsExtent> extents;

    // "\Dusmara\setup.exe", for messages.
    std::string PathOf(uint32_t nEntry) const;
};

struct DiscFsTrees
{
    FsTree iso9660;
    FsTree joliet;
    FsTree udf;

    DiscFsTrees();
    const FsTree& Tree(FsKind kind) const;
};

// "1.02" for 0x0102.
std::string UdfRevisionText(unsigned nRevision);
