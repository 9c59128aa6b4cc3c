#include "discfs/Iso9660.h"

#include "discfs/IsoDescriptors.h"
#include "discfs/IsoFolders.h"
#include "discfs/Limits.h"

namespace {

std::string BlockSizeRefused(const char* szDescriptor, const IsoDescriptor& descriptor)
{
    return std::string("the ") + szDescriptor + " volume descriptor at block " + std::to_string(descriptor.nBlock) +
           " records logical blocks of " + std::to_string(descriptor.cbLogicalBlock) +
           " bytes; Windows mounts only 2048";
}

} // namespace

int ReadIsoTrees(const CImageReader& image, FsBudget& budget, FsTree* pIso, FsTree* pJoliet, std::string* pError)
{
    IsoDescriptors found;
    FindIsoDescriptors(image, &found);
    if (!found.primary.bFound)
        return 1;
    // Windows mounts the volume from the Joliet descriptor when there is
    // one, else from the primary one, and refuses it (a corrupt disc) when
    // that descriptor's logical block is not 2048 bytes.
    if (found.joliet.bFound && found.joliet.cbLogicalBlock != FS_BLOCK)
    {
        *pError = BlockSizeRefused("Joliet", found.joliet);
        return 0;
    }
    if (!found.joliet.bFound && found.primary.cbLogicalBlock != FS_BLOCK)
    {
        *pError = BlockSizeRefused("primary", found.primary);
        return 0;
    }
    pIso->bPresent = true;
    if (found.primary.cbLogicalBlock != FS_BLOCK)
    {
        // Only a system that ignores Joliet mounts the primary descriptor.
        pIso->problem = BlockSizeRefused("primary", found.primary);
    }
    else if (!ReadIsoFolders(image, budget, found.primary.nRootBlock, pIso, pError))
        return 0;
    if (found.joliet.bFound)
    {
        pJoliet->bPresent = true;
        if (!ReadIsoFolders(image, budget, found.joliet.nRootBlock, pJoliet, pError))
            return 0;
    }
    else if (found.hiddenJoliet.bFound)
        pJoliet->problem = "its Joliet descriptor at block " + std::to_string(found.hiddenJoliet.nBlock) +
                           " comes after the descriptor of another version at block " +
                           std::to_string(found.nStopBlock) + ", where Windows stops looking for it";
    return 1;
}
