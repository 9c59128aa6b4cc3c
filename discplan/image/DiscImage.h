// A disc image file and its trees: what discplan reads instead of a folder
// when it is given an image.
#pragma once

#include <string>
#include <vector>

#include "discplan/input/DiscSource.h"
#include "discplan/image/ImageFile.h"
#include "discplan/image/ImageTree.h"

class CDiscImage
{
public:
    // Reads every tree the image carries. 0 with *pError, one line naming
    // the image, when the file cannot be read, is not a disc image, is cut
    // short or has damaged directory records (loops, records out of range):
    // then no tree is given at all. A UDF tree of a revision or a kind the
    // reader does not read is not an error: its tree is marked not read.
    int Open(const char* szPath, std::string* pError);

    const DiscImageTrees& Trees() const { return m_trees; }

    // The bytes of a file entry of one of the trees; 0 when they cannot be read.
    int ReadFile(const ImageEntry& file, std::string* pBytes) const;

private:
    CImageFile     m_file;
    DiscImageTrees m_trees;
};

// One tree of an image as a disc source.
class CImageSource : public CDiscSource
{
public:
    CImageSource(const CDiscImage& image, TreeKind kind) : m_image(image), m_tree(image.Trees().Tree(kind)) {}

    int List(const std::vector<std::string>& path, std::vector<DiscEntry>* pEntries) const override;
    int Read(const std::vector<std::string>& path, std::string* pBytes) const override;

private:
    const ImageEntry* Find(const std::vector<std::string>& path) const;

    const CDiscImage& m_image;
    const ImageTree&  m_tree;
};
