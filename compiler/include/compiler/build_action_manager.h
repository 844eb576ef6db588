// CBuildActionManager: the compiler's one message sink. Every message is one
// UTF-8 line on standard output, flushed at once, so the IDE can show each line
// as it arrives; errors and warnings are counted for the exit code.
#pragma once

#include "compiler/messages.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tft {

class CBuildActionManager {
public:
    // The process-wide sink, created on first use.
    static CBuildActionManager& instance();

    CBuildActionManager() = default;
    virtual ~CBuildActionManager() = default;
    CBuildActionManager(const CBuildActionManager&) = delete;
    CBuildActionManager& operator=(const CBuildActionManager&) = delete;

    // "错误：" (message 71) and the text; counts one error.
    virtual void error(const std::string& text);
    // A null text writes nothing and counts nothing.
    void error(const char* text);
    // "警告：" (message 72) and the text; counts one warning.
    virtual void warning(const std::string& text);
    // The text alone.
    virtual void info(const std::string& text);
    virtual int errorCount() const { return errors_; }
    virtual int warningCount() const { return warnings_; }

    // Numbered forms: the text of the message in the selected language,
    // formatted with `args`.
    void error(int number, const std::vector<MessageArg>& args = {});
    void warning(int number, const std::vector<MessageArg>& args = {});
    void info(int number, const std::vector<MessageArg>& args = {});
    std::string text(int number, const std::vector<MessageArg>& args = {}) const;

    MessageTable& messages() { return messages_; }
    // Where lines go (standard output by default; null discards them).
    void setOutput(std::FILE* out) { out_ = out; }
    // Starts counting afresh (one build per process; tests run several).
    void reset();

private:
    void writeLine(const std::string& text);

    MessageTable messages_;
    std::FILE* out_ = stdout;
    int errors_ = 0;
    int warnings_ = 0;
};

} // namespace tft
