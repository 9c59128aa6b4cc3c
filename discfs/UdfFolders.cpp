#include "discfs/UdfFolders.h"

#include <deque>
#include <unordered_map>

#include "discfs/Limits.h"
#include "discfs/Names.h"
#include "discfs/Span.h"
#include "discfs/UdfFiles.h"
#include "discfs/UdfTag.h"

namespace {

// All folders' bytes together: a million names of 200 bytes each. Many
// folder entries may name the same bytes, so each folder's limit alone
// would not bound the time.
const uint64_t MAX_ALL_FOLDER_BYTES = 256 * 1024 * 1024;
const size_t   FID_FIXED = 38; // a file identifier's fixed part
const uint8_t  FID_HIDDEN = 0x01, FID_FOLDER = 0x02, FID_DELETED = 0x04, FID_PARENT = 0x08;

const size_t   MESSAGE_PATH = 200; // the end of a longer path is shown

std::string At(uint64_t nBlock) { return " at block " + std::to_string(nBlock); }

uint64_t KeyOf(uint16_t nRef, uint32_t nBlock) { return (static_cast<uint64_t>(nRef) << 32) | nBlock; }

class CUdfWalk
{
public:
    CUdfWalk(const CUdfPartitions& partitions, FsBudget& budget, FsTree& tree)
        : m_partitions(partitions), m_budget(budget), m_tree(tree)
    {
    }

    int Run(const UdfLongAd& root, std::string* pError)
    {
        CFolder folder;
        const std::string what = "the UDF root folder's file entry";
        const int nRead = ReadUdfEntry(m_partitions, root.nRef, root.nBlock, what, m_budget, &folder.entry, pError);
        if (nRead != 1)
            return nRead;
        if (folder.entry.nFileType != UDF_FILE_TYPE_FOLDER)
        {
            *pError = what + At(folder.entry.nImageBlock) + " is no folder (file type " +
                      std::to_string(folder.entry.nFileType) + ")";
            return 0;
        }
        if (!m_budget.TakeEntries(1, pError))
            return 0;
        FsEntry entry;
        entry.bFolder = true;
        m_tree.entries.push_back(entry);
        m_entryOf[KeyOf(root.nRef, root.nBlock)] = 0;
        m_pending.push_back(std::move(folder));
        while (!m_pending.empty())
        {
            const int nList = ListFolder(m_pending.front(), pError);
            if (nList != 1)
                return nList;
            m_pending.pop_front();
        }
        return 1;
    }

private:
    struct CFolder
    {
        uint32_t nEntry = 0;
        int      nDepth = 0;
        UdfEntry entry;
    };

    // The entry's path for a message: control characters, which names may
    // hold, as '?' to keep the message one line; a long path's end.
    std::string Shown(uint32_t nEntry) const
    {
        std::string path;
        for (unsigned char ch : m_tree.PathOf(nEntry))
            path += ch < 0x20 || ch == 0x7F ? '?' : static_cast<char>(ch);
        if (path.size() > MESSAGE_PATH)
        {
            size_t nCut = path.size() - MESSAGE_PATH;
            while (nCut < path.size() && (static_cast<unsigned char>(path[nCut]) & 0xC0) == 0x80)
                ++nCut;
            path = "..." + path.substr(nCut);
        }
        return path;
    }

    // The folder's bytes, read whole: a file identifier may cross from one
    // block, or one extent, to the next.
    int ReadBytes(const CFolder& folder, const std::string& path, std::vector<uint8_t>* pBytes, std::string* pError)
    {
        const UdfEntry& entry = folder.entry;
        if (entry.cbSize > MAX_ALL_FOLDER_BYTES - m_cbAllFolders)
        {
            *pError = "the UDF folders hold more than " + std::to_string(MAX_ALL_FOLDER_BYTES) + " bytes (at " + path + ")";
            return 0;
        }
        m_cbAllFolders += entry.cbSize;
        std::vector<FsExtent> pieces;
        if (!MapUdfEntry(m_partitions, entry, "the UDF folder " + path, &pieces, pError))
            return 0;
        pBytes->assign(static_cast<size_t>(entry.cbSize), 0);
        size_t nAt = 0;
        for (const FsExtent& piece : pieces)
        {
            if (piece.cbLength > pBytes->size() - nAt ||
                (!piece.bZeros && !m_partitions.Image().Read(piece.nOffset, static_cast<size_t>(piece.cbLength), pBytes->data() + nAt)))
            {
                *pError = "the UDF folder " + path + At(entry.nImageBlock) + " lies past the image's end";
                return 0;
            }
            nAt += static_cast<size_t>(piece.cbLength);
        }
        return 1;
    }

    int ListFolder(const CFolder& folder, std::string* pError)
    {
        const std::string    path = Shown(folder.nEntry);
        std::vector<uint8_t> bytes;
        if (!ReadBytes(folder, path, &bytes, pError))
            return 0;
        m_tree.entries[folder.nEntry].nFirstChild = static_cast<uint32_t>(m_tree.entries.size());
        const CSpan all(bytes.data(), bytes.size());
        size_t      nAd = 0, nAdStart = 0; // the extent that holds byte p, and where it starts
        for (size_t p = 0; p < bytes.size();)
        {
            // The block a file identifier records as its place: the one
            // its first byte is in (the entry's own, inside the entry).
            const std::vector<UdfAd>& ads = folder.entry.ads;
            while (nAd + 1 < ads.size() && p >= nAdStart + ads[nAd].cbLength)
                nAdStart += ads[nAd++].cbLength;
            const uint32_t nPlace = folder.entry.bEmbedded || ads.empty()
                                      ? folder.entry.nBlock
                                      : ads[nAd].nBlock + static_cast<uint32_t>((p - nAdStart) / FS_BLOCK);
            const CSpan fid = all.Sub(p, bytes.size() - p);
            std::string why;
            if (!fid.Has(0, FID_FIXED) || !CheckUdfTag(fid, UDF_TAG_FILE_ID, nPlace, &why))
            {
                *pError = "the UDF folder " + path + At(folder.entry.nImageBlock) + " has a file identifier at byte " +
                          std::to_string(p) + " that " + (why.empty() ? "is cut short" : why);
                return 0;
            }
            const size_t cbName = fid.U8(19), cbUse = fid.Le16(36);
            const size_t cbFid = FID_FIXED + cbUse + cbName;
            if (!fid.Has(0, cbFid))
            {
                *pError = "the UDF folder " + path + At(folder.entry.nImageBlock) + " has a file identifier at byte " +
                          std::to_string(p) + " that runs past the folder's end";
                return 0;
            }
            p += (cbFid + 3) & ~static_cast<size_t>(3);
            const uint8_t nFlags = fid.U8(18);
            if (nFlags & (FID_DELETED | FID_PARENT))
                continue;
            FsEntry child;
            if (!UdfNameToUtf8(fid.Data() + FID_FIXED + cbUse, cbName, &child.name))
            {
                *pError = "the UDF folder " + path + " has a name in an unknown form (at byte " +
                          std::to_string(p) + ")";
                return 0;
            }
            child.nParent = folder.nEntry;
            child.bFolder = (nFlags & FID_FOLDER) != 0;
            child.bHidden = (nFlags & FID_HIDDEN) != 0;
            const int nAdd = AddChild(folder, std::move(child), fid.Le16(28), fid.Le32(24), pError);
            if (nAdd != 1)
                return nAdd;
        }
        return 1;
    }

    int AddChild(const CFolder& folder, FsEntry&& child, uint16_t nRef, uint32_t nBlock, std::string* pError)
    {
        if (!m_budget.TakeEntries(1, pError))
            return 0;
        const uint32_t nChild = static_cast<uint32_t>(m_tree.entries.size());
        ++m_tree.entries[folder.nEntry].nChildren;
        m_tree.entries.push_back(std::move(child));
        const std::string path = Shown(nChild);
        const auto        known = m_entryOf.find(KeyOf(nRef, nBlock));
        if (known != m_entryOf.end())
        {
            // Hard links to a file are fine; a folder named twice is a loop.
            const FsEntry& other = m_tree.entries[known->second];
            FsEntry&       entry = m_tree.entries[nChild];
            if (other.bFolder || entry.bFolder)
            {
                *pError = "the UDF folder " + path + " names the file entry of " + Shown(known->second) +
                          " again" + (other.bFolder ? " (a loop)" : "");
                return 0;
            }
            entry.cbSize = other.cbSize;
            entry.nFirstExtent = other.nFirstExtent;
            entry.nExtents = other.nExtents;
            return 1;
        }
        m_entryOf[KeyOf(nRef, nBlock)] = nChild;
        CFolder           sub;
        const std::string what = "the UDF file entry of " + path;
        const int         nRead = ReadUdfEntry(m_partitions, nRef, nBlock, what, m_budget, &sub.entry, pError);
        if (nRead != 1)
            return nRead;
        FsEntry& entry = m_tree.entries[nChild];
        if ((sub.entry.nFileType == UDF_FILE_TYPE_FOLDER) != entry.bFolder)
        {
            *pError = what + At(sub.entry.nImageBlock) + (entry.bFolder ? " is no folder" : " is a folder") +
                      ", as its identifier says otherwise";
            return 0;
        }
        if (entry.bFolder)
        {
            if (folder.nDepth + 1 > FS_MAX_DEPTH)
            {
                *pError = "the UDF folders nest deeper than " + std::to_string(FS_MAX_DEPTH) + " levels (at " + path + ")";
                return 0;
            }
            sub.nEntry = nChild;
            sub.nDepth = folder.nDepth + 1;
            m_pending.push_back(std::move(sub));
            return 1;
        }
        std::vector<FsExtent> pieces;
        if (!MapUdfEntry(m_partitions, sub.entry, what, &pieces, pError))
            return 0;
        // Each descriptor was counted as it was read; pieces its partition
        // split it into are counted here.
        if (pieces.size() > sub.entry.ads.size() && !m_budget.TakeExtents(pieces.size() - sub.entry.ads.size(), pError))
            return 0;
        entry.cbSize = sub.entry.cbSize;
        entry.nFirstExtent = static_cast<uint32_t>(m_tree.extents.size());
        entry.nExtents = static_cast<uint32_t>(pieces.size());
        m_tree.extents.insert(m_tree.extents.end(), pieces.begin(), pieces.end());
        return 1;
    }

    const CUdfPartitions&                  m_partitions;
    FsBudget&                              m_budget;
    FsTree&                                m_tree;
    std::deque<CFolder>                    m_pending;
    std::unordered_map<uint64_t, uint32_t> m_entryOf; // file entries read: (partition, block) -> entry
    uint64_t                               m_cbAllFolders = 0;
};

} // namespace

int ReadUdfFolders(const CUdfPartitions& partitions, const UdfLongAd& root, FsBudget& budget, FsTree* pTree,
                   std::string* pError)
{
    CUdfWalk walk(partitions, budget, *pTree);
    return walk.Run(root, pError);
}
