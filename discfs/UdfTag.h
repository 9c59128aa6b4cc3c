// UDF descriptor tags: the 16 bytes that open every descriptor, and what a
// reader checks of them before it trusts the rest.
#pragma once

#include <stdint.h>

#include <string>

#include "discfs/Span.h"

// Tag identifiers: the volume's descriptors, then those of the file set.
const uint16_t UDF_TAG_PRIMARY = 1, UDF_TAG_ANCHOR = 2, UDF_TAG_POINTER = 3, UDF_TAG_IMPLEMENTATION = 4,
               UDF_TAG_PARTITION = 5, UDF_TAG_LOGICAL_VOLUME = 6, UDF_TAG_UNALLOCATED = 7, UDF_TAG_TERMINATOR = 8,
               UDF_TAG_FILE_SET = 256, UDF_TAG_FILE_ID = 257, UDF_TAG_ALLOCATION_EXTENT = 258,
               UDF_TAG_INDIRECT = 259, UDF_TAG_FILE_ENTRY = 261, UDF_TAG_EXTENDED_FILE_ENTRY = 266;
// A sparing table's tag has identifier 0: told apart by its entity identifier.
const uint16_t UDF_TAG_SPARING_TABLE = 0;

// A reader's third answer beside 1 and 0: the volume is of a kind the
// reader does not read (a virtual partition without its table, a revision
// past 2.60); *pError then says why and the tree is marked not read.
const int UDF_NOT_READ = 2;

const size_t UDF_TAG_SIZE = 16;

// "file entry" for UDF_TAG_FILE_ENTRY: for messages.
const char* UdfTagName(uint16_t nId);

// The tag's identifier (0 for a span shorter than a tag).
inline uint16_t UdfTagId(CSpan descriptor) { return descriptor.Le16(0); }

// A tag of nothing but zeros: an unrecorded block, the end of a sequence.
bool IsBlankUdfTag(CSpan descriptor);

// CRC-ITU-T (x^16 + x^12 + x^5 + 1, initial 0), as descriptor CRCs are.
uint16_t UdfCrc(const uint8_t* pBytes, size_t cb);

// Checks the tag that opens descriptor (the descriptor's bytes as read, to
// the end of what was read): identifier nId, version 2 or 3, the checksum
// of its other 15 bytes, the CRC of the bytes after it when its CRC length
// lies inside descriptor, and that it records nLocation, the block it was
// read from (counted from its partition's start for a descriptor inside
// one). 1, or 0 with *pWhy saying what is wrong ("has a bad tag checksum").
int CheckUdfTag(CSpan descriptor, uint16_t nId, uint32_t nLocation, std::string* pWhy);
