// The UDF tree of an image, revisions 1.02 to 2.60.
#pragma once

#include <string>

#include "discfs/FsBudget.h"
#include "discfs/FsTree.h"
#include "discfs/ImageReader.h"

// Reads the UDF tree into *pUdf: left not present when the image has no
// UDF volume; present but not read, with pUdf->problem, when the volume is
// of a kind the reader does not read (a virtual partition it cannot map).
// 0 with *pError, one line, when a structure is damaged or past a limit.
int ReadUdfTree(const CImageReader& image, FsBudget& budget, FsTree* pUdf, std::string* pError);
