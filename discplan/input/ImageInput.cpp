// A disc image as discplan's systems read it, through the image reader.
#include "discplan/input/DiscInput.h"

#include "discplan/plan/Systems.h"
#include "discplan/image/DiscImage.h"
#include "discplan/image/ImageFindings.h"
#include "discplan/image/TreeChoice.h"

namespace {

const char* TreeCode(TreeKind kind)
{
    return kind == TreeKind::Joliet ? "joliet" : kind == TreeKind::Udf ? "udf" : "iso9660";
}

Finding AsFinding(const ImageFinding& finding) { return {finding.severity, finding.code, finding.message}; }

class CReadImage : public CImageInput
{
public:
    CReadImage(const std::string& path) : m_path(path) {}

    int Open(std::string* pError)
    {
        if (!m_image.Open(m_path.c_str(), pError))
            return 0;
        for (TreeKind kind : {TreeKind::Iso9660, TreeKind::Joliet, TreeKind::Udf})
            m_sources.emplace_back(new CImageSource(m_image, kind));
        m_facts = FactsOf(m_image.Trees());
        return 1;
    }

    std::string Describe() const override
    {
        const DiscImageTrees& trees = m_image.Trees();
        std::string           text;
        for (const ImageTree* pTree : {&trees.iso9660, &trees.joliet, &trees.udf})
        {
            if (!pTree->bPresent)
                continue;
            text += text.empty() ? "" : ", ";
            text += pTree->kind == TreeKind::Udf ? "UDF " + UdfRevisionText(trees.nUdfRevision)
                                                 : std::string(TreeKindName(pTree->kind));
            if (!pTree->bRead)
                text += " not read";
        }
        return "image " + m_path + " (" + (text.empty() ? "no tree" : text) + ")";
    }

    SystemDisc ForSystem(const std::string& os) const override
    {
        SystemDisc disc;
        TreeChoice choice;
        if (!ChooseTree(os, m_facts, &choice))
            return disc;
        const std::string revision = UdfRevisionText(m_facts.nUdfRevision);
        if (choice.outcome != TreeChoice::Nothing)
        {
            disc.tree        = TreeCode(choice.kind);
            disc.treeName    = choice.kind == TreeKind::Udf ? "UDF " + revision : TreeKindName(choice.kind);
            disc.udfRevision = choice.kind == TreeKind::Udf ? revision : "";
        }
        if (choice.outcome == TreeChoice::Reads)
        {
            disc.pSource = m_sources[static_cast<size_t>(choice.kind)].get();
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
                    os + (disc.unplanned == "unknown" ? " reads UDF " + revision + ", which is not read"
                                                      : " finds no tree it reads on the image")};
        for (const ImageFinding& finding : CheckImage(m_image.Trees()))
        {
            if (finding.code == szCode && finding.message.find(readers) != std::string::npos)
                disc.why = AsFinding(finding);
        }
        return disc;
    }

    std::vector<DiscTree> ReadTrees() const override
    {
        std::vector<DiscTree> trees;
        for (const TreeReaders& group : GroupSystemsByTree(m_facts, KnownSystems()))
        {
            if (group.choice.outcome == TreeChoice::Reads)
                trees.push_back({ForSystem(group.systems.front()), group.systems});
        }
        return trees;
    }

    std::vector<Finding> Findings(const std::string& at) const override
    {
        std::vector<Finding> findings;
        for (const ImageFinding& finding : CheckImage(m_image.Trees(), at))
            findings.push_back(AsFinding(finding));
        return findings;
    }

private:
    std::string                                m_path;
    CDiscImage                                 m_image;
    std::vector<std::unique_ptr<CImageSource>> m_sources; // by TreeKind
    ImageFacts                                 m_facts;
};

} // namespace

std::unique_ptr<CImageInput> OpenImageInput(const std::string& path, std::string* pError)
{
    std::unique_ptr<CReadImage> pImage(new CReadImage(path));
    if (!pImage->Open(pError))
        return nullptr;
    return std::unique_ptr<CImageInput>(pImage.release());
}
