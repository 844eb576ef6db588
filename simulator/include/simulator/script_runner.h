// Runs headless scripts on virtual time: each script, or each "# test:"
// section of one, is a test case that starts from a freshly started panel;
// several scripts share one start-up of the program and one loaded project.
#pragma once

#include "simulator/script.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tft {

class VirtualPanel;

struct ScriptCase {
    std::string name;
    std::vector<ScriptStep> steps;
};

// The steps before the first "# test:" (when there are any) are a case named `defaultName`.
std::vector<ScriptCase> scriptCases(const Script& script, const std::string& defaultName);

struct CaseResult {
    enum class Outcome { Passed, Failed, Error };
    std::string name;
    Outcome outcome = Outcome::Passed;
    std::string message;       // the first failure, one line
    std::string report;        // what the case printed: screenshots, failures
    std::uint32_t panelMs = 0; // panel time the case ran for
};

// Runs one case. `fresh` false restarts the panel first. Pictures of
// "compare" are found relative to `pictureDir`.
CaseResult runCase(VirtualPanel& panel, const ScriptCase& scriptCase, bool fresh,
                   const std::filesystem::path& pictureDir);

struct ScriptResult {
    std::string file;  // as given
    std::string error; // why the script was refused (unreadable, a bad line); no cases then
    std::vector<CaseResult> cases;
};

// Runs the script files against the project; prints "ok"/"FAIL" per case to
// `out` (failures only when `quiet`) and failures to `err`. Returns 0 when
// every case passed, 1 when one failed, 2 when a script was refused, the
// project could not be opened or a case could not be carried out.
int runScriptFiles(const std::vector<std::string>& files, const std::filesystem::path& siPath,
                   bool quiet, std::string& out, std::string& err,
                   std::vector<ScriptResult>* results = nullptr);

// A parsed script run as one run: 0/1/2 as above; `report` gets every line.
int runScript(const Script& script, const std::filesystem::path& siPath, std::string& report);

// The results as JUnit XML: one testsuite per script, one testcase per case;
// times are panel time, so the report is the same on every machine.
std::string junitReport(const std::vector<ScriptResult>& results);

// Reads a script file: refuses files that are not script text.
Script loadScript(const std::string& file);

} // namespace tft
