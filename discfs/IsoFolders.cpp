#include "discfs/IsoFolders.h"

#include <deque>
#include <unordered_set>
#include <vector>

#include "discfs/IsoRecord.h"
#include "discfs/Limits.h"
#include "discfs/Names.h"

namespace {

// A path in a message is cut to its last bytes past this length.
const size_t ISO_MESSAGE_PATH = 200;

struct PendingFolder
{
    uint32_t nEntry;
    uint64_t nBlock; // its first block: the record's extent after its extended attribute record
    int      nDepth; // levels below the root
};

class CIsoWalk
{
public:
    CIsoWalk(const CImageReader& image, FsBudget& budget, FsTree* pTree, std::string* pError)
        : m_image(image), m_budget(budget), m_tree(*pTree), m_pError(pError),
          m_bJoliet(pTree->kind == FsKind::Joliet), m_cbFolderBytesLeft(image.Size())
    {
    }

    int Walk(uint64_t nRootBlock);

private:
    int ReadFolder(const PendingFolder& folder);
    int AddEntry(const PendingFolder& folder, const IsoRecord& record, FsEntry& entry, uint32_t* pnFile);
    int AddExtents(uint32_t nFile, const IsoRecord& record);

    bool InImage(uint64_t nBlock, uint64_t cb) const
    {
        const uint64_t nOffset = nBlock * FS_BLOCK; // nBlock < 2^33: no overflow
        return nOffset <= m_image.Size() && cb <= m_image.Size() - nOffset;
    }
    std::string Where(uint32_t nEntry, uint64_t nBlock) const;
    int         Fail(uint32_t nEntry, uint64_t nBlock, const std::string& what);
    // A record's fault, at nOffset of the folder's bytes.
    int FailAt(const PendingFolder& folder, size_t nOffset, const char* szWhat)
    {
        return Fail(folder.nEntry, folder.nBlock,
                    std::string(szWhat) + " (block " + std::to_string(folder.nBlock + nOffset / FS_BLOCK) +
                        ", offset " + std::to_string(nOffset % FS_BLOCK) + ")");
    }

    const CImageReader&          m_image;
    FsBudget&                    m_budget;
    FsTree&                      m_tree;
    std::string*                 m_pError;
    const bool                   m_bJoliet;
    uint64_t                     m_cbFolderBytesLeft;
    std::unordered_set<uint64_t> m_visited; // folders' first blocks
    std::deque<PendingFolder>    m_pending;
    std::vector<uint8_t>         m_bytes;
};

int CIsoWalk::Walk(uint64_t nRootBlock)
{
    std::string error;
    if (!m_budget.TakeEntries(1, &error))
        return Fail(0, nRootBlock, "cannot be listed: " + error);
    FsEntry root;
    root.bFolder = true;
    m_tree.entries.push_back(root);
    m_visited.insert(nRootBlock);
    m_pending.push_back({0, nRootBlock, 0});
    // First in, first out: folders are read in the order their entries
    // stand in the array, so each one's children are appended together.
    while (!m_pending.empty())
    {
        const PendingFolder folder = m_pending.front();
        m_pending.pop_front();
        if (!ReadFolder(folder))
            return 0;
    }
    m_tree.bPresent = true;
    m_tree.bRead = true;
    return 1;
}

int CIsoWalk::ReadFolder(const PendingFolder& folder)
{
    // A folder's size is that of its own record, '.', which must come first
    // (Windows locates a folder through the path table and sizes it from
    // '.'; we take the location from the parent's record instead, which the
    // path table repeats on every disc a mastering tool writes).
    uint8_t block[FS_BLOCK];
    if (!InImage(folder.nBlock, FS_BLOCK) || !m_image.Read(folder.nBlock * FS_BLOCK, FS_BLOCK, block))
        return Fail(folder.nEntry, folder.nBlock, "lies past the end of the image");
    const CSpan first(block, FS_BLOCK);
    IsoRecord   self;
    const char* szWhy = nullptr;
    if (first.U8(0) != 0 && !ReadIsoRecord(first, 0, &self, &szWhy))
        return Fail(folder.nEntry, folder.nBlock, std::string(szWhy) + " (its first record)");
    if (first.U8(0) == 0 || !self.IsSelfOrParent() || self.name.U8(0) != 0)
        return Fail(folder.nEntry, folder.nBlock, "does not begin with its own record ('.')");
    const uint64_t cbFolder = (static_cast<uint64_t>(self.cbData) + FS_BLOCK - 1) / FS_BLOCK * FS_BLOCK;
    if (cbFolder == 0)
        return Fail(folder.nEntry, folder.nBlock, "records a size of 0 for itself");
    if (cbFolder > FS_MAX_FOLDER_BYTES)
        return Fail(folder.nEntry, folder.nBlock,
                    "records a size of " + std::to_string(self.cbData) + " bytes, more than the " +
                        std::to_string(FS_MAX_FOLDER_BYTES) + " a folder is read to");
    if (!InImage(folder.nBlock, cbFolder))
        return Fail(folder.nEntry, folder.nBlock, "lies past the end of the image");
    // Folders of a tree written by a tool never overlap, so together they
    // hold no more bytes than the image. Folders that claim more share
    // blocks, each read again for every folder that claims it: a few
    // thousand blocks would cost gigabytes of reading.
    if (cbFolder > m_cbFolderBytesLeft)
        return Fail(folder.nEntry, folder.nBlock,
                    "overlaps other folders until the tree's folders hold more bytes than the image");
    m_cbFolderBytesLeft -= cbFolder;
    m_bytes.resize(static_cast<size_t>(cbFolder));
    if (!m_image.Read(folder.nBlock * FS_BLOCK, m_bytes.size(), m_bytes.data()))
        return Fail(folder.nEntry, folder.nBlock, "cannot be read");

    const CSpan  bytes(m_bytes.data(), m_bytes.size());
    const size_t nFirstChild = m_tree.entries.size();
    bool         bMore = false;       // the last record said the file goes on
    uint32_t     nFile = FS_NO_ENTRY; // the file whose pieces these are, or none (skipped)
    for (size_t nOffset = 0; nOffset < bytes.Size();)
    {
        const size_t cbRecord = bytes.U8(nOffset);
        if (cbRecord == 0)
        {
            // No more records in this block: the next one may hold more.
            nOffset = nOffset - nOffset % FS_BLOCK + FS_BLOCK;
            continue;
        }
        IsoRecord record;
        if (!ReadIsoRecord(bytes, nOffset, &record, &szWhy))
            return FailAt(folder, nOffset, szWhy);
        const size_t nRecordOffset = nOffset;
        nOffset += cbRecord;
        const bool bFirstPiece = !bMore;
        bMore = (record.flags & ISO_FLAG_MORE) != 0;
        if (!bFirstPiece)
        {
            // Windows takes every following record as the next piece,
            // whatever its name says.
            if (nFile != FS_NO_ENTRY && !AddExtents(nFile, record))
                return 0;
            continue;
        }
        nFile = FS_NO_ENTRY;
        if (record.IsSelfOrParent())
            continue;
        // Windows checks the name of an associated file too as it lists
        // the folder, and fails the listing over a bad one.
        FsEntry entry;
        if (!IsoEntryName(record, m_bJoliet, &entry, &szWhy))
            return FailAt(folder, nRecordOffset, szWhy);
        if (record.flags & ISO_FLAG_ASSOCIATED)
            continue;
        if (!AddEntry(folder, record, entry, &nFile))
            return 0;
    }
    if (bMore)
        return Fail(folder.nEntry, folder.nBlock, "ends in a file whose next piece is missing");
    FsEntry& parent = m_tree.entries[folder.nEntry];
    parent.nFirstChild = static_cast<uint32_t>(nFirstChild);
    parent.nChildren = static_cast<uint32_t>(m_tree.entries.size() - nFirstChild);
    return 1;
}

// Appends the entry of a record's first piece; *pnFile is its index when it
// is a file, whose further pieces follow.
int CIsoWalk::AddEntry(const PendingFolder& folder, const IsoRecord& record, FsEntry& entry, uint32_t* pnFile)
{
    std::string error;
    if (!m_budget.TakeEntries(1, &error))
        return Fail(folder.nEntry, folder.nBlock, "cannot be listed: " + error);
    const uint32_t nEntry = static_cast<uint32_t>(m_tree.entries.size());
    entry.nParent = folder.nEntry;
    entry.bFolder = (record.flags & ISO_FLAG_FOLDER) != 0;
    entry.bHidden = (record.flags & ISO_FLAG_HIDDEN) != 0;
    if (!entry.bFolder)
        entry.nFirstExtent = static_cast<uint32_t>(m_tree.extents.size());
    m_tree.entries.push_back(std::move(entry));
    if (!m_tree.entries.back().bFolder)
    {
        *pnFile = nEntry;
        return AddExtents(nEntry, record);
    }
    if (record.flags & ISO_FLAG_MORE)
        return Fail(nEntry, record.nDataBlock, "is recorded in pieces, as only a file may be");
    if (folder.nDepth + 1 > FS_MAX_DEPTH)
        return Fail(nEntry, record.nDataBlock, "lies deeper than " + std::to_string(FS_MAX_DEPTH) + " levels");
    // Each folder is read once: one met again is a loop, or two records
    // for one folder, which no tool writes. (The ISO 9660 and Joliet trees
    // share files' data, never folders, and each has its own set.)
    if (!m_visited.insert(record.nDataBlock).second)
        return Fail(nEntry, record.nDataBlock, "is met twice (a loop)");
    m_pending.push_back({nEntry, record.nDataBlock, folder.nDepth + 1});
    return 1;
}

int CIsoWalk::AddExtents(uint32_t nFile, const IsoRecord& record)
{
    if (record.cbData == 0)
        return 1;
    const uint64_t cbData = record.cbData;
    // Interleaved (ECMA-119 6.4.3): units of nUnitBlocks blocks of data,
    // each followed by nGapBlocks blocks that are not the file's; Windows
    // maps them so (CdAddAllocationFromDirent). Without a gap it is one run.
    const bool     bInterleaved = record.nUnitBlocks != 0 && record.nGapBlocks != 0;
    const uint64_t cbUnit = bInterleaved ? uint64_t(record.nUnitBlocks) * FS_BLOCK : cbData;
    const uint64_t cbStep = bInterleaved ? uint64_t(record.nUnitBlocks + record.nGapBlocks) * FS_BLOCK : 0;
    const uint64_t nPieces = (cbData + cbUnit - 1) / cbUnit;
    const uint64_t nLastOffset = record.nDataBlock * FS_BLOCK + (nPieces - 1) * cbStep;
    const uint64_t cbLast = cbData - (nPieces - 1) * cbUnit;
    if (nLastOffset > m_image.Size() || cbLast > m_image.Size() - nLastOffset)
        return Fail(nFile, record.nDataBlock, "lies past the end of the image");
    std::string error;
    if (!m_budget.TakeExtents(static_cast<size_t>(nPieces), &error))
        return Fail(nFile, record.nDataBlock, "cannot be read: " + error);
    FsEntry& file = m_tree.entries[nFile];
    for (uint64_t i = 0; i < nPieces; ++i)
    {
        FsExtent extent;
        extent.nOffset = record.nDataBlock * FS_BLOCK + i * cbStep;
        extent.cbLength = i + 1 < nPieces ? cbUnit : cbLast;
        m_tree.extents.push_back(extent);
    }
    file.nExtents += static_cast<uint32_t>(nPieces);
    file.cbSize += cbData;
    return 1;
}

// "the Joliet folder \Dusmara at block 40"
std::string CIsoWalk::Where(uint32_t nEntry, uint64_t nBlock) const
{
    // ISO 9660 bytes above 127 shown as the Latin-1 code points of the same
    // number, as fsdump shows names; control characters, which names may
    // hold, as '?' to keep the message one line.
    std::string path;
    for (unsigned char ch : m_tree.PathOf(nEntry))
    {
        if (ch < 0x20 || ch == 0x7F)
            path += '?';
        else if (!m_bJoliet && ch > 127)
            AppendUtf8(ch, &path);
        else
            path += static_cast<char>(ch);
    }
    if (path.size() > ISO_MESSAGE_PATH)
    {
        size_t nCut = path.size() - ISO_MESSAGE_PATH;
        while (nCut < path.size() && (static_cast<unsigned char>(path[nCut]) & 0xC0) == 0x80)
            ++nCut;
        path = "..." + path.substr(nCut);
    }
    const bool bFolder = nEntry >= m_tree.entries.size() || m_tree.entries[nEntry].bFolder;
    return std::string("the ") + FsKindName(m_tree.kind) + (bFolder ? " folder " : " file ") + path + " at block " +
           std::to_string(nBlock);
}

int CIsoWalk::Fail(uint32_t nEntry, uint64_t nBlock, const std::string& what)
{
    *m_pError = Where(nEntry, nBlock) + " " + what;
    return 0;
}

} // namespace

int ReadIsoFolders(const CImageReader& image, FsBudget& budget, uint64_t nRootBlock, FsTree* pTree,
                   std::string* pError)
{
    pTree->entries.clear();
    pTree->extents.clear();
    CIsoWalk walk(image, budget, pTree, pError);
    return walk.Walk(nRootBlock);
}
