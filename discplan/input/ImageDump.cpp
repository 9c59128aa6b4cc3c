// imagedump: the trees of a disc image as discplan reads them (the names as
// a system of one OEM code page lists them), the tree each system reads and
// the image's findings, as JSON; or one file's bytes.
//   imagedump IMAGE [--at WINDOWS_FOLDER] [--oem CODEPAGE]
//   imagedump IMAGE [--oem CODEPAGE] --read iso9660|joliet|udf PATH   (PATH with '/')
// The OEM code page is 850 unless given. Exit code 2 with a message when the
// image cannot be read.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <nlohmann/json.hpp>

#include "discfs/DiscFs.h"
#include "discplan/findings/ImageFindings.h"
#include "discplan/input/ImageSource.h"
#include "discplan/input/TreeChoice.h"
#include "discplan/plan/Systems.h"

namespace {

using nlohmann::json;

void AddEntries(const CImageSource& source, const FsTree& tree, const std::vector<std::string>& folder,
                const std::string& path, json* pEntries)
{
    std::vector<DiscEntry> entries;
    source.List(folder, &entries);
    for (const DiscEntry& child : entries)
    {
        const std::string        childPath = path.empty() ? child.name : path + "/" + child.name;
        std::vector<std::string> childFolder = folder;
        childFolder.push_back(child.name);
        json entry = {{"path", childPath}, {"folder", child.bFolder}};
        if (!child.bFolder)
            entry["size"] = tree.entries[source.Find(childFolder)].cbSize;
        pEntries->push_back(entry);
        if (child.bFolder && folder.size() < 300)
            AddEntries(source, tree, childFolder, childPath, pEntries);
    }
}

json TreeJson(const CDiscFs& image, const FsTree& tree, const CCodePage* pOem)
{
    json entries = json::array();
    if (tree.bRead)
        AddEntries(CImageSource(image, tree, pOem), tree, {}, "", &entries);
    return {{"present", tree.bPresent}, {"read", tree.bRead}, {"problem", tree.problem}, {"entries", entries}};
}

std::string ChoiceText(const TreeChoice& choice)
{
    if (choice.outcome == TreeChoice::Unknown)
        return "unknown";
    if (choice.outcome == TreeChoice::Nothing)
        return "none";
    return std::string(FsKindName(choice.kind)) + (choice.bUncertain ? " or " + std::string(FsKindName(choice.other)) : "");
}

const FsTree* TreeNamed(const DiscFsTrees& trees, const char* szName)
{
    return strcmp(szName, "iso9660") == 0 ? &trees.iso9660
         : strcmp(szName, "joliet") == 0  ? &trees.joliet
         : strcmp(szName, "udf") == 0     ? &trees.udf
                                          : nullptr;
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
    unsigned    nOem = 850;
    const char* szReadTree = nullptr;
    const char* szReadPath = nullptr;
    if (argc < 2)
    {
        fprintf(stderr, "usage: imagedump IMAGE [--at WINDOWS_FOLDER] [--oem CODEPAGE] [--read TREE PATH]\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i)
    {
        if (strcmp(argv[i], "--at") == 0 && i + 1 < argc)
            at = argv[++i];
        else if (strcmp(argv[i], "--oem") == 0 && i + 1 < argc)
            nOem = static_cast<unsigned>(strtoul(argv[++i], nullptr, 10));
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
    const CCodePage* pOem = CCodePage::Get(nOem);
    if (!pOem)
    {
        fprintf(stderr, "imagedump: cannot convert code page %u\n", nOem);
        return 2;
    }
    CDiscFs     image;
    std::string error;
    if (!image.Open(argv[1], &error))
    {
        fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 2;
    }
    const DiscFsTrees& trees = image.Trees();
    if (szReadTree)
    {
        const FsTree* pTree = TreeNamed(trees, szReadTree);
        if (!pTree)
        {
            fprintf(stderr, "imagedump: no tree %s\n", szReadTree);
            return 2;
        }
        std::string bytes;
        if (!CImageSource(image, *pTree, pOem).Read(SplitSlashes(szReadPath), &bytes))
        {
            fprintf(stderr, "imagedump: %s is not a file of the %s tree\n", szReadPath, szReadTree);
            return 1;
        }
        fwrite(bytes.data(), 1, bytes.size(), stdout);
        return 0;
    }
    json systems = json::object();
    for (const std::string& system : KnownSystems())
    {
        TreeChoice choice;
        ChooseTree(system, FactsOf(trees), &choice);
        systems[system] = ChoiceText(choice);
    }
    json findings = json::array();
    for (const ImageFinding& finding : CheckImage(trees, at, pOem))
        findings.push_back({{"severity", finding.severity}, {"code", finding.code}, {"message", finding.message}});
    json out = {{"udf_revision", trees.udf.bPresent ? json(UdfRevisionText(trees.udf.nUdfRevision)) : json(nullptr)},
                {"trees",
                 {{"iso9660", TreeJson(image, trees.iso9660, pOem)},
                  {"joliet", TreeJson(image, trees.joliet, pOem)},
                  {"udf", TreeJson(image, trees.udf, pOem)}}},
                {"systems", systems},
                {"findings", findings}};
    printf("%s\n", out.dump(1).c_str());
    return 0;
}
