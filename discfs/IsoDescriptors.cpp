#include "discfs/IsoDescriptors.h"

#include <string.h>

#include "discfs/Iso9660.h"
#include "discfs/Limits.h"
#include "discfs/Span.h"

namespace {

// Blocks 0 to 15 are the system area.
const uint64_t ISO_FIRST_DESCRIPTOR = 16;
// Blocks scanned at most. A descriptor set is a handful of blocks (primary,
// Joliet, boot record, terminator); a longer run is no set a mastering tool
// writes, and the scan ends there as at the terminator.
const unsigned ISO_MAX_DESCRIPTORS = 256;

const uint8_t ISO_TYPE_PRIMARY = 1;
const uint8_t ISO_TYPE_SUPPLEMENTARY = 2;
const uint8_t ISO_TYPE_TERMINATOR = 255;

// Calls take(nBlock, descriptor) for each descriptor of the set in turn
// until it returns true. The same stop rules as CdFindPrimaryVd and
// CdFindActiveVolDescriptor in Microsoft's published CDFS source; with
// bPastVersions, descriptors of another version are stepped over instead
// (as readers other than Windows's do), and *pnStop is where Windows's scan
// ends.
template <typename Take>
void ScanDescriptors(const CImageReader& image, Take take, bool bPastVersions = false, uint32_t* pnStop = nullptr)
{
    uint8_t block[FS_BLOCK];
    for (unsigned i = 0; i < ISO_MAX_DESCRIPTORS; ++i)
    {
        const uint64_t nBlock = ISO_FIRST_DESCRIPTOR + i;
        if (!image.Read(nBlock * FS_BLOCK, FS_BLOCK, block))
            return;
        const CSpan descriptor(block, FS_BLOCK);
        const CSpan id = descriptor.Sub(1, 5);
        if (id.Size() != 5 || memcmp(id.Data(), "CD001", 5) != 0 || descriptor.U8(0) == ISO_TYPE_TERMINATOR)
            return;
        if (descriptor.U8(6) != 1)
        {
            if (pnStop && *pnStop == 0)
                *pnStop = static_cast<uint32_t>(nBlock);
            if (!bPastVersions)
                return;
            continue;
        }
        if (take(static_cast<uint32_t>(nBlock), descriptor))
            return;
    }
}

IsoDescriptor DescriptorAt(uint32_t nBlock, const CSpan& descriptor)
{
    IsoDescriptor found;
    found.bFound = true;
    found.nBlock = nBlock;
    found.cbLogicalBlock = descriptor.Le16(128);
    found.nVolumeBlocks = descriptor.Le32(80);
    // The root folder's record sits at byte 156: its extent at +2, the
    // length of the extended attribute record before its data at +1.
    found.nRootBlock = static_cast<uint64_t>(descriptor.Le32(156 + 2)) + descriptor.U8(156 + 1);
    return found;
}

// Joliet's escape sequences, UCS-2 levels 1 to 3: Windows takes any of
// them and looks at the first three bytes of the field only.
bool IsJolietEscape(const CSpan& descriptor)
{
    return descriptor.U8(88) == '%' && descriptor.U8(89) == '/' &&
           (descriptor.U8(90) == '@' || descriptor.U8(90) == 'C' || descriptor.U8(90) == 'E');
}

} // namespace

void FindIsoDescriptors(const CImageReader& image, IsoDescriptors* pFound)
{
    *pFound = IsoDescriptors();
    ScanDescriptors(image, [&](uint32_t nBlock, const CSpan& descriptor) {
        if (descriptor.U8(0) != ISO_TYPE_PRIMARY)
            return false;
        pFound->primary = DescriptorAt(nBlock, descriptor);
        return true;
    });
    if (!pFound->primary.bFound)
        return;
    // Windows looks for Joliet on a disc with a primary descriptor only, in
    // a scan of its own from the start: the first match wins, whatever its
    // level and wherever the primary one is.
    ScanDescriptors(image, [&](uint32_t nBlock, const CSpan& descriptor) {
        if (descriptor.U8(0) != ISO_TYPE_SUPPLEMENTARY || !IsJolietEscape(descriptor))
            return false;
        pFound->joliet = DescriptorAt(nBlock, descriptor);
        return true;
    });
    if (pFound->joliet.bFound)
        return;
    // genisoimage -iso-level 4 writes its ISO 9660:1999 descriptor before
    // the Joliet one: a tree every other reader shows and Windows never sees.
    ScanDescriptors(
        image,
        [&](uint32_t nBlock, const CSpan& descriptor) {
            if (descriptor.U8(0) != ISO_TYPE_SUPPLEMENTARY || !IsJolietEscape(descriptor))
                return false;
            pFound->hiddenJoliet = DescriptorAt(nBlock, descriptor);
            return true;
        },
        true, &pFound->nStopBlock);
}

IsoVolume FindIsoVolume(const CImageReader& image)
{
    IsoDescriptors found;
    FindIsoDescriptors(image, &found);
    IsoVolume volume;
    volume.bPresent = found.primary.bFound;
    volume.nVolumeBlocks = found.primary.nVolumeBlocks;
    return volume;
}
