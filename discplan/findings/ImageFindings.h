// What is wrong with a disc image itself, whatever Setup.exe then does:
// plain findings over its trees and the tree each system reads. The finding
// that the trees of different systems change the plan needs the plans; see
// GroupSystemsByTree for the systems that share a tree.
#pragma once

#include <string>
#include <vector>

#include "discfs/FsTree.h"
#include "discplan/codepage/CodePage.h"

struct ImageFinding
{
    std::string severity; // "error", "warning"
    std::string code;
    std::string message;
};

// Codes: image-no-joliet, image-name-refused, image-iso-too-deep,
// image-path-too-long, image-udf-unread, image-no-tree. at is the folder
// the disc will be at on Windows ("D:\\"), the start of every path counted;
// pOem the OEM code page ISO 9660 names are read in (null: as recorded).
std::vector<ImageFinding> CheckImage(const DiscFsTrees& trees, const std::string& at, const CCodePage* pOem);

// 1 when the CD and UDF drivers refuse the name (a control character or one
// of * ? / : \ in it) or the name is empty.
int IsNameRefused(const std::string& name);

// The number of UTF-16 code units of UTF-8 text: how Windows counts the
// length of a path.
size_t Utf16Length(const std::string& utf8);

// The longest path Windows opens: MAX_PATH less its terminating zero,
// counted in UTF-16 code units from the drive letter on.
const size_t WINDOWS_MAX_PATH = 259;
// ECMA-119 6.8.2.1: the root is the first of at most eight levels.
const int ISO9660_MAX_LEVELS = 8;
