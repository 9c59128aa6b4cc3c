// Which tree of a disc image each kind of Windows reads: UDF up to the
// revision it knows, else Joliet, else ISO 9660 (never Rock Ridge).
#pragma once

#include <string>
#include <vector>

#include "discplan/image/ImageTree.h"

// What the choice needs to know of an image.
struct ImageFacts
{
    bool     bIso9660 = false;
    bool     bJoliet = false;
    bool     bUdf = false;
    unsigned nUdfRevision = 0; // 0x0102 for 1.02; 0: no OSTA revision, which no Windows mounts
    bool     bUdfRead = false; // the reader has the UDF tree
};

ImageFacts FactsOf(const DiscImageTrees& trees);

struct TreeChoice
{
    enum Outcome
    {
        Reads,   // the system reads kind
        Unknown, // it reads a UDF tree that the reader has not read
        Nothing  // the image has no tree it reads
    };
    Outcome  outcome = Nothing;
    TreeKind kind = TreeKind::Iso9660;

    bool operator==(const TreeChoice& other) const
    {
        return outcome == other.outcome && (outcome != Reads || kind == other.kind);
    }
};

// The highest UDF revision the system mounts (0x0102 for the Windows 98
// family, 0 for Windows 95 and NT 4.0); -1 for a name it does not know.
int UdfRevisionOfSystem(const std::string& system);

// The tree the system reads from an image with these facts. 0 for a system
// name it does not know.
int ChooseTree(const std::string& system, const ImageFacts& facts, TreeChoice* pChoice);

// The systems that read the same tree, in the order of the first of each.
struct TreeReaders
{
    TreeChoice               choice;
    std::vector<std::string> systems;
};
std::vector<TreeReaders> GroupSystemsByTree(const ImageFacts& facts, const std::vector<std::string>& systems);

// "win95, nt4".
std::string JoinSystems(const std::vector<std::string>& systems);
