// A UDF volume's recognition and its volume descriptors: where the logical
// volume's partitions are and where its file set begins.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "discfs/ImageReader.h"

// A long allocation descriptor's place: a block of a partition (the
// partition's reference is its map's index in the logical volume).
struct UdfLongAd
{
    uint32_t cbLength = 0; // the low 30 bits of the recorded length
    uint32_t nBlock = 0;
    uint16_t nRef = 0;
};

enum class UdfMapKind
{
    Physical, // type 1
    Sparable, // type 2, "*UDF Sparable Partition"
    Metadata, // type 2, "*UDF Metadata Partition" (2.50 on)
    Virtual,  // type 2, "*UDF Virtual Partition" (a VAT)
    Unknown   // type 2 of another identifier
};

struct UdfPartitionMap
{
    UdfMapKind kind = UdfMapKind::Unknown;
    uint16_t   nPartition = 0; // the partition descriptor's number it maps
    uint8_t    bytes[64] = {}; // the map as recorded (6 or 64 bytes)
};

struct UdfPartitionDescriptor
{
    uint16_t nNumber = 0;
    uint32_t nStart = 0;  // image block
    uint32_t nLength = 0; // blocks
};

struct UdfVolumeInfo
{
    bool        bPresent = false;
    bool        bOsta = false;  // the domain is "*OSTA UDF Compliant"
    unsigned    nRevision = 0;  // its suffix's revision, 0x0150 for 1.50
    uint32_t    nLogicalVolumeBlock = 0;
    UdfLongAd   fileSet;        // the file set descriptor's extent
    std::vector<UdfPartitionMap>        maps;
    std::vector<UdfPartitionDescriptor> partitions;

    // The descriptor of partition number nNumber, or null.
    const UdfPartitionDescriptor* Partition(uint16_t nNumber) const;
};

// An NSR descriptor inside an extended area (BEA01 ... TEA01) of the
// volume recognition sequence: the image has a UDF volume.
bool HasUdfNsrDescriptor(const CImageReader& image);

// The block size (512, 1024 or 4096) of a UDF volume whose anchor is at
// block 256 of that size, or 0: a hard disk's UDF, for the message.
int UdfOtherBlockSize(const CImageReader& image);

// Finds the UDF volume of the image: the volume recognition sequence with
// an NSR descriptor, an anchor, and a usable volume descriptor sequence
// (the main one, else the reserve one). 1 with pInfo->bPresent false when
// the image has no UDF volume; 1 with the volume; 0 with *pError, one line,
// when the volume is damaged.
int FindUdfVolume(const CImageReader& image, UdfVolumeInfo* pInfo, std::string* pError);
