// Which tree of a disc image each kind of Windows reads: UDF up to the
// revision it knows, else Joliet, else ISO 9660 (never Rock Ridge).
#pragma once

#include <string>
#include <vector>

#include "discfs/FsTree.h"

// What the choice needs to know of an image.
struct ImageFacts
{
    bool     bIso9660 = false;
    bool     bJoliet = false;
    bool     bUdf = false;
    unsigned nUdfRevision = 0; // 0x0102 for 1.02; 0: no OSTA revision, which no Windows mounts
    bool     bUdfRead = false; // the reader has the UDF tree
};

ImageFacts FactsOf(const DiscFsTrees& trees);

struct TreeChoice
{
    enum Outcome
    {
        Reads,   // the system reads kind
        Unknown, // it reads a UDF tree that the reader has not read
        Nothing  // the image has no tree it reads
    };
    Outcome outcome = Nothing;
    FsKind  kind = FsKind::Iso9660;
    // Where it is not known which of two trees the system prefers (the
    // Windows 98 family on a UDF 1.02 bridge): the other one. The plan is
    // made from kind and held to one made from the other.
    bool    bUncertain = false;
    FsKind  other = FsKind::Iso9660;

    bool operator==(const TreeChoice& that) const
    {
        return outcome == that.outcome && (outcome != Reads || kind == that.kind) && bUncertain == that.bUncertain &&
               (!bUncertain || other == that.other);
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
