// A disc image as discplan's systems read it, through the disc file
// systems reader.
#include "discplan/input/DiscInput.h"

#include <map>

#include "discfs/DiscFs.h"
#include "discplan/findings/ImageFindings.h"
#include "discplan/input/ImageSource.h"
#include "discplan/input/TreeChoice.h"
#include "discplan/plan/Systems.h"

namespace {

const char* TreeCode(FsKind kind)
{
    return kind == FsKind::Joliet ? "joliet" : kind == FsKind::Udf ? "udf" : "iso9660";
}

class CReadImage : public CImageInput
{
public:
    CReadImage(const std::string& path) : m_path(path) {}

    int Open(std::string* pError)
    {
        if (!m_image.Open(m_path.c_str(), pError))
        {
            *pError = m_path + ": " + *pError;
            return 0;
        }
        m_facts = FactsOf(m_image.Trees());
        return 1;
    }

    std::string Describe() const override
    {
        const DiscFsTrees& trees = m_image.Trees();
        std::string        text;
        for (const FsTree* pTree : {&trees.iso9660, &trees.joliet, &trees.udf})
        {
            if (!pTree->bPresent)
                continue;
            text += text.empty() ? "" : ", ";
            text += TreeName(pTree->kind);
            if (!pTree->bRead)
                text += " not read";
        }
        return "image " + m_path + " (" + (text.empty() ? "no tree" : text) + ")";
    }

    SystemDisc ForSystem(const std::string& os, unsigned nOemCodePage) const override
    {
        SystemDisc disc;
        TreeChoice choice;
        if (!ChooseTree(os, m_facts, &choice))
            return disc;
        if (choice.outcome != TreeChoice::Nothing)
        {
            disc.tree        = TreeCode(choice.kind);
            disc.treeName    = TreeName(choice.kind);
            disc.udfRevision = choice.kind == FsKind::Udf ? UdfRevisionText(m_facts.nUdfRevision) : "";
        }
        if (choice.outcome == TreeChoice::Reads)
        {
            disc.pSource = Source(choice.kind, nOemCodePage);
            if (choice.bUncertain)
            {
                disc.pAlternative        = Source(choice.other, nOemCodePage);
                disc.alternativeTree     = TreeCode(choice.other);
                disc.alternativeTreeName = TreeName(choice.other);
            }
            return disc;
        }
        // The image's own finding for this system's group names it already.
        disc.unplanned           = choice.outcome == TreeChoice::Unknown ? "unknown" : "nothing";
        const char* const szCode = choice.outcome == TreeChoice::Unknown ? "image-udf-unread" : "image-no-tree";
        std::string       readers;
        for (const TreeReaders& group : GroupSystemsByTree(m_facts, KnownSystems()))
        {
            for (const std::string& system : group.systems)
                readers = system == os ? JoinSystems(group.systems) : readers;
        }
        disc.why = {"error", szCode,
                    os + (disc.unplanned == "unknown" ? " reads " + disc.treeName + ", which is not read"
                                                      : " finds no tree it reads on the image")};
        for (const ImageFinding& finding : CheckImage(m_image.Trees(), "D:\\", nullptr))
        {
            if (finding.code == szCode && finding.message.find(readers) != std::string::npos)
                disc.why = {finding.severity, finding.code, finding.message};
        }
        return disc;
    }

    std::vector<DiscTree> ReadTrees(unsigned nOemCodePage) const override
    {
        // One per tree: the systems that may read another one as well (the
        // Windows 98 family) with those that surely read it.
        std::vector<DiscTree> trees;
        for (const TreeReaders& group : GroupSystemsByTree(m_facts, KnownSystems()))
        {
            if (group.choice.outcome != TreeChoice::Reads)
                continue;
            DiscTree* pTree = nullptr;
            for (DiscTree& tree : trees)
                pTree = tree.disc.tree == TreeCode(group.choice.kind) ? &tree : pTree;
            if (!pTree)
            {
                trees.push_back({ForSystem(group.systems.front(), nOemCodePage), {}});
                pTree = &trees.back();
                // The tree's own source, not the doubt of its first reader.
                pTree->disc.pAlternative = nullptr;
                pTree->disc.alternativeTree.clear();
                pTree->disc.alternativeTreeName.clear();
            }
            pTree->systems.insert(pTree->systems.end(), group.systems.begin(), group.systems.end());
        }
        return trees;
    }

    std::vector<Finding> Findings(const std::string& at, unsigned nOemCodePage) const override
    {
        std::vector<Finding> findings;
        for (const ImageFinding& finding : CheckImage(m_image.Trees(), at, CCodePage::Get(nOemCodePage)))
            findings.push_back({finding.severity, finding.code, finding.message});
        return findings;
    }

private:
    std::string TreeName(FsKind kind) const
    {
        return kind == FsKind::Udf ? "UDF " + UdfRevisionText(m_facts.nUdfRevision) : FsKindName(kind);
    }

    // The source of one tree; the ISO 9660 tree's per OEM code page.
    const CDiscSource* Source(FsKind kind, unsigned nOemCodePage) const
    {
        const unsigned nKey = kind == FsKind::Iso9660 ? nOemCodePage : 0;
        std::unique_ptr<CImageSource>& pSource = m_sources[{kind, nKey}];
        if (!pSource)
            pSource.reset(new CImageSource(m_image, m_image.Trees().Tree(kind), CCodePage::Get(nKey)));
        return pSource.get();
    }

    std::string                                                          m_path;
    CDiscFs                                                              m_image;
    ImageFacts                                                           m_facts;
    mutable std::map<std::pair<FsKind, unsigned>, std::unique_ptr<CImageSource>> m_sources;
};

} // namespace

std::unique_ptr<CImageInput> OpenImageInput(const std::string& path, std::string* pError)
{
    std::unique_ptr<CReadImage> pImage(new CReadImage(path));
    if (!pImage->Open(pError))
        return nullptr;
    return std::unique_ptr<CImageInput>(pImage.release());
}
