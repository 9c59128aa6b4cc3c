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
};

// A tree systems read, with all the systems discplan knows that read it.
struct DiscTree
{
    SystemDisc               disc;
    std::vector<std::string> systems;
};

// A disc image's trees as the systems read them. The native build reads
// images (ImageInput.cpp); the Windows build reads none.
class CImageInput
{
public:
    virtual ~CImageInput() {}
    // "image disc.iso (ISO 9660, Joliet, UDF 1.02)"
    virtual std::string           Describe() const = 0;
    virtual SystemDisc            ForSystem(const std::string& os) const = 0;
    virtual std::vector<DiscTree> ReadTrees() const = 0;
    // What is wrong with the image itself, paths counted from at.
    virtual std::vector<Finding> Findings(const std::string& at) const = 0;
};

// The image file at path; null with *pError, one line, when it cannot be
// read or this build reads no images.
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

    // The source os reads (a name KnownSystems gives).
    SystemDisc ForSystem(const std::string& os) const;

    // The trees that systems read and discplan has read, each with the
    // systems reading it; one for a folder.
    std::vector<DiscTree> ReadTrees() const;

    // The image's own findings; none for a folder.
    std::vector<Finding> ImageFindings(const std::string& at) const;

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
