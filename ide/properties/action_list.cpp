#include "action_list.h"

#include "compiler/item_registry.h"
#include "compiler/items.h"

#include <pugixml.hpp>
#include <sstream>

namespace tft::ide {

namespace {

std::string itemText(const pugi::xml_node& item) {
    std::ostringstream out;
    item.print(out, "", pugi::format_raw);
    return out.str();
}

} // namespace

ActionList ActionList::parse(const std::string& text) {
    ActionList list;
    pugi::xml_document doc;
    if (text.empty() || !doc.load_buffer(text.data(), text.size()))
        return list;
    for (pugi::xml_node item : doc.document_element().children("item"))
        list.items_.push_back(itemText(item));
    return list;
}

std::string ActionList::text() const {
    if (items_.empty())
        return {};
    std::string text = "<actions>";
    for (const std::string& item : items_)
        text += item;
    return text + "</actions>";
}

bool ActionList::isValid() const {
    ensureItemFactoriesRegistered();
    ItemList parsed;
    const std::string all = text();
    if (!parseActionList(all, parsed))
        return false;
    // An item that is not XML would vanish from the parse without a failure.
    return parsed.size() == items_.size();
}

std::string ActionList::newItem(const std::string& type) {
    return "<item type=\"" + type + "\"/>";
}

std::vector<std::string> ActionList::itemTypes() {
    return {"RECTANGLE",    "ELLIPSE",  "CIRCLE", "LINE",   "CURVE", "TEXT",      "IMAGE", "BUTTON",
            "TEXT_DISPLAY", "PROGRESS", "METER",  "SLIDER", "RTC",   "ANIMATION", "GRAPH"};
}

bool ActionList::remove(int index) {
    if (index < 0 || index >= int(items_.size()))
        return false;
    items_.erase(items_.begin() + index);
    return true;
}

bool ActionList::move(int index, int by) {
    const int to = index + by;
    if (index < 0 || index >= int(items_.size()) || to < 0 || to >= int(items_.size()))
        return false;
    std::swap(items_[std::size_t(index)], items_[std::size_t(to)]);
    return true;
}

} // namespace tft::ide
