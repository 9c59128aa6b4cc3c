// How a UDF volume is recognised: the volume recognition sequence, and
// the anchor of a volume of another block size, for its message.
#include <string.h>

#include "discfs/Limits.h"
#include "discfs/Span.h"
#include "discfs/UdfTag.h"
#include "discfs/UdfVolume.h"

namespace {

// The volume recognition sequence starts at byte 32768 (after the 16
// blocks of the system area), one 2048-byte descriptor after another.
const uint64_t VRS_START = 32768;
const int      MAX_VRS_DESCRIPTORS = 64;

} // namespace

// How strictly Windows holds the sequence is not documented: the
// scan follows ECMA-167 and stops at the first descriptor whose identifier
// is none of the known ones (CD001 and the others may come first on a
// bridge disc); a missing TEA01 is tolerated.
bool HasUdfNsrDescriptor(const CImageReader& image)
{
    static const char* const s_known[] = {"CD001", "CDW02", "BOOT2", "BEA01", "NSR02", "NSR03", "TEA01"};
    bool bExtended = false;
    for (int i = 0; i < MAX_VRS_DESCRIPTORS; ++i)
    {
        uint8_t head[7];
        if (!image.Read(VRS_START + static_cast<uint64_t>(i) * FS_BLOCK, sizeof(head), head))
            return false;
        const char* szId = reinterpret_cast<const char*>(head + 1);
        bool        bKnown = false;
        for (const char* szKnown : s_known)
            bKnown = bKnown || memcmp(szId, szKnown, 5) == 0;
        if (!bKnown)
            return false;
        if (memcmp(szId, "BEA01", 5) == 0)
            bExtended = true;
        else if (memcmp(szId, "TEA01", 5) == 0)
            bExtended = false;
        else if (bExtended && (memcmp(szId, "NSR02", 5) == 0 || memcmp(szId, "NSR03", 5) == 0))
            return true;
    }
    return false;
}

int UdfOtherBlockSize(const CImageReader& image)
{
    for (int cbBlock : {512, 1024, 4096})
    {
        uint8_t     bytes[UDF_TAG_SIZE];
        std::string why;
        if (image.Read(256ull * static_cast<unsigned>(cbBlock), sizeof(bytes), bytes) &&
            CheckUdfTag(CSpan(bytes, sizeof(bytes)), UDF_TAG_ANCHOR, 256, &why))
            return cbBlock;
    }
    return 0;
}

