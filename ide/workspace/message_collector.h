// A message sink for the project model that keeps its lines instead of
// printing them: the IDE shows them in its own panes and dialogs.
#pragma once

#include "compiler/build_action_manager.h"

#include <string>
#include <vector>

namespace tft::ide {

class MessageCollector final : public CBuildActionManager {
public:
    void error(const std::string& text) override { lines_.push_back(prefixed(71, text)); }
    void warning(const std::string& text) override { lines_.push_back(prefixed(72, text)); }
    void info(const std::string& text) override { lines_.push_back(text); }
    using CBuildActionManager::error;
    using CBuildActionManager::info;
    using CBuildActionManager::warning;

    const std::vector<std::string>& lines() const { return lines_; }
    void clearLines() { lines_.clear(); }

private:
    std::string prefixed(int number, const std::string& text) const {
        return this->text(number) + text;
    }
    std::vector<std::string> lines_;
};

} // namespace tft::ide
