// The disc image reader over damaged images. An input is an image in short:
// its length in blocks (two bytes), the bytes cut from its end (two), then
// blocks as (block number, byte count, bytes) with the rest of each block
// and every block not given left zero, so that a seed of a real image made
// by the mastering tools is a few kilobytes.
#include <stddef.h>
#include <stdint.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "discplan/image/DiscImage.h"
#include "discplan/image/ImageFindings.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

const uint32_t MAX_BLOCKS = 2048;

uint16_t Half(CFuzzInput& input) { return static_cast<uint16_t>(input.Byte() | (input.Byte() << 8)); }

// Reads a few files of a tree back, the way discplan reads Setup.ini.
void ReadSome(const CImageSource& source, const ImageEntry& folder, std::vector<std::string>& path, int* pnLeft)
{
    for (const ImageEntry& child : folder.children)
    {
        if (--*pnLeft < 0)
            return;
        path.push_back(child.name);
        std::vector<DiscEntry> entries;
        std::string            bytes;
        if (child.bFolder)
        {
            source.List(path, &entries);
            ReadSome(source, child, path, pnLeft);
        }
        else
            source.Read(path, &bytes);
        path.pop_back();
    }
}

} // namespace

// libisofs leaves a few allocations behind when it gives up on a damaged
// image part-way through an import; they are its own, not the reader's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libisofs.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    static int s_fd = memfd_create("image", 0);
    if (s_fd < 0)
        return 0;
    CFuzzInput input(pData, cbData);
    uint32_t   nBlocks = Half(input) % (MAX_BLOCKS + 1);
    uint32_t   cbCut = Half(input) % CD_BLOCK;
    uint64_t   cbImage = static_cast<uint64_t>(nBlocks) * CD_BLOCK;
    cbImage = cbImage > cbCut ? cbImage - cbCut : 0;
    if (ftruncate(s_fd, 0) != 0 || ftruncate(s_fd, static_cast<off_t>(cbImage)) != 0)
        return 0;
    while (true)
    {
        uint32_t nBlock = Half(input);
        uint32_t cb = Half(input) % (CD_BLOCK + 1);
        std::string bytes;
        for (uint32_t i = 0; i < cb; ++i)
            bytes += static_cast<char>(input.Byte());
        if (cb == 0)
            break;
        uint64_t nOffset = static_cast<uint64_t>(nBlock) * CD_BLOCK;
        if (nOffset + cb <= cbImage && pwrite(s_fd, bytes.data(), cb, static_cast<off_t>(nOffset)) < 0)
            return 0;
    }
    std::string path = "/proc/self/fd/" + std::to_string(s_fd);
    CDiscImage  image;
    std::string error;
    if (!image.Open(path.c_str(), &error))
        return 0;
    CheckImage(image.Trees());
    for (TreeKind kind : {TreeKind::Iso9660, TreeKind::Joliet, TreeKind::Udf})
    {
        CImageSource             source(image, kind);
        std::vector<std::string> folder;
        int                      nLeft = 64;
        ReadSome(source, image.Trees().Tree(kind).root, folder, &nLeft);
    }
    return 0;
}
