#include "discfs/Udf.h"

#include "discfs/UdfFiles.h"
#include "discfs/UdfFolders.h"
#include "discfs/UdfPartition.h"
#include "discfs/UdfTag.h"
#include "discfs/UdfVolume.h"

namespace {

// What is not read leaves the tree present, its entries empty.
int NotRead(const std::string& problem, FsTree* pUdf)
{
    pUdf->problem = problem;
    pUdf->entries.clear();
    pUdf->extents.clear();
    return 1;
}

} // namespace

int ReadUdfTree(const CImageReader& image, FsBudget& budget, FsTree* pUdf, std::string* pError)
{
    pUdf->kind = FsKind::Udf;
    UdfVolumeInfo volume;
    if (!FindUdfVolume(image, &volume, pError))
        return 0;
    if (!volume.bPresent)
        return 1;
    pUdf->bPresent = true;
    pUdf->nUdfRevision = volume.nRevision;
    // Windows reads a volume of the OSTA domain up to the revision it knows
    // (2.60 since Vista); the reader takes all of them, from 1.00.
    if (!volume.bOsta)
        return NotRead("the logical volume is not of the OSTA UDF domain", pUdf);
    if (volume.nRevision < 0x0100 || volume.nRevision > 0x0260)
        return NotRead("UDF revision " + UdfRevisionText(volume.nRevision) + " is not read (1.00 to 2.60 are)", pUdf);
    CUdfPartitions partitions(image);
    std::string    why;
    int            nRead = partitions.Init(volume, budget, &why);
    UdfLongAd      root;
    if (nRead == 1)
        nRead = ReadUdfFileSet(partitions, volume.fileSet, &root, &why);
    if (nRead == 1)
        nRead = ReadUdfFolders(partitions, root, budget, pUdf, &why);
    if (nRead == UDF_NOT_READ)
        return NotRead(why, pUdf);
    if (nRead != 1)
    {
        *pError = why;
        return 0;
    }
    pUdf->bRead = true;
    return 1;
}
