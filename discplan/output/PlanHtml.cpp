#include <algorithm>
#include <map>

#include "discplan/output/Markup.h"
#include "discplan/output/PlanOutput.h"
#include "discplan/output/PlanWords.h"

namespace {

// Inline only: the page is opened from a build's artifacts, where nothing
// may be fetched. A print is landscape, tables at the page's width, never
// split inside a row.
const char STYLE[] = R"(
body{font:14px/1.35 "DejaVu Sans",system-ui,"Segoe UI",sans-serif;margin:16px 24px;color:#1b1f23;background:#fff}
h1{font-size:20px;margin:0 0 4px}
h2{font-size:16px;margin:22px 0 6px}
h3{font-size:14px;margin:14px 0 4px}
p{margin:3px 0}
.facts{color:#3b4249}
table{border-collapse:collapse;width:100%;table-layout:fixed;margin:4px 0}
th,td{border:1px solid #aab2bb;padding:3px 5px;vertical-align:top;text-align:left;overflow-wrap:anywhere}
thead th{background:#e8ecf0;text-align:center}
tbody th{background:#e8ecf0}
col.system{width:6.5em}
table.trees{width:auto;max-width:100%}
code{font:12px/1.3 "DejaVu Sans Mono",Consolas,monospace}
td>code:first-child{font-weight:bold}
.note code{font-size:11px}
td.started,.legend .started{background:#d9f2df}
td.nothing,.legend .nothing{background:#fff0c2}
td.error,.legend .error{background:#f8d3d1}
td.unplanned,.legend .unplanned{background:repeating-linear-gradient(135deg,#e3e5e8 0 6px,#d0d4d9 6px 12px)}
.note,.codes{display:block;font-size:12px;color:#454d55}
a.code{display:inline-block;font:11px "DejaVu Sans Mono",monospace;padding:0 4px;margin:2px 2px 0 0;border-radius:3px}
a.code{color:#fff;text-decoration:none}
a.code.error,.finding.error .sev{background:#b3261e}
a.code.warning,.finding.warning .sev{background:#8a5a00}
a.code.info,.finding.info .sev{background:#44617b}
.legend span{display:inline-block;padding:1px 8px;margin-right:6px;border:1px solid #aab2bb}
.finding{border-left:4px solid #44617b;padding:3px 10px;margin:6px 0;background:#f5f7f9}
.finding.error{border-color:#b3261e;background:#fcefee}
.finding.warning{border-color:#8a5a00;background:#fdf6e6}
.sev{color:#fff;padding:0 5px;border-radius:3px;font-size:12px}
.finding ul{margin:2px 0 0;padding-left:18px;color:#3b4249}
@page{size:A4 landscape;margin:10mm}
@media print{
body{margin:0;font-size:9pt}
*{-webkit-print-color-adjust:exact;print-color-adjust:exact}
table{font-size:8pt}
thead{display:table-header-group}
tr,th,td,.finding{break-inside:avoid}
h2,h3{break-after:avoid}
a{text-decoration:none}
}
)";

// The outcome a cell is coloured by.
const char* OutcomeClass(const Plan& plan)
{
    if (!plan.unplanned.empty())
        return "unplanned";
    for (const Finding& finding : plan.findings)
    {
        if (finding.severity == "error")
            return "error";
    }
    return LaunchOf(plan) != nullptr ? "started" : "nothing";
}

std::string Note(const std::string& text) { return "<span class=\"note\">" + HtmlEscape(text) + "</span>"; }

// A program and its parameters; a narrow cell breaks the line after a
// backslash rather than inside a name.
std::string StartHtml(const PlannedStart& start)
{
    const std::string text = HtmlEscape(start.program + (start.parameters.empty() ? "" : " " + start.parameters));
    std::string       html;
    for (char ch : text)
        html += ch == '\\' ? std::string("\\<wbr>") : std::string(1, ch);
    return "<code>" + html + "</code>";
}

// What a combination does, as a cell's content: the program started (or
// nothing, and why), how, what runs before it; the codes of its findings
// link to them in the list below.
std::string CellHtml(const Plan& plan, const std::map<std::string, size_t>& findingIds)
{
    static const char* const SHOWN[] = {"hidden", "normal", "minimised"};
    std::string              html;
    std::vector<std::string> notes;
    const PlannedStart*      pLaunch = LaunchOf(plan);
    if (plan.input.origin == "insertion")
        notes.push_back(InsertionShown(plan));
    if (!plan.unplanned.empty())
    {
        html = "<b>no plan</b>";
        notes.push_back(UnplannedWhy(plan));
    }
    else if (pLaunch != nullptr)
    {
        html = StartHtml(*pLaunch);
        notes.push_back(std::string(pLaunch->wait ? "waited for" : "not waited for") +
                        (pLaunch->show == 1 ? "" : std::string(", ") + SHOWN[pLaunch->show % 3]) +
                        (pLaunch->folder == plan.input.at ? "" : ", in " + pLaunch->folder));
    }
    else
    {
        html = "<b>starts nothing</b>";
        notes.push_back(NothingWhy(plan));
    }
    if (plan.unplanned.empty() && plan.bAdminRequired && !plan.bAdminMessage)
        notes.push_back("asks for an administrator");
    if (plan.unplanned.empty() && plan.nExitCode != 0)
        notes.push_back("exit code " + std::to_string(plan.nExitCode));
    std::string said;
    for (const std::string& note : notes)
        said += note.empty() ? "" : (said.empty() ? "" : "; ") + note;
    html += said.empty() ? "" : Note(said);
    if (plan.unplanned.empty() && plan.bHasEngineUpdate)
        html += "<span class=\"note\">first the engine update" +
                std::string(plan.engineUpdate.found ? "" : " (not on the disc)") + ", waited for: " +
                StartHtml(plan.engineUpdate) + "</span>";
    if (plan.unplanned.empty() && !plan.driverImport.empty())
        html += Note("first the driver import, waited for: regedit.exe /s \"" + plan.driverImport + "\"");
    std::vector<std::string> codes;
    for (const Finding& finding : plan.findings)
    {
        if (std::find(codes.begin(), codes.end(), finding.code) != codes.end())
            continue;
        codes.push_back(finding.code);
        auto found = findingIds.find(finding.code);
        html += std::string(codes.size() == 1 ? "<span class=\"codes\">" : "") + "<a class=\"code " +
                HtmlEscape(finding.severity) + "\" href=\"#f" +
                std::to_string(found == findingIds.end() ? 0 : found->second) + "\">" + HtmlEscape(finding.code) +
                "</a>";
    }
    return html + (codes.empty() ? "" : "</span>");
}

// One command line's matrix, systems down, languages across. Equal cells
// merge into rectangles (rowspan and colspan): each cell not yet covered,
// in reading order, takes the equal cells to its right, then the rows below
// while their whole width is equal too. A disc that does the same
// everywhere is one cell.
std::string MatrixHtml(const TextHeading& heading, const std::vector<const Plan*>& run,
                       const std::map<std::string, size_t>& findingIds)
{
    const size_t nRows = heading.systems.size(), nCols = heading.langs.size();
    std::vector<std::string> keys(nRows * nCols, "none"), cells(nRows * nCols, "<b>not planned</b>");
    for (const Plan* pPlan : run)
    {
        const auto row = std::find(heading.systems.begin(), heading.systems.end(), pPlan->input.os);
        const auto col = std::find(heading.langs.begin(), heading.langs.end(), pPlan->input.lang);
        if (row == heading.systems.end() || col == heading.langs.end())
            continue;
        const size_t i = (row - heading.systems.begin()) * nCols + (col - heading.langs.begin());
        keys[i]        = OutcomeClass(*pPlan);
        cells[i]       = CellHtml(*pPlan, findingIds);
    }
    std::vector<char> covered(nRows * nCols, 0);
    const auto        same = [&](size_t a, size_t b)
    {
        return !covered[b] && keys[a] == keys[b] && cells[a] == cells[b];
    };
    std::string html = "<table class=\"matrix\"><colgroup><col class=\"system\"></colgroup><thead><tr><th>system</th>";
    for (const std::string& lang : heading.langs)
        html += "<th>" + HtmlEscape(lang) + "</th>";
    html += "</tr></thead><tbody>\n";
    for (size_t r = 0; r < nRows; ++r)
    {
        html += "<tr><th>" + HtmlEscape(heading.systems[r]) + "</th>";
        for (size_t c = 0; c < nCols; ++c)
        {
            const size_t i = r * nCols + c;
            if (covered[i])
                continue;
            size_t nWidth = 1, nHeight = 1;
            while (c + nWidth < nCols && same(i, i + nWidth))
                ++nWidth;
            while (r + nHeight < nRows)
            {
                bool bEqual = true;
                for (size_t k = 0; bEqual && k < nWidth; ++k)
                    bEqual = same(i, i + nHeight * nCols + k);
                if (!bEqual)
                    break;
                ++nHeight;
            }
            for (size_t y = 0; y < nHeight; ++y)
                std::fill_n(covered.begin() + i + y * nCols, nWidth, 1);
            html += "<td class=\"" + keys[i] + "\"" +
                    (nHeight > 1 ? " rowspan=\"" + std::to_string(nHeight) + "\"" : "") +
                    (nWidth > 1 ? " colspan=\"" + std::to_string(nWidth) + "\"" : "") + ">" + cells[i] + "</td>";
        }
        html += "</tr>\n";
    }
    return html + "</tbody></table>\n";
}

int SeverityRank(const std::string& severity)
{
    return severity == "error" ? 0 : severity == "warning" ? 1 : severity == "info" ? 2 : 3;
}

} // namespace

std::string PlansHtml(const TextHeading& heading, const std::vector<Plan>& plans)
{
    std::vector<FindingWhere> findings = FindingsWhere(heading, plans);
    std::stable_sort(findings.begin(), findings.end(), [](const FindingWhere& a, const FindingWhere& b) {
        return SeverityRank(a.finding.severity) < SeverityRank(b.finding.severity);
    });
    // A code in a cell links to the first finding of that code.
    std::map<std::string, size_t> findingIds;
    for (size_t i = 0; i < findings.size(); ++i)
        findingIds.insert({findings[i].finding.code, i + 1});
    std::map<std::string, size_t> outcomes;
    for (const Plan& plan : plans)
        ++outcomes[OutcomeClass(plan)];

    std::string html = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                       "<title>discplan: " +
                       HtmlEscape(heading.disc) + "</title><style>" + STYLE + "</style></head><body>\n";
    html += "<h1>Disc plan: " + HtmlEscape(heading.disc) + "</h1>\n";
    if (!plans.empty())
        html += "<p class=\"facts\">At " + HtmlEscape(plans.front().input.at) + " on Windows; user " +
                HtmlEscape(plans.front().input.user) + ", engine " + HtmlEscape(plans.front().input.engine) + "; " +
                HtmlEscape(CodePages(heading, plans)) + ".</p>\n";
    html += "<p class=\"facts\">" + std::to_string(plans.size()) + " combinations: " +
            std::to_string(outcomes["started"]) + " start a program, " + std::to_string(outcomes["nothing"]) +
            " start nothing, " + std::to_string(outcomes["error"]) + " with an error finding, " +
            std::to_string(outcomes["unplanned"]) + " without a plan.</p>\n";
    html += "<p class=\"legend\"><span class=\"started\">starts a program</span><span class=\"nothing\">starts "
            "nothing</span><span class=\"error\">error finding</span><span class=\"unplanned\">no plan</span></p>\n";
    const std::vector<TreeRead> trees = TreesRead(heading, plans);
    if (!trees.empty())
    {
        html += "<h2>Trees read</h2>\n<table class=\"trees\"><thead><tr><th>tree</th><th>read by</th></tr></thead>"
                "<tbody>\n";
        for (const TreeRead& read : trees)
            html += "<tr><td>" + HtmlEscape(read.tree) + "</td><td>" + HtmlEscape(read.systems) + "</td></tr>\n";
        html += "</tbody></table>\n";
    }
    for (const std::vector<const Plan*>& run : PlansByRun(plans))
    {
        const Plan& plan = *run.front();
        html += "<section><h2>" + HtmlEscape(RunName(plan)) +
                (plan.input.origin == "insertion" ? " (the command line of the disc's autorun.inf)" : "") +
                "</h2>\n" + MatrixHtml(heading, run, findingIds) + "</section>\n";
    }
    html += "<section><h2>Findings</h2>\n";
    if (findings.empty())
        html += "<p>none</p>\n";
    for (size_t i = 0; i < findings.size(); ++i)
    {
        const Finding& finding = findings[i].finding;
        if (i == 0 || finding.severity != findings[i - 1].finding.severity)
        {
            size_t nSame = 0;
            for (const FindingWhere& other : findings)
                nSame += other.finding.severity == finding.severity ? 1 : 0;
            html += "<h3>" + HtmlEscape(finding.severity) + " (" + std::to_string(nSame) + ")</h3>\n";
        }
        html += "<div class=\"finding " + HtmlEscape(finding.severity) + "\" id=\"f" + std::to_string(i + 1) +
                "\"><p><span class=\"sev\">" + HtmlEscape(finding.severity) + "</span> <code>" +
                HtmlEscape(finding.code) + "</code></p><p>" + HtmlEscape(finding.message) + "</p><ul>";
        for (const std::string& where : findings[i].where)
            html += "<li>" + HtmlEscape(where) + "</li>";
        html += "</ul></div>\n";
    }
    return html + "</section>\n</body></html>\n";
}
