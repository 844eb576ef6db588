#include "compiler/build_action_manager.h"

namespace tft {

CBuildActionManager& CBuildActionManager::instance() {
    static CBuildActionManager sink;
    return sink;
}

void CBuildActionManager::writeLine(const std::string& text) {
    if (out_ == nullptr)
        return;
    // The sink ends every message with its own line end; a text that already
    // ends in one would leave an empty line behind it.
    std::size_t length = text.size();
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        --length;
    std::fwrite(text.data(), 1, length, out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void CBuildActionManager::error(const std::string& text) {
    writeLine(messages_.text(msg::ErrorPrefix) + text);
    ++errors_;
}

void CBuildActionManager::warning(const std::string& text) {
    writeLine(messages_.text(msg::WarningPrefix) + text);
    ++warnings_;
}

void CBuildActionManager::info(const std::string& text) {
    writeLine(text);
}

void CBuildActionManager::error(int number, const std::vector<MessageArg>& args) {
    error(text(number, args));
}

void CBuildActionManager::warning(int number, const std::vector<MessageArg>& args) {
    warning(text(number, args));
}

void CBuildActionManager::info(int number, const std::vector<MessageArg>& args) {
    info(text(number, args));
}

std::string CBuildActionManager::text(int number, const std::vector<MessageArg>& args) const {
    return messages_.format(number, args);
}

void CBuildActionManager::reset() {
    errors_ = 0;
    warnings_ = 0;
    messages_ = MessageTable();
}

} // namespace tft
