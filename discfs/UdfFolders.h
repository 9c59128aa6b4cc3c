// The folders of a UDF file set: each folder's file identifiers, read
// breadth first from the root into a flat tree.
#pragma once

#include <string>

#include "discfs/FsBudget.h"
#include "discfs/FsTree.h"
#include "discfs/UdfPartition.h"
#include "discfs/UdfVolume.h"

// Reads the tree whose root folder's ICB is root into pTree's entries and
// extents (the root first, each folder's children side by side in the
// order they are recorded; deleted identifiers and the parent's left out).
// A file entry named by several identifiers (a hard link) is read once; a
// folder's named twice is a loop. 1; UDF_NOT_READ with *pError; 0 with
// *pError.
int ReadUdfFolders(const CUdfPartitions& partitions, const UdfLongAd& root, FsBudget& budget, FsTree* pTree,
                   std::string* pError);
