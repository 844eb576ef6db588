#include "instruct_log.h"

#include "common/atomic_file.h"
#include "common/hex_text.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cstdio>

namespace tft::ide {

namespace {

const char* const kSent = "TXD(OUT)";
const char* const kReceived = "RXD( IN)";

std::string pad(const std::string& s, int width, bool left) {
    // Widths count characters as the format counts bytes of its own
    // characters; padding by UTF-8 byte count keeps the file what printf
    // would have written for the same bytes.
    if (static_cast<int>(s.size()) >= width)
        return s;
    const std::string fill(static_cast<std::size_t>(width) - s.size(), ' ');
    return left ? s + fill : fill + s;
}

} // namespace

InstructLog::InstructLog(Dictionary dictionary, Now now)
    : dictionary_(std::move(dictionary)), now_(std::move(now)) {}

void InstructLog::appendFrame(LinkDirection direction, const std::string& hex,
                              const std::string& label) {
    if (hex.empty())
        return;
    CInstructRecord r;
    r.direction = direction == LinkDirection::Sent ? kSent : kReceived;
    r.command = hex;
    if (!label.empty())
        r.comment = label;
    else if (dictionary_)
        r.comment = dictionary_().comment(parseHexText(hex, 1u << 20).bytes,
                                          direction == LinkDirection::Received);
    append(std::move(r));
}

void InstructLog::appendNote(const std::string& text) {
    if (text.empty())
        return;
    CInstructRecord r;
    r.command = text;
    append(std::move(r));
}

void InstructLog::append(CInstructRecord r) {
    const QTime t = now_();
    char time[32];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d", t.hour(), t.minute(), t.second(),
                  t.msec());
    r.time = time;
    std::lock_guard<std::mutex> guard(lock_);
    r.number = std::to_string(rows_.size() + 1);
    rows_.push_back(std::move(r));
    dirty_ = true;
}

void InstructLog::clearRows() {
    std::lock_guard<std::mutex> guard(lock_);
    rows_.clear();
    ++generation_;
    dirty_ = true;
}

std::size_t InstructLog::size() const {
    std::lock_guard<std::mutex> guard(lock_);
    return rows_.size();
}

CInstructRecord InstructLog::row(std::size_t index) const {
    std::lock_guard<std::mutex> guard(lock_);
    return index < rows_.size() ? rows_[index] : CInstructRecord{};
}

std::vector<CInstructRecord> InstructLog::rows() const {
    std::lock_guard<std::mutex> guard(lock_);
    return rows_;
}

std::uint64_t InstructLog::generation() const {
    std::lock_guard<std::mutex> guard(lock_);
    return generation_;
}

bool InstructLog::takeDirty() {
    std::lock_guard<std::mutex> guard(lock_);
    const bool was = dirty_;
    dirty_ = false;
    return was;
}

std::string InstructLog::formatLine(const CInstructRecord& r) {
    return pad(r.number, 4, false) + " " + pad(r.time, 12, false) + " " +
           pad(r.direction, 8, false) + "  " + pad(r.command, 130, true) + " " + r.comment + "\r\n";
}

bool InstructLog::save(const QString& path, QString* error) const {
    std::string text;
    for (const CInstructRecord& r : rows())
        text += formatLine(r);
    std::string why;
    if (!writeFileAtomically(path.toStdString(), text, &why)) {
        if (error)
            *error = QString::fromStdString(why);
        return false;
    }
    return true;
}

QString InstructLog::proposedFileName(const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    return QString::asprintf("LOG%02d%02d%02d%02d%02d%02d", d.year(), d.month(), d.day(), t.hour(),
                             t.minute(), t.second());
}

void InstructLog::paste(const QString& text) {
    for (const QString& field : text.split(QLatin1Char('^'))) {
        const QString trimmed = field.trimmed();
        if (trimmed.isEmpty())
            continue;
        const HexParse hex = parseHexText(trimmed.toStdString(), 1u << 20);
        // Fields that read as a frame are frames (with their comment); any
        // other text is a note.
        if (!hex.bytes.empty() && hex.bytes.front() == 0xEE &&
            QRegularExpression(QStringLiteral("^([0-9A-Fa-f]{1,2}\\s+)*[0-9A-Fa-f]{1,2}$"))
                .match(trimmed)
                .hasMatch())
            appendFrame(LinkDirection::Sent, toHexText(hex.bytes), {});
        else
            appendNote(trimmed.toStdString());
    }
}

bool InstructLog::matches(const CInstructRecord& r, const QString& filter) {
    const QString f = filter.trimmed();
    if (f.isEmpty())
        return true;
    static const QRegularExpression code(QStringLiteral("^(0[xX])?([0-9A-Fa-f]{1,2})$"));
    const QRegularExpressionMatch m = code.match(f);
    if (m.hasMatch() && !r.direction.empty()) {
        const QString want = m.captured(2).rightJustified(2, QLatin1Char('0')).toUpper();
        const QString cmd = QString::fromStdString(r.command);
        // The command byte is the second of the frame: "EE B1 ...".
        return cmd.size() >= 5 && cmd.mid(3, 2).toUpper() == want;
    }
    return QString::fromStdString(r.command).contains(f, Qt::CaseInsensitive) ||
           QString::fromStdString(r.comment).contains(f, Qt::CaseInsensitive);
}

} // namespace tft::ide
