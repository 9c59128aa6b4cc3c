// A disc image and the file trees it carries: ISO 9660, Joliet and UDF,
// each read on its own, as Windows lists it. Knows nothing of what a
// program does with the names.
#pragma once

#include <memory>
#include <string>

#include "discfs/FsTree.h"
#include "discfs/ImageReader.h"

class CDiscFs
{
public:
    // Reads every tree the image file carries. 0 with *pError, one line
    // without the image's name ("the image is cut short (100000 bytes of
    // 917504)", "the Joliet folder \A\B at block 40 is met twice (a loop)"),
    // when the file cannot be opened, is no disc image, or has a structure
    // that is damaged or past a limit (Limits.h): then no tree is given. A
    // UDF tree of a kind the reader does not read (a virtual partition) is
    // no error: that tree is marked not read, with the reason.
    int Open(const char* szPath, std::string* pError);
    // The same over an image already in hand (fuzzing, tests).
    int Open(std::unique_ptr<CImageReader> pImage, std::string* pError);

    const DiscFsTrees& Trees() const { return m_trees; }

    // The bytes of file nEntry of a tree; 0 when it is a folder, holds more
    // than cbMax bytes (at most FS_MAX_READ_BYTES), or cannot be read.
    int ReadFile(const FsTree& tree, uint32_t nEntry, size_t cbMax, std::string* pBytes) const;

private:
    std::unique_ptr<CImageReader> m_pImage;
    DiscFsTrees                   m_trees;
};
