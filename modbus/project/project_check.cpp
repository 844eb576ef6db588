#include "modbus/project_check.h"

#include "compiler/build_action_manager.h"
#include "compiler/device_catalogue.h"
#include "compiler/item_registry.h"
#include "compiler/project.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>
#include <utility>

namespace tessary {

namespace {

constexpr std::array<std::string_view, 8> kControlKinds = {
    "BUTTON", "TEXT_DISPLAY", "PROGRESS", "SLIDER", "METER", "RTC", "ANIMATION", "GRAPH"};
constexpr std::array<std::string_view, 5> kValueKinds = {"BUTTON", "TEXT_DISPLAY", "PROGRESS",
                                                         "SLIDER", "METER"};

template <std::size_t N>
bool listed(const std::array<std::string_view, N>& list, const std::string& kind) {
    return std::find(list.begin(), list.end(), kind) != list.end();
}

// Loading messages are not ours to print: the reason of a failed load is
// what the map window and --check show.
class QuietSink final : public tft::CBuildActionManager {
public:
    void error(const std::string& text) override { lines.push_back(text); }
    void warning(const std::string&) override {}
    void info(const std::string&) override {}
    using CBuildActionManager::error;
    using CBuildActionManager::info;
    using CBuildActionManager::warning;
    std::vector<std::string> lines;
};

std::string describe(const ProjectControl& control) {
    return "\"" + control.name + "\" (" + control.kind + ")";
}

} // namespace

bool kindIsControl(const std::string& kind) {
    return listed(kControlKinds, kind);
}

bool kindTakesValue(const std::string& kind) {
    return listed(kValueKinds, kind);
}

const ProjectControl* ProjectScreen::findControl(std::uint16_t wanted) const {
    for (const ProjectControl& control : controls)
        if (control.id == wanted && control.isControl)
            return &control;
    for (const ProjectControl& control : controls)
        if (control.id == wanted)
            return &control;
    return nullptr;
}

ProjectScreen& ProjectIndex::addScreen(const std::string& screenName) {
    const auto [at, added] = byName_.emplace(screenName, screens_.size());
    if (added) {
        ProjectScreen screen;
        screen.id = static_cast<std::uint16_t>(screens_.size());
        screen.name = screenName;
        screens_.push_back(std::move(screen));
    }
    return screens_[at->second];
}

const ProjectScreen* ProjectIndex::findScreen(std::uint16_t id) const {
    return id < screens_.size() ? &screens_[id] : nullptr;
}

bool ProjectIndex::load(const std::string& projectFile, std::string* error) {
    return load(projectFile, tft::DeviceCatalogue::instance(), error);
}

bool ProjectIndex::load(const std::string& projectFile, const tft::DeviceCatalogue& catalogue,
                        std::string* error) {
    tft::ensureItemFactoriesRegistered();
    QuietSink sink;
    tft::CProject project;
    project.setMessageSink(&sink);
    if (!project.load(projectFile, catalogue)) {
        if (error) {
            *error = "the project does not load";
            if (!sink.lines.empty())
                *error += ": " + sink.lines.front();
        }
        return false;
    }
    ProjectIndex loaded;
    loaded.name_ = project.name();
    loaded.path_ = projectFile;
    for (const auto& page : project.pages()) {
        ProjectScreen& screen = loaded.addScreen(page->name());
        for (const auto& item : page->items()) {
            const auto* exported = dynamic_cast<const tft::IObjPropExport*>(item.get());
            if (!exported)
                continue;
            ProjectControl control;
            control.id = static_cast<std::uint16_t>(exported->exportProperties().id);
            control.name = item->name();
            control.kind = item->kindName();
            control.isControl = kindIsControl(control.kind);
            control.takesValue = kindTakesValue(control.kind);
            screen.controls.push_back(std::move(control));
        }
    }
    *this = std::move(loaded);
    return true;
}

std::vector<MapProblem> checkMap(const std::vector<MapRow>& rows, const ProjectIndex& project) {
    std::vector<MapProblem> problems;
    const auto add = [&](std::size_t row, MapProblem::Severity severity, std::string text,
                         std::string chinese) {
        problems.push_back({row, severity, std::move(text), std::move(chinese)});
    };
    // First row of each (screen, control) pair, for the duplicate warnings.
    std::map<std::uint32_t, std::size_t> firstBinding;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const MapRow& row = rows[i];
        if (row.use != kUseControlUpdate)
            continue;
        const std::string screenText = std::to_string(row.screenId);
        const std::string controlText = std::to_string(row.controlId);
        const ProjectScreen* screen = project.findScreen(row.screenId);
        if (!screen) {
            add(i, MapProblem::Severity::Error,
                "screen " + screenText + " does not exist in the project",
                "画面 " + screenText + " 在工程中不存在");
            continue;
        }
        const ProjectControl* control = screen->findControl(row.controlId);
        if (!control) {
            add(i, MapProblem::Severity::Error,
                "control " + controlText + " does not exist on screen " + screenText + " \"" +
                    screen->name + "\"",
                "画面 " + screenText + " \"" + screen->name + "\" 上没有控件 " + controlText);
            continue;
        }
        if (!control->isControl) {
            add(i, MapProblem::Severity::Error,
                "control " + controlText + " on screen \"" + screen->name + "\" is " +
                    describe(*control) + ", a shape drawn once, not a control",
                "画面 \"" + screen->name + "\" 的 " + controlText + " " + describe(*control) +
                    " 是静态图形，不是控件");
            continue;
        }
        if (!control->takesValue) {
            add(i, MapProblem::Severity::Error,
                "control " + controlText + " on screen \"" + screen->name + "\" is " +
                    describe(*control) + ", which takes no value",
                "画面 \"" + screen->name + "\" 的控件 " + controlText + " " + describe(*control) +
                    " 不接受数值");
            continue;
        }
        const std::uint32_t key = (std::uint32_t(row.screenId) << 16) | row.controlId;
        const auto [first, fresh] = firstBinding.emplace(key, i);
        if (!fresh)
            add(i, MapProblem::Severity::Warning,
                "control " + describe(*control) + " on screen \"" + screen->name +
                    "\" is also bound by row " + std::to_string(first->second),
                "画面 \"" + screen->name + "\" 的控件 " + describe(*control) + " 已由第 " +
                    std::to_string(first->second) + " 行绑定");
    }
    return problems;
}

std::string problemLine(const MapProblem& problem) {
    return "row " + std::to_string(problem.row) + ": " +
           (problem.severity == MapProblem::Severity::Warning ? "warning: " : "") + problem.text;
}

} // namespace tessary
