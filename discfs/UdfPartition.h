// The partitions of a UDF logical volume: each as a list of runs that take
// its logical blocks to blocks of the image, so that an extent maps to its
// pieces in the image in time that grows with the pieces, not with the
// blocks it claims.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "discfs/FsBudget.h"
#include "discfs/FsTree.h"
#include "discfs/ImageReader.h"
#include "discfs/UdfVolume.h"

// Logical blocks [nFirst, nFirst + nCount) at image blocks nImageBlock on.
struct UdfRun
{
    uint32_t nFirst = 0;
    uint32_t nCount = 0;
    uint64_t nImageBlock = 0;
};

class CUdfPartitions
{
public:
    explicit CUdfPartitions(const CImageReader& image) : m_image(image) {}

    // Sets up the partition of each map of the volume: physical ones, then
    // sparable ones (their sparing table read), then metadata partitions
    // (the metadata file, else its mirror) and virtual ones (the VAT at the
    // image's end). 1; UDF_NOT_READ with *pError for a partition of a kind
    // not read (no VAT found, a map of an unknown kind); 0 with *pError when
    // a structure is damaged.
    int Init(const UdfVolumeInfo& volume, FsBudget& budget, std::string* pError);

    const CImageReader& Image() const { return m_image; }
    size_t              Count() const { return m_partitions.size(); }

    // Appends to *pPieces where the bytes [0, cb) from block nBlock of
    // partition nRef are in the image, a piece joined to the last one when
    // it goes on from it. 0 with *pWhy ("lies past its partition's end")
    // when a block is outside the partition or the image.
    int Map(uint16_t nRef, uint32_t nBlock, uint64_t cb, std::vector<FsExtent>* pPieces, std::string* pWhy) const;

    // Appends to *pRuns the runs that take blocks [nFirst, nFirst + nCount)
    // of a new partition to blocks nBlock on of partition nRef.
    int MapRuns(uint16_t nRef, uint32_t nBlock, uint32_t nCount, uint32_t nFirst, std::vector<UdfRun>* pRuns,
                std::string* pWhy) const;

    // Reads block nBlock of partition nRef into pBlock (FS_BLOCK bytes);
    // *pnImageBlock: where it is in the image, for messages.
    int ReadBlock(uint16_t nRef, uint32_t nBlock, uint8_t* pBlock, uint64_t* pnImageBlock, std::string* pWhy) const;

private:
    struct CPartition
    {
        UdfMapKind          kind = UdfMapKind::Unknown;
        bool                bReady = false;
        uint32_t            nLength = 0; // blocks
        std::vector<UdfRun> runs;        // sorted, side by side from block 0, gaps not mapped
    };

    // The partition reference of the physical or sparable map of partition
    // number nNumber, or -1.
    int  PhysicalRef(const UdfVolumeInfo& volume, uint16_t nNumber) const;
    int  Find(uint16_t nRef, uint32_t nBlock, uint64_t nCount, std::vector<UdfRun>* pRuns, std::string* pWhy) const;

    const CImageReader&     m_image;
    std::vector<CPartition> m_partitions;
};

// The runs of a sparable partition: its blocks in place but for the
// packets its sparing table moves. 1, or 0 with *pWhy.
int ReadSparingRuns(const CImageReader& image, const UdfPartitionMap& map, const UdfPartitionDescriptor& partition,
                    std::vector<UdfRun>* pRuns, std::string* pWhy);

// The runs of a metadata partition: the metadata file's extents in
// partition nRef (the mirror file's when the metadata file is unusable).
int ReadMetadataRuns(const CUdfPartitions& partitions, uint16_t nRef, const UdfPartitionMap& map, FsBudget& budget,
                     std::vector<UdfRun>* pRuns, uint32_t* pnLength, std::string* pWhy);

// The runs of a virtual partition: its VAT, found in the last recorded
// block of the image inside partition nRef (starting at image block
// nStart). UDF_NOT_READ with *pWhy when no VAT is found there.
int ReadVatRuns(const CUdfPartitions& partitions, uint16_t nRef, uint32_t nStart, unsigned nRevision, FsBudget& budget,
                std::vector<UdfRun>* pRuns, uint32_t* pnLength, std::string* pWhy);
