// The volume descriptors of an ISO 9660 image (ECMA-119 8), found the way
// NT's CD file system looks for them when it mounts a disc.
#pragma once

#include <stdint.h>

#include "discfs/ImageReader.h"

struct IsoDescriptor
{
    bool     bFound = false;
    uint32_t nBlock = 0;         // where the descriptor is
    unsigned cbLogicalBlock = 0; // the logical block size it records
    uint64_t nVolumeBlocks = 0;  // the volume space size it records
    uint64_t nRootBlock = 0;     // the root folder's first block (after its extended attribute record)
};

struct IsoDescriptors
{
    IsoDescriptor primary; // the first primary volume descriptor
    IsoDescriptor joliet;  // the first supplementary one with a Joliet escape sequence
    // Without one: a Joliet descriptor past the block Windows stops at (an
    // ISO 9660:1999 enhanced descriptor, version 2, before it), which a
    // reader that steps over such blocks finds; bFound false without.
    IsoDescriptor hiddenJoliet;
    uint32_t      nStopBlock = 0; // the block Windows stops at then
};

// Scans the descriptors from block 16 on, once for the primary descriptor
// and once again for the Joliet one, each scan ending at the first block
// that is no descriptor of version 1, at the set terminator or at the end of
// the image. Never fails: what is not found is left not found.
void FindIsoDescriptors(const CImageReader& image, IsoDescriptors* pFound);
