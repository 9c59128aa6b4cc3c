// imagedump: the trees of a disc image as discplan reads them, the tree each
// system reads and the image's findings, as JSON; or one file's bytes.
//   imagedump IMAGE [--at WINDOWS_FOLDER]
//   imagedump IMAGE --read iso9660|joliet|udf PATH   (PATH with '/')
// Exit code 2 with a message when the image cannot be read.
#include <stdio.h>
#include <string.h>

#include <nlohmann/json.hpp>

#include "discplan/plan/Systems.h"
#include "discplan/image/DiscImage.h"
#include "discplan/image/ImageFindings.h"
#include "discplan/image/TreeChoice.h"

namespace {

using nlohmann::json;

void AddEntries(const ImageEntry& folder, const std::string& path, json* pEntries)
{
    for (const ImageEntry& child : folder.children)
    {
        std::string childPath = path.empty() ? child.name : path + "/" + child.name;
        json        entry = {{"path", childPath}, {"folder", child.bFolder}};
        if (!child.bFolder)
            entry["size"] = child.cbSize;
        pEntries->push_back(entry);
        if (child.bFolder)
            AddEntries(child, childPath, pEntries);
    }
}

json TreeJson(const ImageTree& tree)
{
    json entries = json::array();
    AddEntries(tree.root, "", &entries);
    return {{"present", tree.bPresent}, {"read", tree.bRead}, {"problem", tree.problem}, {"entries", entries}};
}

std::string ChoiceText(const TreeChoice& choice)
{
    if (choice.outcome == TreeChoice::Unknown)
        return "unknown";
    if (choice.outcome == TreeChoice::Nothing)
        return "none";
    return TreeKindName(choice.kind);
}

bool KindOf(const char* szName, TreeKind* pKind)
{
    const struct
    {
        const char* szName;
        TreeKind    kind;
    } kinds[] = {{"iso9660", TreeKind::Iso9660}, {"joliet", TreeKind::Joliet}, {"udf", TreeKind::Udf}};
    for (const auto& kind : kinds)
    {
        if (strcmp(szName, kind.szName) == 0)
        {
            *pKind = kind.kind;
            return true;
        }
    }
    return false;
}

std::vector<std::string> SplitSlashes(const std::string& path)
{
    std::vector<std::string> parts;
    size_t                   start = 0;
    for (size_t i = 0; i <= path.size(); ++i)
    {
        if (i == path.size() || path[i] == '/')
        {
            if (i > start)
                parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

} // namespace

int main(int argc, char** argv)
{
    std::string at = "D:\\";
    const char* szReadTree = nullptr;
    const char* szReadPath = nullptr;
    if (argc < 2)
    {
        fprintf(stderr, "usage: imagedump IMAGE [--at WINDOWS_FOLDER] [--read TREE PATH]\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i)
    {
        if (strcmp(argv[i], "--at") == 0 && i + 1 < argc)
            at = argv[++i];
        else if (strcmp(argv[i], "--read") == 0 && i + 2 < argc)
        {
            szReadTree = argv[++i];
            szReadPath = argv[++i];
        }
        else
        {
            fprintf(stderr, "imagedump: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    CDiscImage  image;
    std::string error;
    if (!image.Open(argv[1], &error))
    {
        fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (szReadTree)
    {
        TreeKind kind;
        if (!KindOf(szReadTree, &kind))
        {
            fprintf(stderr, "imagedump: no tree %s\n", szReadTree);
            return 2;
        }
        CImageSource source(image, kind);
        std::string  bytes;
        if (!source.Read(SplitSlashes(szReadPath), &bytes))
        {
            fprintf(stderr, "imagedump: %s is not a file of the %s tree\n", szReadPath, szReadTree);
            return 1;
        }
        fwrite(bytes.data(), 1, bytes.size(), stdout);
        return 0;
    }
    const DiscImageTrees& trees = image.Trees();
    json                  systems = json::object();
    for (const std::string& system : KnownSystems())
    {
        TreeChoice choice;
        ChooseTree(system, FactsOf(trees), &choice);
        systems[system] = ChoiceText(choice);
    }
    json findings = json::array();
    for (const ImageFinding& finding : CheckImage(trees, at))
        findings.push_back({{"severity", finding.severity}, {"code", finding.code}, {"message", finding.message}});
    json out = {
        {"udf_revision", trees.udf.bPresent ? json(UdfRevisionText(trees.nUdfRevision)) : json(nullptr)},
        {"trees", {{"iso9660", TreeJson(trees.iso9660)}, {"joliet", TreeJson(trees.joliet)}, {"udf", TreeJson(trees.udf)}}},
        {"systems", systems},
        {"findings", findings}};
    printf("%s\n", out.dump(1).c_str());
    return 0;
}
