// One directory record of an ISO 9660 or Joliet folder (ECMA-119 9.1) and
// the name NT's CD file system makes of it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "discfs/FsTree.h"
#include "discfs/Span.h"

// The fixed part of a record (33 bytes) and one name byte.
const size_t ISO_RECORD_MIN = 34;

const uint8_t ISO_FLAG_HIDDEN = 0x01;     // the existence bit: Windows shows it as hidden
const uint8_t ISO_FLAG_FOLDER = 0x02;
const uint8_t ISO_FLAG_ASSOCIATED = 0x04; // never listed by Windows
const uint8_t ISO_FLAG_MORE = 0x80;       // the file goes on in the next record

struct IsoRecord
{
    uint64_t nDataBlock = 0;   // where the data starts: the extent after its extended attribute record
    uint32_t cbData = 0;
    uint8_t  flags = 0;
    uint8_t  nUnitBlocks = 0;  // interleaved files: blocks of data, then
    uint8_t  nGapBlocks = 0;   // blocks skipped, over and over
    CSpan    name;             // the recorded identifier, never empty

    // The folder's own record ('.', byte 0) or its parent's ('..', byte 1).
    bool IsSelfOrParent() const;
};

// The record at nOffset of a folder's bytes, whose length byte is not 0.
// 0 with *pszWhy ("crosses the end of its block") when it is damaged the
// way NT's CD file system refuses a record: shorter than its fixed part or
// its name, past the end of its 2048-byte block, or without a name.
int ReadIsoRecord(CSpan folder, size_t nOffset, IsoRecord* pRecord, const char** pszWhy);

// The name Windows lists for a record (not '.' or '..'): ISO 9660 bytes
// kept as they are (pEntry->bEightBit when one is above 127), Joliet UCS-2
// turned into UTF-8; then cut at the first ';' into name and version and a
// final '.' dropped (CdWindowsName). Sets pEntry->name, nVersion and
// bEightBit. 0 with *pszWhy when the name is damaged: Joliet bytes of odd
// count, or nothing left of it before the ';' or once the '.' is dropped.
// A character Windows holds illegal in a name (a control character,
// '*', '/', ':', '?', '\') is kept: the consumer judges it.
int IsoEntryName(const IsoRecord& record, bool bJoliet, FsEntry* pEntry, const char** pszWhy);
