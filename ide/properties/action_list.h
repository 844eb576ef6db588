// An action list (a project's `StartupAction`, a button's `action`) as the
// editor handles it: one page-file item element per action, in order.
#pragma once

#include <string>
#include <vector>

namespace tft::ide {

class ActionList {
public:
    // The items of an action list text; a text that is not XML gives none.
    static ActionList parse(const std::string& text);
    // "<actions>items</actions>", or empty for an empty list.
    std::string text() const;
    // True when every item is one the compiler accepts in an action list.
    bool isValid() const;
    // A new action of a page-file item type with the kind's defaults.
    static std::string newItem(const std::string& type);
    // The item types an action may have.
    static std::vector<std::string> itemTypes();

    std::vector<std::string>& items() { return items_; }
    const std::vector<std::string>& items() const { return items_; }
    void add(std::string item) { items_.push_back(std::move(item)); }
    bool remove(int index);
    // Swaps the action with its neighbour (-1 before it, +1 after it).
    bool move(int index, int by);

private:
    std::vector<std::string> items_;
};

} // namespace tft::ide
