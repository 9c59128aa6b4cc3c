// The ISO 9660 tree and the Joliet tree of an image, each as NT's CD file
// system reads it.
#pragma once

#include <string>

#include "discfs/FsBudget.h"
#include "discfs/FsTree.h"
#include "discfs/ImageReader.h"

struct IsoVolume
{
    bool     bPresent = false;  // a primary volume descriptor at block 16 on
    uint64_t nVolumeBlocks = 0; // the volume space size it records
};

// Looks for the ISO 9660 volume descriptors (block 16 on). Never fails: an
// image without them has no ISO 9660 volume.
IsoVolume FindIsoVolume(const CImageReader& image);

// Reads the ISO 9660 tree into *pIso and, when the image has the Joliet
// descriptor Windows uses, the Joliet tree into *pJoliet (each left not
// present otherwise). 0 with *pError, one line, when a structure of either
// is damaged or past a limit.
int ReadIsoTrees(const CImageReader& image, FsBudget& budget, FsTree* pIso, FsTree* pJoliet, std::string* pError);
