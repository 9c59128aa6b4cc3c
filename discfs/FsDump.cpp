// fsdump: the trees of a disc image as discfs reads them, as JSON; or the
// bytes of one file. For tests that hold the reader to readers we did not
// write, and for looking at an image by hand.
//   fsdump IMAGE
//   fsdump IMAGE --read iso9660|joliet|udf PATH     (PATH with '/')
// ISO 9660 names are bytes: those above 127 are shown as the code points of
// the same number (Latin-1), "eight_bit" says so. Exit code 2 with one line
// when the image is refused.
#include <stdio.h>
#include <string.h>

#include <nlohmann/json.hpp>

#include "discfs/DiscFs.h"
#include "discfs/Limits.h"
#include "discfs/Names.h"

namespace {

using nlohmann::json;

std::string ShownName(const FsTree& tree, const FsEntry& entry)
{
    if (tree.kind != FsKind::Iso9660)
        return entry.name;
    std::string name;
    for (unsigned char ch : entry.name)
        AppendUtf8(ch, &name);
    return name;
}

void AddEntries(const FsTree& tree, uint32_t nFolder, const std::string& path, int nDepth, json* pEntries)
{
    const FsEntry& folder = tree.entries[nFolder];
    for (uint32_t i = 0; i < folder.nChildren && nDepth < 300; ++i)
    {
        const uint32_t nChild = folder.nFirstChild + i;
        const FsEntry& child = tree.entries[nChild];
        const std::string childPath = (path.empty() ? "" : path + "/") + ShownName(tree, child);
        json entry = {{"path", childPath}, {"folder", child.bFolder}};
        if (!child.bFolder)
            entry["size"] = child.cbSize;
        if (child.nVersion)
            entry["version"] = child.nVersion;
        if (child.bHidden)
            entry["hidden"] = true;
        if (child.bEightBit)
            entry["eight_bit"] = true;
        pEntries->push_back(entry);
        if (child.bFolder)
            AddEntries(tree, nChild, childPath, nDepth + 1, pEntries);
    }
}

json TreeJson(const FsTree& tree)
{
    json entries = json::array();
    if (tree.bRead && !tree.entries.empty())
        AddEntries(tree, 0, "", 0, &entries);
    json result = {{"present", tree.bPresent}, {"read", tree.bRead}, {"problem", tree.problem}, {"entries", entries}};
    if (tree.kind == FsKind::Udf)
        result["revision"] = tree.bPresent ? json(UdfRevisionText(tree.nUdfRevision)) : json(nullptr);
    return result;
}

const FsTree* TreeNamed(const DiscFsTrees& trees, const char* szName)
{
    if (strcmp(szName, "iso9660") == 0)
        return &trees.iso9660;
    if (strcmp(szName, "joliet") == 0)
        return &trees.joliet;
    if (strcmp(szName, "udf") == 0)
        return &trees.udf;
    return nullptr;
}

// The entry at a '/' path, names as ShownName gives them.
uint32_t FindShown(const FsTree& tree, const std::string& path)
{
    uint32_t nEntry = tree.entries.empty() ? FS_NO_ENTRY : 0;
    size_t   nStart = 0;
    while (nEntry != FS_NO_ENTRY && nStart <= path.size())
    {
        size_t nEnd = path.find('/', nStart);
        if (nEnd == std::string::npos)
            nEnd = path.size();
        const std::string name = path.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        if (name.empty())
            continue;
        const FsEntry& folder = tree.entries[nEntry];
        uint32_t       nFound = FS_NO_ENTRY;
        for (uint32_t i = 0; i < folder.nChildren && nFound == FS_NO_ENTRY; ++i)
        {
            if (folder.bFolder && ShownName(tree, tree.entries[folder.nFirstChild + i]) == name)
                nFound = folder.nFirstChild + i;
        }
        nEntry = nFound;
    }
    return nEntry;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && !(argc == 5 && strcmp(argv[2], "--read") == 0))
    {
        fprintf(stderr, "usage: fsdump IMAGE [--read iso9660|joliet|udf PATH]\n");
        return 2;
    }
    CDiscFs     image;
    std::string error;
    if (!image.Open(argv[1], &error))
    {
        fprintf(stderr, "fsdump: %s: %s\n", argv[1], error.c_str());
        return 2;
    }
    const DiscFsTrees& trees = image.Trees();
    if (argc == 2)
    {
        json dump = {{"iso9660", TreeJson(trees.iso9660)}, {"joliet", TreeJson(trees.joliet)},
                     {"udf", TreeJson(trees.udf)}};
        printf("%s\n", dump.dump(1).c_str());
        return 0;
    }
    const FsTree* pTree = TreeNamed(trees, argv[3]);
    const uint32_t nEntry = pTree ? FindShown(*pTree, argv[4]) : FS_NO_ENTRY;
    std::string    bytes;
    if (nEntry == FS_NO_ENTRY || !image.ReadFile(*pTree, nEntry, FS_MAX_READ_BYTES, &bytes))
    {
        fprintf(stderr, "fsdump: %s: cannot read %s %s\n", argv[1], argv[3], argv[4]);
        return 1;
    }
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    return 0;
}
