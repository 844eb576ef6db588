// A Modbus map checked against the project whose screens it drives: which
// screens and controls exist (by name, kind and id, as the compiler numbers
// them) and which rows bind to something that is not there or cannot take a
// value. Widget-free; the map window, `tessary --check` and the IDE's
// download use the same check.
#pragma once

#include "modbus/map_model.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace tft {
class DeviceCatalogue;
}

namespace tessary {

struct ProjectControl {
    std::uint16_t id = 0;
    std::string name;
    std::string kind; // the page file's type: "SLIDER", "RTC", ...
    // A panel control (a shape drawn once is not one).
    bool isControl = false;
    // The panel sets it from a number (button state, text, bar, slider, meter).
    bool takesValue = false;
};

struct ProjectScreen {
    std::uint16_t id = 0;
    std::string name;
    std::vector<ProjectControl> controls; // in page order
    const ProjectControl* findControl(std::uint16_t id) const;
};

// The screens of one project, numbered as the compiler numbers them: in page
// order, a page whose name repeats an earlier one sharing its id.
class ProjectIndex {
public:
    // Reads the project file and its pages; false with the reason otherwise.
    bool load(const std::string& projectFile, std::string* error);
    bool load(const std::string& projectFile, const tft::DeviceCatalogue& catalogue,
              std::string* error);
    // Adds a screen (tests and loaders); one of an existing name merges into it.
    ProjectScreen& addScreen(const std::string& name);

    const std::string& name() const { return name_; }
    const std::string& path() const { return path_; }
    const std::vector<ProjectScreen>& screens() const { return screens_; }
    const ProjectScreen* findScreen(std::uint16_t id) const;
    bool empty() const { return screens_.empty(); }

private:
    std::string name_, path_;
    std::vector<ProjectScreen> screens_;
    std::unordered_map<std::string, std::size_t> byName_;
};

// Whether a control kind is a panel control, and whether it takes a value.
bool kindIsControl(const std::string& kind);
bool kindTakesValue(const std::string& kind);

struct MapProblem {
    enum class Severity { Error, Warning };
    std::size_t row = 0; // position in the map, from 0
    Severity severity = Severity::Error;
    std::string text;        // English: the command line, and the grid in English
    std::string chineseText; // the grid in Chinese
};

// One entry per problem, by row then severity. Only control update rows bind
// to a screen and control; the others are not checked.
std::vector<MapProblem> checkMap(const std::vector<MapRow>& rows, const ProjectIndex& project);

// "row N: text" as `tessary --check` prints it.
std::string problemLine(const MapProblem& problem);

} // namespace tessary
