// tessary --check: a map against the project it drives, for scripts run
// before a production download.
#include "batch.h"
#include "modbus/map_model.h"
#include "modbus/project_check.h"

#include <iostream>

namespace tessary {

int runCheck(const std::vector<std::string>& args) {
    std::string map, project;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string* target = a == "--check" ? &map : a == "--project" ? &project : nullptr;
        if (!target)
            return usageError("--check takes only a map and --project");
        if (i + 1 >= args.size() || args[i + 1].empty() || !target->empty())
            return usageError(a == "--check" ? "--check needs one .mbm file"
                                             : "--project needs one project file");
        *target = args[++i];
    }
    if (project.empty())
        return usageError("--check needs --project");

    CTessaryDoc doc;
    LoadStatus status = LoadStatus::Ok;
    std::string error;
    if (!doc.loadFile(map, &status, &error)) {
        std::cerr << "tessary: " << map << ": " << error << "\n";
        return 2;
    }
    // A damaged map is not checked: what a panel would receive is unknown.
    if (status != LoadStatus::Ok) {
        std::cerr << "tessary: " << map << ": " << loadStatusMessage(status) << "\n";
        return 2;
    }
    ProjectIndex index;
    if (!index.load(project, &error)) {
        std::cerr << "tessary: " << project << ": " << error << "\n";
        return 2;
    }
    bool errors = false;
    for (const MapProblem& problem : checkMap(doc.rows(), index)) {
        std::cout << problemLine(problem) << "\n";
        errors = errors || problem.severity == MapProblem::Severity::Error;
    }
    std::cout.flush();
    return errors ? 1 : 0;
}

} // namespace tessary
