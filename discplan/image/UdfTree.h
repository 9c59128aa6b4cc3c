// The UDF tree of an image, read with libudf (UDF 1.02 and 1.50).
#pragma once

#include <string>

#include "discplan/image/ImageFile.h"
#include "discplan/image/ImageTree.h"
#include "discplan/image/UdfVolume.h"

// Fills pTree's root from the volume that ReadUdfVolume found. 1 when read
// whole; 0 with *pProblem when the image's UDF structures are damaged;
// UDF_UNSUPPORTED with *pProblem when they are of a kind libudf cannot read.
int ReadUdfTree(const CImageFile& image, const UdfVolumeInfo& volume, ImageTree* pTree, std::string* pProblem);
