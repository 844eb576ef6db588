#include "custom_commands.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>

namespace tft::ide {

namespace {
const QString kSection = QStringLiteral("Instrcut");
const QString kCount = QStringLiteral("InsCount");
} // namespace

CommandText parseCommandText(const QString& text) {
    CommandText out;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QRegularExpression hexToken(QStringLiteral("^(0[xX])?[0-9A-Fa-f]+$"));
    const QStringList tokens = text.split(blanks, Qt::SkipEmptyParts);
    if (static_cast<std::size_t>(tokens.size()) > CommandText::kMaxBytes) {
        out.tooLong = true;
        return out;
    }
    for (int i = 0; i < tokens.size(); ++i) {
        const QString& t = tokens[i];
        if (!hexToken.match(t).hasMatch()) {
            out.badTokens << i;
            out.bytes.push_back(0);
            continue;
        }
        const QString digits =
            t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2) : t;
        // Low 8 bits, as "%X" into a byte keeps them.
        out.bytes.push_back(static_cast<std::uint8_t>(digits.right(2).toUInt(nullptr, 16)));
    }
    return out;
}

bool CustomCommandList::load(const QString& path) {
    rows_.assign(kMinimumRows, CustomRow{});
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return false;
    probe.close();
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return false;
    ini.beginGroup(kSection);
    bool ok = false;
    const int count = ini.value(kCount).toString().toInt(&ok);
    if (!ok || count < 0)
        return false;
    // A count larger than the keys present only yields empty rows; cap it so
    // a damaged file cannot ask for millions.
    const int rows = std::min(count, 100000);
    if (rows > kMinimumRows)
        rows_.resize(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        const QString text = ini.value(QString::number(i)).toString();
        rows_[static_cast<std::size_t>(i)] = CustomRow{!text.trimmed().isEmpty(), text};
    }
    return true;
}

bool CustomCommandList::save(const QString& path) const {
    QFile::remove(path); // the file holds this list only
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup(kSection);
    ini.setValue(kCount, QString::number(rows_.size()));
    for (std::size_t i = 0; i < rows_.size(); ++i)
        ini.setValue(QString::number(i), rows_[i].text);
    ini.endGroup();
    ini.sync();
    return ini.status() == QSettings::NoError;
}

void CustomCommandList::clear() {
    rows_.assign(kMinimumRows, CustomRow{});
}

int CustomCommandList::runAll(const Sender& send) const {
    int sent = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].sendable() && send(static_cast<int>(i)))
            ++sent;
    return sent;
}

int CustomCommandList::nextSendable(int from) const {
    const int n = static_cast<int>(rows_.size());
    for (int k = 0; k < n; ++k) {
        const int i = ((from % n) + n + k) % n;
        if (rows_[static_cast<std::size_t>(i)].sendable())
            return i;
    }
    return -1;
}

int CustomCommandList::step(int focus, const Sender& send) const {
    if (focus >= 0 && focus < static_cast<int>(rows_.size()) &&
        rows_[static_cast<std::size_t>(focus)].sendable())
        send(focus);
    return nextSendable(focus + 1);
}

int LoopSender::tick(const CustomCommandList::Sender& send) {
    const int row = list_.nextSendable(next_);
    if (row < 0)
        return -1;
    send(row);
    next_ = row + 1;
    return row;
}

} // namespace tft::ide
