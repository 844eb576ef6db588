// The TX/RX log behind the instruction pane (`CInstructListCtrl`): one
// record per frame or note, five text columns, its own lock and a dirty flag
// that the pane's 100 ms redraw timer takes. The device link and the console
// pages append from the user-interface thread and the worker thread.
#pragma once

#include "instruct_dictionary.h"
#include "link_log.h"

#include <QString>
#include <QTime>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tft::ide {

struct CInstructRecord {
    std::string number;    // "%d", row count + 1
    std::string time;      // "%02d:%02d:%02d.%03d"
    std::string direction; // "TXD(OUT)", "RXD( IN)", empty for notes
    std::string command;   // hex text, or the note
    std::string comment;
};

class InstructLog : public LinkLog {
public:
    using Dictionary = std::function<const InstructDictionary&()>;
    using Now = std::function<QTime()>;

    // `dictionary` is asked at the first row that needs a comment.
    explicit InstructLog(
        Dictionary dictionary, Now now = [] { return QTime::currentTime(); });

    void appendFrame(LinkDirection direction, const std::string& hex,
                     const std::string& label) override;
    void appendNote(const std::string& text) override;
    void clearRows() override;

    std::size_t size() const;
    CInstructRecord row(std::size_t index) const;
    std::vector<CInstructRecord> rows() const;
    // Rows cleared since the start: a view that saw another value starts over.
    std::uint64_t generation() const;
    // True once after rows changed.
    bool takeDirty();

    // One line per row: "%04s %12s %8s  %-130s %-s\r\n" over the five columns.
    static std::string formatLine(const CInstructRecord& r);
    // Writes every row to `path` (atomically). False with the reason.
    bool save(const QString& path, QString* error = nullptr) const;
    // "LOG%02d%02d%02d%02d%02d%02d" of year, month, day, hour, minute, second.
    static QString proposedFileName(const QDateTime& now);
    // Clipboard text split at "^": each non-empty field becomes a row.
    void paste(const QString& text);

    // The filter box: one or two hex digits (with or without 0x) match the
    // command code of a frame; other text matches the command or comment.
    static bool matches(const CInstructRecord& r, const QString& filter);

private:
    void append(CInstructRecord r);

    Dictionary dictionary_;
    Now now_;
    mutable std::mutex lock_;
    std::vector<CInstructRecord> rows_;
    std::uint64_t generation_ = 0;
    bool dirty_ = false;
};

} // namespace tft::ide
