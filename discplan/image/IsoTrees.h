// The ISO 9660 and the Joliet tree of an image, each read on its own with
// libisofs, Rock Ridge never (no Windows reads it).
#pragma once

#include <string>

#include "discplan/image/ImageFile.h"
#include "discplan/image/ImageTree.h"

// Fills pTree (kind Iso9660, or Joliet when bJoliet) from the image, whose
// directory records CheckIsoDirectories has passed. 0 with *pProblem when
// the library cannot read the tree.
int ReadIsoTree(const CImageFile& image, bool bJoliet, ImageTree* pTree, std::string* pProblem);
