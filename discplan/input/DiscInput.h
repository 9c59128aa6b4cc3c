// The disc discplan is given: a folder, or a disc image file whose trees
// different kinds of Windows read differently. For each system it gives the
// source that system reads, or why there is none; the planning code then
// works on that source alone.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "discplan/plan/DiscPlan.h"
#include "discplan/input/DiscSource.h"
#include "discplan/input/FolderSource.h"

// The disc as one system reads it.
struct SystemDisc
{
    const CDiscSource* pSource = nullptr; // null: no plan can be made
    std::string        tree;              // "iso9660", "joliet", "udf"; empty for a folder
    std::string        treeName;          // "Joliet", "UDF 1.02"; empty for a folder
    std::string        udfRevision;       // "1.02" where the system reads a UDF tree
    std::string        unplanned;         // with no source: "unknown" or "nothing"
    Finding            why;               // with no source: the error that says why
    // Where it is not known which of two trees the system reads: the other
    // one, whose plan must agree (null otherwise).
    const CDiscSource* pAlternative = nullptr;
    std::string        alternativeTree;     // "joliet"
    std::string        alternativeTreeName; // "Joliet"
};

// A tree systems read, with all the systems discplan knows that read it.
struct DiscTree
{
    SystemDisc               disc;
    std::vector<std::string> systems;
};

// A disc image's trees as the systems read them (ImageInput.cpp). The ISO
// 9660 tree's names with bytes above 127 mean what the reading system's OEM
// code page makes of them: each call names that code page.
class CImageInput
{
public:
    virtual ~CImageInput() {}
    // "image disc.iso (ISO 9660, Joliet, UDF 1.02)"
    virtual std::string           Describe() const = 0;
    virtual SystemDisc            ForSystem(const std::string& os, unsigned nOemCodePage) const = 0;
    virtual std::vector<DiscTree> ReadTrees(unsigned nOemCodePage) const = 0;
    // What is wrong with the image itself, paths counted from at.
    virtual std::vector<Finding> Findings(const std::string& at, unsigned nOemCodePage) const = 0;
};

// The image file at path; null with *pError, one line, when it cannot be
// read.
std::unique_ptr<CImageInput> OpenImageInput(const std::string& path, std::string* pError);

class CDiscInput
{
public:
    // path: a folder, or a disc image file. 0 with *pError, one line, when
    // it is neither, cannot be read, or is an image this build cannot read.
    int Open(const std::string& path, std::string* pError);

    // The disc as the heading names it: the folder as given, or the image
    // and its trees.
    std::string Describe() const;

    // The source os reads (a name KnownSystems gives), on a system of the
    // OEM code page (OemCodePageOf).
    SystemDisc ForSystem(const std::string& os, unsigned nOemCodePage) const;

    // The trees that systems read and discplan has read, each with the
    // systems reading it; one for a folder.
    std::vector<DiscTree> ReadTrees(unsigned nOemCodePage) const;

    // The image's own findings; none for a folder.
    std::vector<Finding> ImageFindings(const std::string& at, unsigned nOemCodePage) const;

    bool IsImage() const { return m_pImage != nullptr; }

private:
    std::string                  m_path;
    CFolderSource                m_folder;
    std::unique_ptr<CImageInput> m_pImage;
};

// The plan of one combination over the disc as its system reads it: the
// tree it was made from, or a row that says why there is none.
Plan MakeSystemPlan(const SystemDisc& disc, const PlanInput& input);

// Adds findings to a plan's disc findings, each once.
void AddDiscFindings(Plan& plan, const std::vector<Finding>& findings);
