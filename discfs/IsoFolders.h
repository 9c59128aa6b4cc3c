// The folders of one ISO 9660 or Joliet tree, walked from its root.
#pragma once

#include <stdint.h>

#include <string>

#include "discfs/FsBudget.h"
#include "discfs/FsTree.h"
#include "discfs/ImageReader.h"

// Reads the tree whose root folder starts at block nRootBlock into *pTree,
// whose kind (Iso9660 or Joliet) says how names are recorded: breadth-first,
// each folder's children appended together in recorded order. Sets
// bPresent and bRead. 0 with *pError, one line naming the tree, the folder
// and the block, when a structure is damaged or past a limit; then *pTree
// holds what was read so far.
int ReadIsoFolders(const CImageReader& image, FsBudget& budget, uint64_t nRootBlock, FsTree* pTree,
                   std::string* pError);
