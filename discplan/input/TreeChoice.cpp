#include "discplan/input/TreeChoice.h"

namespace {

struct SystemRow
{
    const char* szSystem;
    unsigned    nUdfMax;
};

// Windows 95 and NT 4.0 have no UDF driver. Windows 98 and Me mount UDF
// 1.02 (DVD-Video's revision), Windows 2000 up to 1.50, XP and Server 2003
// up to 2.01, Vista and later, and an ISO file mounted by Windows 8 and
// later, up to 2.60. Whether the Windows 98 family prefers UDF to Joliet on
// a bridge disc is not known (its UDF driver is documented for DVD-Video
// only): there both are candidates.
const SystemRow SYSTEMS[] = {
    {"win95", 0},        {"win98", 0x0102},   {"win98se", 0x0102}, {"winme", 0x0102},
    {"nt4", 0},          {"win2000", 0x0150}, {"winxp", 0x0201},   {"winxp64", 0x0201},
    {"vista", 0x0260},   {"win7", 0x0260},    {"win8", 0x0260},    {"win81", 0x0260},
    {"win10", 0x0260},   {"win11", 0x0260},
};

} // namespace

ImageFacts FactsOf(const DiscFsTrees& trees)
{
    ImageFacts facts;
    facts.bIso9660 = trees.iso9660.bPresent;
    facts.bJoliet = trees.joliet.bPresent;
    facts.bUdf = trees.udf.bPresent;
    facts.nUdfRevision = trees.udf.nUdfRevision;
    facts.bUdfRead = trees.udf.bRead;
    return facts;
}

int UdfRevisionOfSystem(const std::string& system)
{
    for (const SystemRow& row : SYSTEMS)
    {
        if (system == row.szSystem)
            return static_cast<int>(row.nUdfMax);
    }
    return -1;
}

int ChooseTree(const std::string& system, const ImageFacts& facts, TreeChoice* pChoice)
{
    int nUdfMax = UdfRevisionOfSystem(system);
    if (nUdfMax < 0)
        return 0;
    *pChoice = TreeChoice();
    if (facts.bUdf && facts.nUdfRevision != 0 && facts.nUdfRevision <= static_cast<unsigned>(nUdfMax))
    {
        // Never Joliet in its place: that is not what this system shows.
        pChoice->outcome = facts.bUdfRead ? TreeChoice::Reads : TreeChoice::Unknown;
        pChoice->kind = FsKind::Udf;
        if (nUdfMax == 0x0102 && facts.bUdfRead && (facts.bJoliet || facts.bIso9660))
        {
            pChoice->bUncertain = true;
            pChoice->other = facts.bJoliet ? FsKind::Joliet : FsKind::Iso9660;
        }
    }
    else if (facts.bJoliet || facts.bIso9660)
    {
        pChoice->outcome = TreeChoice::Reads;
        pChoice->kind = facts.bJoliet ? FsKind::Joliet : FsKind::Iso9660;
    }
    return 1;
}

std::vector<TreeReaders> GroupSystemsByTree(const ImageFacts& facts, const std::vector<std::string>& systems)
{
    std::vector<TreeReaders> groups;
    for (const std::string& system : systems)
    {
        TreeChoice choice;
        if (!ChooseTree(system, facts, &choice))
            continue;
        TreeReaders* pGroup = nullptr;
        for (TreeReaders& group : groups)
        {
            if (group.choice == choice)
                pGroup = &group;
        }
        if (!pGroup)
        {
            groups.push_back(TreeReaders());
            pGroup = &groups.back();
            pGroup->choice = choice;
        }
        pGroup->systems.push_back(system);
    }
    return groups;
}

std::string JoinSystems(const std::vector<std::string>& systems)
{
    std::string text;
    for (const std::string& system : systems)
        text += (text.empty() ? "" : ", ") + system;
    return text;
}
