// The UDF structures of an image that libudf takes on trust, checked before
// it reads them: the volume descriptors (also for the UDF revision, which
// the library does not tell), file entries and the file identifiers of a
// folder. A damaged structure handed to the library makes it read past its
// buffers.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "discplan/image/ImageFile.h"
#include "discplan/image/ImageTree.h"

struct UdfVolumeInfo
{
    bool     bPresent = false;  // an anchor volume descriptor pointer
    bool     bAnchorAt256 = false; // where the library looks for it
    unsigned nRevision = 0;     // from the logical volume's domain identifier
    // The partition and root folder the library will choose.
    bool     bRootFound = false;
    uint32_t nPartitionStart = 0;
    uint32_t nRootBlock = 0; // absolute block of the root's file entry
};

// Finds the anchor (block 256, else the last block or 256 before it) and
// reads the main volume descriptor sequence. 0 with *pProblem when an anchor
// is there but the sequence is damaged.
int ReadUdfVolume(const CImageFile& image, UdfVolumeInfo* pInfo, std::string* pProblem);

// The checks below answer 1 when the structure is sound, 0 when it is
// damaged (the image is bad) and UDF_UNSUPPORTED when it is sound but of a
// kind libudf does not read (the tree is then not read).
const int UDF_UNSUPPORTED = -1;

// What a checked file entry (ECMA-167 4/14.9) says of its file.
struct UdfFileEntry
{
    bool                     bFolder = false;
    uint64_t                 cbSize = 0;
    std::vector<ImageExtent> extents;    // absolute blocks
    std::string              inlineData; // bytes recorded in the entry
};

// Checks the file entry block (CD_BLOCK bytes, read from nBlock) of a
// partition that starts at nPartitionStart: 1 with *pEntry when its tag,
// lengths and extents are sound and its extents lie within the image.
// Folders recorded other than in one extent are not read by libudf.
int CheckUdfFileEntry(const CImageFile& image, const uint8_t* pBlock, uint32_t nBlock, uint32_t nPartitionStart,
                      UdfFileEntry* pEntry, std::string* pProblem);

// Checks the file identifier descriptors that make up a folder's bytes:
// each whole and tagged, each naming a file entry within the image, the last
// ending where the folder does. 1 with their count.
int CheckUdfFolder(const CImageFile& image, const std::string& folder, uint32_t nPartitionStart, size_t* pnCount,
                   std::string* pProblem);

// The offsets of the fields of a file identifier descriptor (4/14.4).
const size_t UDF_FID_CHARACTERISTICS = 18, UDF_FID_NAME_LENGTH = 19, UDF_FID_ICB_BLOCK = 24,
             UDF_FID_IMPL_LENGTH = 36, UDF_FID_HEADER = 38;
const uint8_t UDF_FID_DIRECTORY = 2, UDF_FID_DELETED = 4, UDF_FID_PARENT = 8;
