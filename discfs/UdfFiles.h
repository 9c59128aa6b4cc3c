// UDF file entries: what an entry says of its file, and where the file's
// bytes are (allocation descriptors, continued in allocation extent
// descriptors, or the bytes inside the entry itself); the file set
// descriptor that names the root folder's entry.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "discfs/FsBudget.h"
#include "discfs/FsTree.h"
#include "discfs/UdfPartition.h"
#include "discfs/UdfVolume.h"

// ICB file types.
const uint8_t UDF_FILE_TYPE_UNSPECIFIED = 0, UDF_FILE_TYPE_FOLDER = 4, UDF_FILE_TYPE_VAT = 248,
              UDF_FILE_TYPE_METADATA = 250, UDF_FILE_TYPE_METADATA_MIRROR = 251;

// One extent of a file: bytes in a partition, or zeros (allocated but not
// recorded, or not allocated).
struct UdfAd
{
    uint64_t cbLength = 0;
    uint32_t nBlock = 0;
    uint16_t nRef = 0;
    bool     bRecorded = false;
};

struct UdfEntry
{
    uint16_t nRef = 0; // where the entry is (after any indirect entries)
    uint32_t nBlock = 0;
    uint64_t nImageBlock = 0;
    uint8_t  nFileType = 0;
    uint64_t cbSize = 0; // the information length
    bool     bEmbedded = false;
    uint64_t nEmbeddedOffset = 0; // in the image: the bytes inside the entry
    // The extents that hold the first cbSize bytes, the last cut to them.
    std::vector<UdfAd> ads;
};

// Reads the file entry or extended file entry of the ICB at block nBlock
// of partition nRef: its tag, its lengths against its block, and its
// allocation descriptors until they cover its information length (each
// allocation extent descriptor block met counted as a piece of budget).
// what names it in messages ("the UDF file entry of \A\b.txt"). 1;
// UDF_NOT_READ with *pError for an ICB strategy not read; 0 with *pError.
int ReadUdfEntry(const CUdfPartitions& partitions, uint16_t nRef, uint32_t nBlock, const std::string& what,
                 FsBudget& budget, UdfEntry* pEntry, std::string* pError);

// Appends where the entry's bytes are in the image (pieces of zeros for
// extents not recorded). 0 with *pError when an extent lies outside its
// partition or the image.
int MapUdfEntry(const CUdfPartitions& partitions, const UdfEntry& entry, const std::string& what,
                std::vector<FsExtent>* pPieces, std::string* pError);

// Reads the file set descriptor sequence at fileSet and gives the root
// folder's ICB of the prevailing descriptor. 1, or 0 with *pError.
int ReadUdfFileSet(const CUdfPartitions& partitions, const UdfLongAd& fileSet, UdfLongAd* pRoot, std::string* pError);
