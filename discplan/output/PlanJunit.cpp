#include <algorithm>
#include <memory>

#include <rapidxml/rapidxml.hpp>
#include <rapidxml/rapidxml_print.hpp>

#include "discplan/output/Markup.h"
#include "discplan/output/PlanOutput.h"
#include "discplan/output/PlanWords.h"

namespace {

typedef rapidxml::xml_document<> XmlDocument;
typedef rapidxml::xml_node<>     XmlNode;

// A copy of text in the document, as XML 1.0 allows it. rapidxml keeps
// pointers only, and escapes & < > " ' when it prints.
const char* Text(XmlDocument& document, const std::string& text)
{
    const std::string clean = MarkupText(text);
    return document.allocate_string(clean.c_str(), clean.size() + 1);
}

void AddAttribute(XmlDocument& document, XmlNode* pNode, const char* szName, const std::string& value)
{
    // A parser turns tabs and line ends in an attribute into spaces anyway.
    std::string flat = value;
    std::replace_if(flat.begin(), flat.end(), [](char ch) { return ch == '\t' || ch == '\n' || ch == '\r'; }, ' ');
    pNode->append_attribute(document.allocate_attribute(szName, Text(document, flat)));
}

XmlNode* AddElement(XmlDocument& document, XmlNode* pParent, const char* szName, const std::string& text = "")
{
    XmlNode* pNode =
        document.allocate_node(rapidxml::node_element, szName, text.empty() ? nullptr : Text(document, text));
    pParent->append_node(pNode);
    return pNode;
}

// "discplan.<file name>": Jenkins takes what follows the last dot of a
// classname for the class and what precedes it for the package, so the
// name's own dots become underscores.
std::string ClassName(const std::string& disc)
{
    std::string name = disc;
    while (name.size() > 1 && (name.back() == '/' || name.back() == '\\'))
        name.pop_back();
    const size_t nSlash = name.find_last_of("/\\");
    if (nSlash != std::string::npos && nSlash + 1 < name.size())
        name = name.substr(nSlash + 1);
    std::replace(name.begin(), name.end(), '.', '_');
    return "discplan." + name;
}

std::string FindingLine(const Finding& finding)
{
    return finding.severity + " " + finding.code + ": " + finding.message;
}

// What the plan starts, in a line.
std::string StartLine(const Plan& plan)
{
    const PlannedStart* pLaunch = LaunchOf(plan);
    if (pLaunch == nullptr)
    {
        const std::string why = NothingWhy(plan);
        return plan.unplanned.empty() ? "starts nothing" + (why.empty() ? "" : ": " + why) : why;
    }
    return "starts " + pLaunch->program + (pLaunch->parameters.empty() ? "" : " " + pLaunch->parameters) +
           (pLaunch->wait ? ", waited for" : ", not waited for");
}

// A test case, and whether it fails.
int AddCase(XmlDocument& document, XmlNode* pSuite, const std::string& className, const Plan& plan)
{
    XmlNode* pCase = AddElement(document, pSuite, "testcase");
    AddAttribute(document, pCase, "name", plan.input.os + " " + plan.input.lang + " " + RunName(plan));
    AddAttribute(document, pCase, "classname", className);
    AddAttribute(document, pCase, "time", "0");
    std::vector<const Finding*> errors;
    std::string                 out = StartLine(plan) + "\n";
    for (const Finding& finding : plan.findings)
    {
        if (finding.severity == "error")
            errors.push_back(&finding);
        else
            out += FindingLine(finding) + "\n";
    }
    // Another program on insertion is a finding's warning, not a failure.
    const bool bFails = !errors.empty() || (!plan.unplanned.empty() && plan.unplanned != "other-program");
    if (bFails)
    {
        std::string body;
        for (const Finding* pError : errors)
            body += FindingLine(*pError) + "\n";
        XmlNode* pFailure = AddElement(document, pCase, "failure", body.empty() ? StartLine(plan) : body);
        AddAttribute(document, pFailure, "message",
                     errors.empty() ? StartLine(plan) : errors[0]->code + ": " + errors[0]->message);
        AddAttribute(document, pFailure, "type", errors.empty() ? "unplanned" : errors[0]->code);
    }
    AddElement(document, pCase, "system-out", out);
    return bFails ? 1 : 0;
}

void AddCounts(XmlDocument& document, XmlNode* pNode, size_t nTests, size_t nFailures)
{
    AddAttribute(document, pNode, "tests", std::to_string(nTests));
    AddAttribute(document, pNode, "failures", std::to_string(nFailures));
    AddAttribute(document, pNode, "errors", "0");
    AddAttribute(document, pNode, "skipped", "0");
    AddAttribute(document, pNode, "time", "0");
}

} // namespace

std::string PlansJunit(const std::string& disc, const std::vector<Plan>& plans)
{
    // The document holds a pool of 64 KiB: on the heap, not the stack.
    std::unique_ptr<XmlDocument> pDocument(new XmlDocument);
    XmlDocument&                 document = *pDocument;
    XmlNode* pDeclaration = document.allocate_node(rapidxml::node_declaration);
    AddAttribute(document, pDeclaration, "version", "1.0");
    AddAttribute(document, pDeclaration, "encoding", "UTF-8");
    document.append_node(pDeclaration);
    XmlNode* pSuites = AddElement(document, &document, "testsuites");
    AddAttribute(document, pSuites, "name", "discplan " + disc);
    const std::string className = ClassName(disc);
    size_t            nFailures = 0;
    for (const std::vector<const Plan*>& run : PlansByRun(plans))
    {
        XmlNode* pSuite = document.allocate_node(rapidxml::node_element, "testsuite");
        AddAttribute(document, pSuite, "name", RunName(*run.front()));
        size_t nRunFailures = 0;
        for (const Plan* pPlan : run)
            nRunFailures += AddCase(document, pSuite, className, *pPlan);
        nFailures += nRunFailures;
        AddCounts(document, pSuite, run.size(), nRunFailures);
        pSuites->append_node(pSuite);
    }
    AddCounts(document, pSuites, plans.size(), nFailures);
    std::string out;
    rapidxml::print(std::back_inserter(out), document);
    return out;
}
