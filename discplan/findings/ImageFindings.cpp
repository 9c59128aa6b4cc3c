#include "discplan/plan/Systems.h"
#include "discplan/image/ImageFindings.h"

#include <strings.h>

#include <map>
#include <set>

#include "discplan/image/CdNames.h"
#include "discplan/image/TreeChoice.h"

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

// Every entry with its path from the root (names joined by '\').
template <typename Visit>
void ForEach(const ImageEntry& folder, const std::string& path, int nDepth, Visit visit)
{
    for (const ImageEntry& child : folder.children)
    {
        std::string childPath = path.empty() ? child.name : path + "\\" + child.name;
        visit(child, childPath, nDepth + 1);
        if (child.bFolder)
            ForEach(child, childPath, nDepth + 1, visit);
    }
}

std::vector<std::string> ReadersOf(const ImageFacts& facts, TreeKind kind)
{
    for (const TreeReaders& group : GroupSystemsByTree(facts, KnownSystems()))
    {
        if (group.choice.outcome == TreeChoice::Reads && group.choice.kind == kind)
            return group.systems;
    }
    return {};
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
// case, from the name the same file or folder has in the other tree.
Quoted DifferingNames(const ImageEntry& isoRoot, const ImageEntry& otherRoot)
{
    std::map<uint32_t, std::string> otherByBlock;
    ForEach(otherRoot, "", 0, [&](const ImageEntry& entry, const std::string& path, int) {
        if (!entry.bFolder && entry.cbSize > 0 && !entry.extents.empty())
            otherByBlock.emplace(entry.extents[0].nBlock, path);
    });
    Quoted                names;
    std::set<std::string> seen;
    ForEach(isoRoot, "", 0, [&](const ImageEntry& entry, const std::string& path, int) {
        if (entry.bFolder || entry.cbSize == 0 || entry.extents.empty())
            return;
        auto found = otherByBlock.find(entry.extents[0].nBlock);
        if (found == otherByBlock.end())
            return;
        std::vector<std::string> isoParts = Split(path), otherParts = Split(found->second);
        std::string              prefix;
        for (size_t i = 0; i < isoParts.size() && i < otherParts.size(); ++i)
        {
            prefix += (i ? "\\" : "") + isoParts[i];
            if (strcasecmp(isoParts[i].c_str(), otherParts[i].c_str()) != 0 && seen.insert(prefix).second)
                names.Add(prefix + " (" + otherParts[i] + ")");
        }
    });
    return names;
}

} // namespace

std::vector<ImageFinding> CheckImage(const DiscImageTrees& trees, const std::string& at)
{
    std::vector<ImageFinding> findings;
    ImageFacts                facts = FactsOf(trees);
    std::vector<TreeReaders>  groups = GroupSystemsByTree(facts, KnownSystems());

    for (const TreeReaders& group : groups)
    {
        if (group.choice.outcome == TreeChoice::Unknown)
            findings.push_back({"error", "image-udf-unread",
                                "the plan for " + JoinSystems(group.systems) + " is unknown: UDF " +
                                    UdfRevisionText(trees.nUdfRevision) + " not read (" + trees.udf.problem + ")"});
        else if (group.choice.outcome == TreeChoice::Nothing)
            findings.push_back({"error", "image-no-tree",
                                JoinSystems(group.systems) + " find no files on the image: it has no tree they read"});
    }

    std::vector<std::string> isoReaders = ReadersOf(facts, TreeKind::Iso9660);
    if (trees.iso9660.bPresent && !trees.joliet.bPresent && !isoReaders.empty())
    {
        std::string message = "the image has no Joliet tree: " + JoinSystems(isoReaders) +
                              " see its ISO 9660 names, 8.3 and upper case";
        if (trees.udf.bRead)
        {
            Quoted names = DifferingNames(trees.iso9660.root, trees.udf.root);
            if (names.nCount)
                message += "; names other than in the UDF tree: " + names.Text();
        }
        findings.push_back({"warning", "image-no-joliet", message});
    }

    if (trees.iso9660.bRead)
    {
        Quoted deep;
        ForEach(trees.iso9660.root, "", 0, [&](const ImageEntry& entry, const std::string& path, int nDepth) {
            // A folder nDepth names below the root is on level nDepth + 1.
            if (entry.bFolder && nDepth + 1 == ISO9660_MAX_LEVELS + 1)
                deep.Add(at + path);
        });
        if (deep.nCount)
            findings.push_back({"warning", "image-iso-too-deep",
                                "the ISO 9660 tree nests folders deeper than " + std::to_string(ISO9660_MAX_LEVELS) +
                                    " levels, which not every system reads: " + deep.Text()});
    }

    for (const TreeReaders& group : groups)
    {
        if (group.choice.outcome != TreeChoice::Reads)
            continue;
        const ImageTree& tree = trees.Tree(group.choice.kind);
        std::string      where = std::string("the ") + TreeKindName(tree.kind) + " tree (read by " +
                            JoinSystems(group.systems) + ")";
        Quoted refused, tooLong;
        ForEach(tree.root, "", 0, [&](const ImageEntry& entry, const std::string& path, int) {
            if (IsNameRefused(entry.name))
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
