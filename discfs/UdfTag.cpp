#include "discfs/UdfTag.h"

const char* UdfTagName(uint16_t nId)
{
    switch (nId)
    {
    case UDF_TAG_SPARING_TABLE:
        return "sparing table";
    case UDF_TAG_PRIMARY:
        return "primary volume descriptor";
    case UDF_TAG_ANCHOR:
        return "anchor volume descriptor pointer";
    case UDF_TAG_POINTER:
        return "volume descriptor pointer";
    case UDF_TAG_IMPLEMENTATION:
        return "implementation use volume descriptor";
    case UDF_TAG_PARTITION:
        return "partition descriptor";
    case UDF_TAG_LOGICAL_VOLUME:
        return "logical volume descriptor";
    case UDF_TAG_UNALLOCATED:
        return "unallocated space descriptor";
    case UDF_TAG_TERMINATOR:
        return "terminating descriptor";
    case UDF_TAG_FILE_SET:
        return "file set descriptor";
    case UDF_TAG_FILE_ID:
        return "file identifier";
    case UDF_TAG_ALLOCATION_EXTENT:
        return "allocation extent descriptor";
    case UDF_TAG_INDIRECT:
        return "indirect entry";
    case UDF_TAG_FILE_ENTRY:
        return "file entry";
    case UDF_TAG_EXTENDED_FILE_ENTRY:
        return "extended file entry";
    default:
        return "descriptor";
    }
}

bool IsBlankUdfTag(CSpan descriptor)
{
    if (!descriptor.Has(0, UDF_TAG_SIZE))
        return false;
    for (size_t i = 0; i < UDF_TAG_SIZE; ++i)
    {
        if (descriptor.U8(i))
            return false;
    }
    return true;
}

uint16_t UdfCrc(const uint8_t* pBytes, size_t cb)
{
    // A byte at a time through a table: a million file entries are checked
    // in well under a second.
    static const struct CTable
    {
        uint16_t a[256];
        CTable()
        {
            for (unsigned n = 0; n < 256; ++n)
            {
                uint16_t crc = static_cast<uint16_t>(n << 8);
                for (int nBit = 0; nBit < 8; ++nBit)
                    crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
                a[n] = crc;
            }
        }
    } s_table;
    uint16_t crc = 0;
    for (size_t i = 0; i < cb; ++i)
        crc = static_cast<uint16_t>((crc << 8) ^ s_table.a[((crc >> 8) ^ pBytes[i]) & 0xFF]);
    return crc;
}

int CheckUdfTag(CSpan descriptor, uint16_t nId, uint32_t nLocation, std::string* pWhy)
{
    if (!descriptor.Has(0, UDF_TAG_SIZE))
    {
        *pWhy = "is cut short";
        return 0;
    }
    if (UdfTagId(descriptor) != nId)
    {
        *pWhy = IsBlankUdfTag(descriptor) ? std::string("is not recorded (a blank block)")
                                          : "is no " + std::string(UdfTagName(nId)) + " (tag " +
                                                std::to_string(UdfTagId(descriptor)) + ")";
        return 0;
    }
    // Bytes 0 to 3 and 5 to 15: byte 4 is the checksum itself (libudf's
    // sum of bytes 0 to 14 is not this one).
    uint8_t nSum = 0;
    for (size_t i = 0; i < UDF_TAG_SIZE; ++i)
    {
        if (i != 4)
            nSum = static_cast<uint8_t>(nSum + descriptor.U8(i));
    }
    if (nSum != descriptor.U8(4))
    {
        *pWhy = "has a bad tag checksum";
        return 0;
    }
    const uint16_t nVersion = descriptor.Le16(2);
    if (nVersion != 2 && nVersion != 3)
    {
        *pWhy = "has tag version " + std::to_string(nVersion);
        return 0;
    }
    // A CRC length past the bytes read is not checked: some writers count
    // the whole block for a descriptor shorter than it. The lengths inside
    // the descriptor are checked by its reader all the same.
    const size_t cbCrc = descriptor.Le16(10);
    if (descriptor.Has(UDF_TAG_SIZE, cbCrc) && UdfCrc(descriptor.Data() + UDF_TAG_SIZE, cbCrc) != descriptor.Le16(8))
    {
        *pWhy = "has a bad CRC";
        return 0;
    }
    if (descriptor.Le32(12) != nLocation)
    {
        *pWhy = "records block " + std::to_string(descriptor.Le32(12)) + " as its place, not " +
                std::to_string(nLocation);
        return 0;
    }
    return 1;
}
