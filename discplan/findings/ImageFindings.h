// What is wrong with a disc image itself, whatever Setup.exe then does:
// plain findings over its trees and the tree each system reads. The finding
// that the trees of different systems change the plan needs the plans; see
// GroupSystemsByTree for the systems that share a tree.
#pragma once

#include <string>
#include <vector>

#include "discplan/image/ImageTree.h"

struct ImageFinding
{
    std::string severity; // "error", "warning"
    std::string code;
    std::string message;
};

// Codes: image-no-joliet, image-name-refused, image-iso-too-deep,
// image-path-too-long, image-udf-unread, image-no-tree. szAt is the folder
// the disc will be at on Windows ("D:\"), the start of every path counted.
std::vector<ImageFinding> CheckImage(const DiscImageTrees& trees, const std::string& at = "D:\\");

// The longest path Windows opens: MAX_PATH less its terminating zero,
// counted in UTF-16 code units from the drive letter on.
const size_t WINDOWS_MAX_PATH = 259;
// ECMA-119 6.8.2.1: the root is the first of at most eight levels.
const int ISO9660_MAX_LEVELS = 8;
