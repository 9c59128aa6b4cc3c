#include "discplan/output/PlanOutput.h"

#include <nlohmann/json.hpp>

namespace {

// Today's fields in today's order, the new ones after them.
using Json = nlohmann::ordered_json;

Json TextOrNull(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

const PlannedStart* LaunchOf(const Plan& plan)
{
    for (const PlannedStart& start : plan.starts)
    {
        if (start.found)
            return &start;
    }
    return nullptr;
}

Json PlanObject(const Plan& plan)
{
    Json object;
    object["os"]            = plan.input.os;
    object["os_code"]       = plan.nOsCode;
    object["lang"]          = plan.input.lang;
    object["language_code"] = plan.languageCode;
    object["cmdline"]       = plan.input.cmdline;
    object["cmdline_origin"] = plan.input.origin;
    object["user"]          = plan.input.user;
    object["engine"]        = plan.input.engine;
    object["product"]       = TextOrNull(plan.product);
    object["product_folder"] = TextOrNull(plan.productFolder);
    object["setup_program"] = plan.setupProgram;
    object["setup_found"]   = plan.bSetupFound != 0;
    object["engine_probe"]  = plan.engineProbe;
    object["engine_update_found"] = plan.bEngineUpdateFound != 0;
    object["engine_update"] = nullptr;
    if (plan.bHasEngineUpdate)
        object["engine_update"] = {{"program", plan.engineUpdate.program},
                                   {"parameters", plan.engineUpdate.parameters},
                                   {"wait", true},
                                   {"found", plan.engineUpdate.found != 0}};
    object["driver_import"]  = TextOrNull(plan.driverImport);
    object["admin_required"] = plan.bAdminRequired != 0;
    object["admin_message"]  = plan.bAdminMessage != 0;
    object["launch"]         = nullptr;
    if (const PlannedStart* pLaunch = LaunchOf(plan))
        object["launch"] = {{"program", pLaunch->program},
                            {"parameters", pLaunch->parameters},
                            {"folder", pLaunch->folder},
                            {"show", pLaunch->show},
                            {"wait", pLaunch->wait != 0}};
    object["launch_missing"] = nullptr;
    for (const PlannedStart& start : plan.starts)
    {
        if (!start.found)
            object["launch_missing"] = start.program;
    }
    object["exit_code"] = plan.nExitCode;
    object["log"]       = plan.log;
    Json findings       = Json::array();
    for (const Finding& finding : plan.findings)
        findings.push_back({{"severity", finding.severity}, {"code", finding.code}, {"message", finding.message}});
    object["findings"]          = findings;
    object["codepage"]          = plan.nCodePage;
    object["at"]                = plan.input.at;
    object["folder_short_name"] = plan.bFolderShortName != 0;
    object["tree"]              = TextOrNull(plan.tree);
    object["udf_revision"]      = TextOrNull(plan.udfRevision);
    object["unplanned"]         = TextOrNull(plan.unplanned);
    object["tree_alternative"]  = TextOrNull(plan.treeAlternative);
    object["insertion"]         = nullptr;
    if (plan.input.origin == "insertion")
    {
        const Insertion& insertion = plan.input.insertion;
        object["insertion"]        = {{"shown", insertion.shown},
                                      {"text", TextOrNull(insertion.text)},
                                      {"icon", TextOrNull(insertion.icon)},
                                      {"section", insertion.section},
                                      {"key", insertion.key},
                                      {"program", insertion.program},
                                      {"launcher", insertion.bLauncher != 0},
                                      {"found", insertion.bFound != 0}};
    }
    // No plan: what the disc decides is unknown, not empty.
    if (!plan.unplanned.empty())
    {
        for (const char* szField : {"product", "product_folder", "setup_program", "setup_found", "engine_probe",
                                    "engine_update_found", "engine_update", "driver_import", "launch",
                                    "launch_missing", "exit_code", "log"})
            object[szField] = nullptr;
    }
    return object;
}

} // namespace

std::string PlansJson(const std::vector<Plan>& plans)
{
    // One combination a line. Every text is valid UTF-8 by then; were one
    // not, its bad bytes would show as U+FFFD rather than break the output.
    std::string out = "[\n";
    for (size_t i = 0; i < plans.size(); ++i)
        out += "  " + PlanObject(plans[i]).dump(-1, ' ', false, Json::error_handler_t::replace) +
               (i + 1 < plans.size() ? ",\n" : "\n");
    return out + "]\n";
}
