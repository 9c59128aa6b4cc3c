// The disc file systems reader over damaged images, and discplan's reading
// of the trees it gives. An input is an image in short: its length in blocks
// (two bytes), the bytes cut from its end (two), then blocks as (block
// number, byte count, bytes) with the rest of each block and every block not
// given left zero, so that a seed of a real image made by the mastering
// tools is a few kilobytes.
#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>

#include "discfs/DiscFs.h"
#include "discfs/Limits.h"
#include "discplan/findings/ImageFindings.h"
#include "discplan/input/ImageSource.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

// Block numbers are two bytes: images up to 128 MiB, more than the
// structures of any seed need.
const uint32_t MAX_BLOCKS = 65535;

uint16_t Half(CFuzzInput& input) { return static_cast<uint16_t>(input.Byte() | (input.Byte() << 8)); }

// Lists and reads a few entries of a tree, the way discplan walks it.
void ReadSome(const CImageSource& source, std::vector<std::string>& path, int* pnLeft)
{
    std::vector<DiscEntry> entries;
    if (!source.List(path, &entries))
        return;
    for (const DiscEntry& entry : entries)
    {
        if (--*pnLeft < 0)
            return;
        path.push_back(entry.name);
        std::string bytes;
        if (entry.bFolder)
            ReadSome(source, path, pnLeft);
        else
            source.Read(path, &bytes);
        path.pop_back();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    CFuzzInput     input(pData, cbData);
    const uint32_t nBlocks = Half(input) % (MAX_BLOCKS + 1);
    const uint32_t cbCut = Half(input) % FS_BLOCK;
    uint64_t       cbImage = static_cast<uint64_t>(nBlocks) * FS_BLOCK;
    cbImage = cbImage > cbCut ? cbImage - cbCut : 0;
    std::unique_ptr<CSparseImage> pImage(new CSparseImage(cbImage));
    while (true)
    {
        const uint32_t nBlock = Half(input);
        const uint32_t cb = Half(input) % (FS_BLOCK + 1);
        if (cb == 0)
            break;
        std::string bytes;
        for (uint32_t i = 0; i < cb; ++i)
            bytes += static_cast<char>(input.Byte());
        pImage->SetBlock(nBlock, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    CDiscFs     image;
    std::string error;
    if (!image.Open(std::unique_ptr<CImageReader>(pImage.release()), &error))
        return 0;
    // 850: an OEM code page whose every byte is a character.
    const CCodePage* pOem = CCodePage::Get(850);
    CheckImage(image.Trees(), "D:\\", pOem);
    for (FsKind kind : {FsKind::Iso9660, FsKind::Joliet, FsKind::Udf})
    {
        CImageSource             source(image, image.Trees().Tree(kind), pOem);
        std::vector<std::string> path;
        int                      nLeft = 64;
        ReadSome(source, path, &nLeft);
    }
    return 0;
}
