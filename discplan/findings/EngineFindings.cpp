#include "discplan/findings/EngineFindings.h"

#include <algorithm>

#include "discplan/codepage/CodePage.h"
#include "discplan/plan/DiscView.h"
#include "discplan/findings/MistakeHints.h"
#include "engine/EngineNames.h"
#include "launcher/MaintenanceChoice.h"
#include "launcher/ProductTable.h"
#include "services/Format.h"

namespace {

// Folders looked at before the search gives up: a folder of this machine
// may lead back into itself through a link.
const size_t MAX_FOLDERS = 20000;

const char* const UPDATE_FOLDER = "IKernelUpdate";
const char* const UPDATE_FILE   = "Setup.exe";
// The names the launcher looks for at the disc's root, and below it.
const char* const ROOT_NAMES[]  = {"TechSupt", "AppInst", UPDATE_FOLDER};

struct Folder
{
    std::string              text;  // relative to the root, UTF-8 as listed, "" or ending in "\"
    std::string              bytes; // the same in the code page
    std::vector<std::string> names; // as the source lists them
    int                      bRoot; // the disc's root itself
};

std::string WithoutDotPrefix(std::string path)
{
    while (path.compare(0, 2, ".\\") == 0)
        path.erase(0, 2);
    return path;
}

// The source's names of a path the launcher writes; empty when it names nothing.
std::vector<std::string> Found(const CDiscView& view, const std::string& path)
{
    std::vector<std::string> found;
    if (!view.Locate(view.FullPath(path, view.At()), &found))
        found.clear();
    return found;
}

std::vector<DiscEntry> Sorted(std::vector<DiscEntry> entries)
{
    std::sort(entries.begin(), entries.end(),
              [](const DiscEntry& a, const DiscEntry& b) { return a.name < b.name; });
    return entries;
}

void CheckName(const Folder& parent, const std::string& name, std::vector<Finding>& findings)
{
    for (const char* szKnown : ROOT_NAMES)
    {
        // Below the root only the update's own folder means something.
        if (!parent.bRoot && std::string(szKnown) != UPDATE_FOLDER)
            continue;
        if (!SameName(name, szKnown) && IsNearName(FoldCase(name), FoldCase(szKnown)))
            findings.push_back({"warning", "folder-name-typo",
                                "the folder " + parent.text + name + " looks like a misspelt " + szKnown +
                                    ", a name Setup.exe looks for (letter case aside, it must be exact)"});
    }
}

} // namespace

void CheckEngineUpdates(const CDiscView& view, const ProductLocation& location, std::vector<Finding>& findings)
{
    // Where the launcher looks for the update, and where it runs it from:
    // not always one place (Talvenor's update is looked for in Talvenor and
    // run from techsupt).
    const std::string probe = WithoutDotPrefix(location.szEngineUpdateProbe);
    char              szRun[PATH_SIZE];
    FormatBounded(szRun, PATH_SIZE, ENGINE_UPDATE_PROGRAM,
                  ChooseEngineUpdateRoot(view.Exists(".\\AppInst\\setup.exe")));
    const std::string run = WithoutDotPrefix(szRun);
    std::vector<std::string> probeFound;
    if (location.bEngineUpdateFound)
        probeFound = Found(view, probe);
    const std::vector<std::string> runFound = Found(view, run);
    const std::string where = "Setup.exe looks for the engine update at " + probe + " and runs it from " +
                              (SameName(probe, run) ? "there" : run + ": it has to be in both places");

    std::vector<Folder> stack = {{"", "", {}, 1}};
    size_t              nFolders = 0;
    while (!stack.empty())
    {
        const Folder folder = stack.back();
        stack.pop_back();
        if (++nFolders > MAX_FOLDERS)
        {
            findings.push_back({"info", "disc-search-cut",
                                "the disc has more than " + std::to_string(MAX_FOLDERS) +
                                    " folders (or folders that lead back into themselves): engine updates and "
                                    "misspelt folder names were looked for in the first " +
                                    std::to_string(MAX_FOLDERS) + " only"});
            break;
        }
        const std::vector<DiscEntry> entries = Sorted(view.List(folder.bytes));
        std::vector<Folder>          children;
        for (const DiscEntry& entry : entries)
        {
            std::string bytes;
            // A name the code page cannot write is out of the launcher's reach.
            if (!entry.bFolder || !view.CodePage().Encode(entry.name, &bytes))
                continue;
            Folder child = {folder.text + entry.name + "\\", folder.bytes + bytes + "\\", folder.names, 0};
            child.names.push_back(entry.name);
            // Names that differ only in case (a folder of this machine) are
            // one name for Windows: the first listed is the one it finds.
            if (Found(view, child.bytes) != child.names)
                continue;
            CheckName(folder, entry.name, findings);
            // Deeper than a Windows path reaches, nothing is met.
            if (view.At().size() + child.bytes.size() < PATH_SIZE)
                children.push_back(child);
            if (!SameName(entry.name, UPDATE_FOLDER))
                continue;
            for (const DiscEntry& file : Sorted(view.List(child.bytes)))
            {
                std::string fileBytes;
                if (file.bFolder || !SameName(file.name, UPDATE_FILE) || !view.CodePage().Encode(file.name, &fileBytes))
                    continue;
                const std::vector<std::string> found = Found(view, child.bytes + fileBytes);
                const std::string              text  = child.text + file.name;
                const bool                     bProbe = !probeFound.empty() && found == probeFound;
                const bool                     bRun   = !runFound.empty() && found == runFound;
                if (bProbe && !bRun)
                    findings.push_back({"info", "engine-update-probe",
                                        text + " is needed, though never run: Setup.exe runs the engine update from " +
                                            run + (runFound.empty() ? " (not on the disc)" : "") +
                                            " only when it finds this file"});
                else if (bRun && probeFound.empty())
                    findings.push_back({"warning", "engine-update-unused",
                                        text + " is never run: Setup.exe runs it only when it also finds " + probe});
                else if (!bRun)
                    findings.push_back({"warning", "engine-update-unused", text + " is never run: " + where});
            }
        }
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
}
