#include "discplan/input/DiscInput.h"

#include <set>

#include "discplan/codepage/CodePage.h"
#include "discplan/plan/DiscView.h"
#include "discplan/plan/Insertion.h"
#include "discplan/plan/Systems.h"
#include "launcher/MaintenanceChoice.h"

int CDiscInput::Open(const std::string& path, std::string* pError)
{
    m_path = path;
    m_pImage.reset();
    if (CFolderSource::IsFolder(path))
    {
        if (m_folder.Open(path))
            return 1;
        *pError = "cannot read the disc folder " + path;
        return 0;
    }
    m_pImage = OpenImageInput(path, pError);
    return m_pImage != nullptr;
}

std::string CDiscInput::Describe() const { return m_pImage ? m_pImage->Describe() : m_path; }

SystemDisc CDiscInput::ForSystem(const std::string& os, unsigned nOemCodePage) const
{
    if (m_pImage)
        return m_pImage->ForSystem(os, nOemCodePage);
    SystemDisc disc;
    disc.pSource = &m_folder;
    return disc;
}

std::vector<DiscTree> CDiscInput::ReadTrees(unsigned nOemCodePage) const
{
    if (m_pImage)
        return m_pImage->ReadTrees(nOemCodePage);
    return {{ForSystem(KnownSystems().front(), nOemCodePage), KnownSystems()}};
}

std::vector<Finding> CDiscInput::ImageFindings(const std::string& at, unsigned nOemCodePage) const
{
    return m_pImage ? m_pImage->Findings(at, nOemCodePage) : std::vector<Finding>();
}

Plan MakeSystemPlan(const SystemDisc& disc, const PlanInput& input)
{
    Plan plan;
    if (disc.pSource != nullptr && input.origin == "insertion" && !input.insertion.bLauncher)
        plan = OtherProgramPlan(input);
    else if (disc.pSource != nullptr)
        plan = MakePlan(*disc.pSource, input);
    else
    {
        // Only what the system and the language decide: the rest depends on
        // names nobody has read.
        plan.input        = input;
        plan.nCodePage    = CCodePage::Get(PlannedCodePage(input)) ? PlannedCodePage(input) : 0;
        plan.languageCode = KnownLanguage(input.lang).empty() ? "enu" : KnownLanguage(input.lang);
        plan.nOsCode      = OsCodeOfSystem(input.os);
        plan.bAdminRequired = IsAdministratorRequired(plan.nOsCode);
        plan.bAdminMessage  = plan.bAdminRequired && input.user == "standard";
        std::string at;
        plan.bFolderShortName = plan.nCodePage != 0 &&
                                !CCodePage::Get(plan.nCodePage)->Encode(CDiscView::FullPathText(input.at, "C:\\"), &at);
        plan.unplanned      = disc.unplanned;
        plan.findings.push_back(disc.why);
        plan.nOwnFindings = plan.findings.size();
    }
    plan.tree            = disc.tree;
    plan.udfRevision     = disc.udfRevision;
    plan.treeAlternative = disc.alternativeTree;
    return plan;
}

void AddDiscFindings(Plan& plan, const std::vector<Finding>& findings)
{
    std::set<std::pair<std::string, std::string>> seen;
    for (const Finding& kept : plan.findings)
        seen.insert({kept.code, kept.message});
    for (const Finding& finding : findings)
    {
        if (seen.insert({finding.code, finding.message}).second)
            plan.findings.push_back(finding);
    }
}
