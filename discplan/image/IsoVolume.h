// The ISO 9660 volume descriptors of an image, and a check of the directory
// records of one tree before the reading library walks them: the library
// follows a directory that names one of its own ancestors for ever, and
// trusts record lengths and extents.
#pragma once

#include <stdint.h>

#include <string>

#include "discplan/image/ImageFile.h"

struct IsoVolumeInfo
{
    bool     bIso9660 = false; // a primary volume descriptor
    bool     bJoliet = false;  // a supplementary one with a Joliet escape sequence
    uint32_t nVolumeBlocks = 0; // the volume space size the primary descriptor declares
    uint32_t nRootBlock = 0, cbRoot = 0;             // the ISO 9660 root folder
    uint32_t nJolietRootBlock = 0, cbJolietRoot = 0; // the Joliet root folder
};

// Reads the descriptors from block 16 on. 0 with *pProblem when a
// descriptor is damaged (the image may still be UDF only when it has none).
int ReadIsoVolume(const CImageFile& image, IsoVolumeInfo* pInfo, std::string* pProblem);

// The limits a tree must keep to be read at all.
const int    MAX_FOLDER_DEPTH = 128;
const size_t MAX_ENTRIES = 1000000;

// Walks every directory record of the tree whose root is at nRootBlock:
// 1 when each record lies within its block, every extent within the image,
// no folder is recorded twice (a loop), folders nest at most
// MAX_FOLDER_DEPTH deep and the tree holds at most MAX_ENTRIES entries; else
// 0 with *pProblem.
int CheckIsoDirectories(const CImageFile& image, uint32_t nRootBlock, uint32_t cbRoot, const char* szTree,
                        std::string* pProblem);
