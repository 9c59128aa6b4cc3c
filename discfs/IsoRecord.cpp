#include "discfs/IsoRecord.h"

#include "discfs/Limits.h"
#include "discfs/Names.h"

bool IsoRecord::IsSelfOrParent() const
{
    // Only a folder record: a file named by byte 0 or 1 is a name like any
    // other (and an illegal one).
    return (flags & ISO_FLAG_FOLDER) && name.Size() == 1 && name.U8(0) <= 1;
}

int ReadIsoRecord(CSpan folder, size_t nOffset, IsoRecord* pRecord, const char** pszWhy)
{
    *pRecord = IsoRecord();
    if (nOffset >= folder.Size())
    {
        *pszWhy = "ends without a record";
        return 0;
    }
    // A record never spans two blocks (ECMA-119 6.8.1.1).
    const size_t nBlockEnd = nOffset - nOffset % FS_BLOCK + FS_BLOCK;
    const size_t cbLeft = (nBlockEnd < folder.Size() ? nBlockEnd : folder.Size()) - nOffset;
    const size_t cbRecord = folder.U8(nOffset);
    if (cbRecord > cbLeft)
    {
        *pszWhy = "has a record that crosses the end of its block";
        return 0;
    }
    if (cbRecord < ISO_RECORD_MIN)
    {
        *pszWhy = "has a record shorter than a record's fixed part";
        return 0;
    }
    const CSpan  record = folder.Sub(nOffset, cbRecord);
    const size_t cbName = record.U8(32);
    if (cbName == 0)
    {
        *pszWhy = "has a record without a name";
        return 0;
    }
    if (cbName > cbRecord - 33)
    {
        *pszWhy = "has a record whose name runs past its end";
        return 0;
    }
    pRecord->nDataBlock = static_cast<uint64_t>(record.Le32(2)) + record.U8(1);
    pRecord->cbData = record.Le32(10);
    pRecord->flags = record.U8(25);
    pRecord->nUnitBlocks = record.U8(26);
    pRecord->nGapBlocks = record.U8(27);
    pRecord->name = record.Sub(33, cbName);
    return 1;
}

int IsoEntryName(const IsoRecord& record, bool bJoliet, FsEntry* pEntry, const char** pszWhy)
{
    const CSpan& name = record.name;
    std::string  recorded;
    if (bJoliet)
    {
        if (name.Size() % 2 != 0)
        {
            *pszWhy = "has a Joliet name of an odd number of bytes";
            return 0;
        }
        recorded = Utf16BeToUtf8(name.Data(), name.Size());
    }
    else
        recorded.assign(reinterpret_cast<const char*>(name.Data()), name.Size());

    if (recorded.empty() || recorded[0] == ';')
    {
        *pszWhy = "has a record with nothing before its version";
        return 0;
    }
    pEntry->name = CdWindowsName(recorded, &pEntry->nVersion);
    if (pEntry->name.empty())
    {
        // Windows checks for an empty name before it drops the final '.',
        // and would list an entry without a name: no path can reach it.
        *pszWhy = "has a record named '.' alone";
        return 0;
    }
    pEntry->bEightBit = false;
    for (unsigned char ch : pEntry->name)
        pEntry->bEightBit = pEntry->bEightBit || (!bJoliet && ch > 127);
    return 1;
}
