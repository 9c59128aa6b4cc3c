#include "discplan/findings/ImageFindings.h"

#include <string.h>

#include <map>
#include <set>

#include "discplan/input/ImageSource.h"
#include "discplan/input/TreeChoice.h"
#include "discplan/plan/Systems.h"

namespace {

// At most this many names or paths are quoted in one finding.
const size_t MAX_QUOTED = 5;

struct Quoted
{
    std::vector<std::string> items;
    size_t                   nCount = 0;

    void Add(const std::string& item)
    {
        if (++nCount <= MAX_QUOTED)
            items.push_back(item);
    }
    std::string Text() const
    {
        std::string text;
        for (const std::string& item : items)
            text += (text.empty() ? "" : ", ") + item;
        if (nCount > items.size())
            text += " and " + std::to_string(nCount - items.size()) + " more";
        return text;
    }
};

// Every entry below folder nFolder with its path from the root (names as
// listed, joined by '\') and its depth (1 for the root's own entries).
template <typename Visit>
void ForEach(const FsTree& tree, const CCodePage* pOem, uint32_t nFolder, const std::string& path, int nDepth,
             Visit visit)
{
    const FsEntry& folder = tree.entries[nFolder];
    for (uint32_t i = 0; i < folder.nChildren; ++i)
    {
        const uint32_t    nChild = folder.nFirstChild + i;
        const FsEntry&    child = tree.entries[nChild];
        const std::string name = ListedName(tree, child, pOem);
        const std::string childPath = path.empty() ? name : path + "\\" + name;
        visit(child, name, childPath, nDepth + 1);
        if (child.bFolder)
            ForEach(tree, pOem, nChild, childPath, nDepth + 1, visit);
    }
}

template <typename Visit>
void ForEach(const FsTree& tree, const CCodePage* pOem, Visit visit)
{
    if (tree.bRead && !tree.entries.empty())
        ForEach(tree, pOem, 0, "", 0, visit);
}

// The systems that read a tree (whether or not it is known that they do).
std::vector<std::string> ReadersOf(const ImageFacts& facts, FsKind kind)
{
    std::vector<std::string> systems;
    for (const TreeReaders& group : GroupSystemsByTree(facts, KnownSystems()))
    {
        if (group.choice.outcome == TreeChoice::Reads && group.choice.kind == kind)
            systems.insert(systems.end(), group.systems.begin(), group.systems.end());
    }
    return systems;
}

std::vector<std::string> Split(const std::string& path)
{
    std::vector<std::string> parts;
    size_t                   start = 0;
    for (size_t i = 0; i <= path.size(); ++i)
    {
        if (i == path.size() || path[i] == '\\')
        {
            parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// "CORVAN_L (Corvan Lite)" for each ISO 9660 name that differs, beyond
// case, from the name the same file or folder has in the other tree (the
// same file: the same first byte in the image).
Quoted DifferingNames(const FsTree& iso, const FsTree& other, const CCodePage* pOem)
{
    std::map<uint64_t, std::string> otherByOffset;
    ForEach(other, nullptr, [&](const FsEntry& entry, const std::string&, const std::string& path, int) {
        if (!entry.bFolder && entry.cbSize > 0 && entry.nExtents > 0)
            otherByOffset.emplace(other.extents[entry.nFirstExtent].nOffset, path);
    });
    Quoted                names;
    std::set<std::string> seen;
    ForEach(iso, pOem, [&](const FsEntry& entry, const std::string&, const std::string& path, int) {
        if (entry.bFolder || entry.cbSize == 0 || entry.nExtents == 0)
            return;
        auto found = otherByOffset.find(iso.extents[entry.nFirstExtent].nOffset);
        if (found == otherByOffset.end())
            return;
        std::vector<std::string> isoParts = Split(path), otherParts = Split(found->second);
        std::string              prefix;
        for (size_t i = 0; i < isoParts.size() && i < otherParts.size(); ++i)
        {
            prefix += (i ? "\\" : "") + isoParts[i];
            if (!SameName(isoParts[i], otherParts[i]) && seen.insert(prefix).second)
                names.Add(prefix + " (" + otherParts[i] + ")");
        }
    });
    return names;
}

// What the names of an ISO 9660 tree are: "8.3 names in upper case" (level
// 1), "names of up to 31 characters in upper case" (levels 2 and 3), "names
// of up to 60 characters in both cases" (level 4 and lower case).
std::string IsoNamesText(const FsTree& iso, const CCodePage* pOem)
{
    size_t nLongest = 0;
    bool   bLower = false, bPast83 = false;
    ForEach(iso, pOem, [&](const FsEntry& entry, const std::string& name, const std::string&, int) {
        const size_t nLength = Utf16Length(name);
        nLongest = nLength > nLongest ? nLength : nLongest;
        for (char ch : name)
            bLower = bLower || (ch >= 'a' && ch <= 'z');
        const size_t nDot = entry.bFolder ? std::string::npos : name.find('.');
        const size_t nBase = nDot == std::string::npos ? name.size() : nDot;
        const size_t nExtension = nDot == std::string::npos ? 0 : name.size() - nDot - 1;
        bPast83 = bPast83 || nBase > 8 || nExtension > 3 ||
                  (nDot != std::string::npos && name.find('.', nDot + 1) != std::string::npos);
    });
    std::string text = bPast83 ? "names of up to " + std::to_string(nLongest) + " characters" : "8.3 names";
    return text + (bLower ? " in both cases" : " in upper case");
}

} // namespace

int IsNameRefused(const std::string& name)
{
    // CdIsLegalName (namesup.c) lets through what HPFS allows, wildcards
    // excepted, plus " < > |: what is left out is a control character and
    // * ? / : \. A UDF name with one of them is shown under another name.
    if (name.empty())
        return 1;
    for (unsigned char ch : name)
    {
        if (ch < 0x20 || strchr("*?/:\\", ch))
            return 1;
    }
    return 0;
}

size_t Utf16Length(const std::string& utf8)
{
    size_t n = 0;
    for (char32_t point : CodePoints(utf8))
        n += point >= 0x10000 ? 2 : 1; // a surrogate pair
    return n;
}

std::vector<ImageFinding> CheckImage(const DiscFsTrees& trees, const std::string& at, const CCodePage* pOem)
{
    std::vector<ImageFinding> findings;
    ImageFacts                facts = FactsOf(trees);
    std::vector<TreeReaders>  groups = GroupSystemsByTree(facts, KnownSystems());

    for (const TreeReaders& group : groups)
    {
        if (group.choice.outcome == TreeChoice::Unknown)
            findings.push_back({"error", "image-udf-unread",
                                "the plan for " + JoinSystems(group.systems) + " is unknown: UDF " +
                                    UdfRevisionText(trees.udf.nUdfRevision) + " not read (" + trees.udf.problem + ")"});
        else if (group.choice.outcome == TreeChoice::Nothing)
            findings.push_back({"error", "image-no-tree",
                                JoinSystems(group.systems) + " find no files on the image: it has no tree they read"});
    }

    std::vector<std::string> isoReaders = ReadersOf(facts, FsKind::Iso9660);
    if (trees.iso9660.bPresent && !trees.joliet.bPresent && !isoReaders.empty())
    {
        std::string message = "the image has no Joliet tree" +
                              (trees.joliet.problem.empty() ? std::string()
                                                            : " Windows sees (" + trees.joliet.problem +
                                                                  ": master it with xorriso, which writes Joliet's first)") +
                              ": " + JoinSystems(isoReaders) + " see its ISO 9660 names, " +
                              IsoNamesText(trees.iso9660, pOem);
        if (trees.udf.bRead)
        {
            Quoted names = DifferingNames(trees.iso9660, trees.udf, pOem);
            if (names.nCount)
                message += "; names other than in the UDF tree: " + names.Text();
        }
        findings.push_back({"warning", "image-no-joliet", message});
    }

    Quoted deep;
    ForEach(trees.iso9660, pOem, [&](const FsEntry& entry, const std::string&, const std::string& path, int nDepth) {
        // A folder nDepth names below the root is on level nDepth + 1.
        if (entry.bFolder && nDepth + 1 == ISO9660_MAX_LEVELS + 1)
            deep.Add(at + path);
    });
    if (deep.nCount)
        findings.push_back({"warning", "image-iso-too-deep",
                            "the ISO 9660 tree nests folders deeper than " + std::to_string(ISO9660_MAX_LEVELS) +
                                " levels, which not every system reads: " + deep.Text()});

    for (FsKind kind : {FsKind::Iso9660, FsKind::Joliet, FsKind::Udf})
    {
        const std::vector<std::string> readers = ReadersOf(facts, kind);
        if (readers.empty())
            continue;
        const FsTree& tree = trees.Tree(kind);
        std::string   where = std::string("the ") + FsKindName(tree.kind) + " tree (read by " + JoinSystems(readers) + ")";
        Quoted refused, tooLong;
        ForEach(tree, pOem, [&](const FsEntry&, const std::string& name, const std::string& path, int) {
            if (IsNameRefused(name))
                refused.Add("\"" + at + path + "\"");
            if (Utf16Length(at + path) > WINDOWS_MAX_PATH)
                tooLong.Add(at + path);
        });
        if (refused.nCount)
            findings.push_back({"error", "image-name-refused",
                                where + " holds names Windows refuses (a control character or one of * ? / : \\): " +
                                    refused.Text()});
        if (tooLong.nCount)
            findings.push_back({"error", "image-path-too-long",
                                where + " holds paths longer than Windows opens (" +
                                    std::to_string(WINDOWS_MAX_PATH) + " characters from the drive on): " +
                                    tooLong.Text()});
    }
    return findings;
}
