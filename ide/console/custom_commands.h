// The custom page's command list ("自定义调试"): rows of hex text with a
// check box, kept in Instruct.ini in the per-user configuration folder and
// exported to / imported from .ins files of the same layout (section
// "Instrcut", key "InsCount" and one key per row index). Sending order for
// single step, run all and loop send lives here, without widgets.
#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace tft::ide {

// Typed hex text turned into bytes: tokens split at blanks, each read as
// hexadecimal keeping its low 8 bits. A token that is not hexadecimal gives
// 0 and is listed in `badTokens` (0-based token positions) so the row can be
// marked. More than `kMaxBytes` bytes is refused whole (`tooLong`), never cut.
struct CommandText {
    static constexpr std::size_t kMaxBytes = 1024;
    std::vector<std::uint8_t> bytes;
    QList<int> badTokens;
    bool tooLong = false;
};
CommandText parseCommandText(const QString& text);

struct CustomRow {
    bool checked = false;
    QString text;
    bool sendable() const { return checked && !text.trimmed().isEmpty(); }
};

class CustomCommandList {
public:
    static constexpr int kMinimumRows = 20;

    CustomCommandList() { rows_.resize(kMinimumRows); }

    // Reads an .ini/.ins file; rows with text come checked. A missing or
    // unreadable file gives 20 empty rows (false).
    bool load(const QString& path);
    bool save(const QString& path) const;

    std::vector<CustomRow>& rows() { return rows_; }
    const std::vector<CustomRow>& rows() const { return rows_; }
    // Empties every row, keeping 20.
    void clear();

    using Sender = std::function<bool(int row)>;
    // Sends every sendable row in order; returns how many were sent.
    int runAll(const Sender& send) const;
    // Sends `focus` when sendable; returns the next sendable row after it
    // (wrapping), or -1 when there is none.
    int step(int focus, const Sender& send) const;
    // The next sendable row at or after `from`, wrapping; -1 when none.
    int nextSendable(int from) const;

private:
    std::vector<CustomRow> rows_;
};

// Loop send: each tick sends the next sendable row, starting again at the
// first after the last.
class LoopSender {
public:
    explicit LoopSender(const CustomCommandList& list) : list_(list) {}
    void restart() { next_ = 0; }
    // The row sent, or -1 when no row is sendable.
    int tick(const CustomCommandList::Sender& send);

private:
    const CustomCommandList& list_;
    int next_ = 0;
};

} // namespace tft::ide
