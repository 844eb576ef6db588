#include "text_editor.h"

#include <QFile>
#include <QFontDatabase>
#include <QSaveFile>
#include <QSettings>

namespace tft::ide {

namespace {

QColor colourOf(QSettings& ini, const char* key, const QColor& fallback) {
    const QStringList parts = ini.value(QLatin1String(key)).toString().split(QLatin1Char(';'));
    if (parts.size() != 3)
        return fallback;
    return QColor(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
}

} // namespace

SyntaxStyle SyntaxStyle::load(const QString& iniFile) {
    SyntaxStyle s;
    QSettings ini(iniFile, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Colors"));
    s.text = colourOf(ini, "Text", Qt::black);
    s.background = colourOf(ini, "Background", Qt::white);
    s.keyword = colourOf(ini, "Keyword", Qt::blue);
    s.type = colourOf(ini, "Type", Qt::darkCyan);
    s.comment = colourOf(ini, "Comment", Qt::darkGreen);
    s.string = colourOf(ini, "String", Qt::darkRed);
    s.number = colourOf(ini, "Number", Qt::darkMagenta);
    s.preprocessor = colourOf(ini, "Preprocessor", Qt::darkGray);
    ini.endGroup();
    ini.beginGroup(QStringLiteral("Keywords"));
    // A list with blanks reads as one string or as a list, depending on commas.
    const auto words = [&](const char* key) {
        const QVariant v = ini.value(QLatin1String(key));
        const QString joined =
            v.typeId() == QMetaType::QStringList ? v.toStringList().join(' ') : v.toString();
        return joined.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    };
    s.keywords = words("Keyword");
    s.types = words("Type");
    ini.endGroup();
    return s;
}

CSyntaxHighlighter::CSyntaxHighlighter(QTextDocument* document, const SyntaxStyle& style)
    : QSyntaxHighlighter(document) {
    const auto add = [&](const QString& pattern, const QColor& colour, bool bold = false) {
        QTextCharFormat format;
        format.setForeground(colour);
        if (bold)
            format.setFontWeight(QFont::Bold);
        rules_.push_back({QRegularExpression(pattern), format});
    };
    if (!style.keywords.isEmpty())
        add(QStringLiteral("\\b(%1)\\b").arg(style.keywords.join('|')), style.keyword, true);
    if (!style.types.isEmpty())
        add(QStringLiteral("\\b(%1)\\b").arg(style.types.join('|')), style.type);
    add(QStringLiteral("\\b(0[xX][0-9A-Fa-f]+|\\d+)[uUlL]*\\b"), style.number);
    add(QStringLiteral("^\\s*#\\s*\\w+"), style.preprocessor);
    add(QStringLiteral("\"(\\\\.|[^\"\\\\])*\"|'(\\\\.|[^'\\\\])*'"), style.string);
    add(QStringLiteral("//[^\n]*"), style.comment);
    comment_.setForeground(style.comment);
}

void CSyntaxHighlighter::highlightBlock(const QString& text) {
    for (const Rule& rule : rules_) {
        auto matches = rule.pattern.globalMatch(text);
        while (matches.hasNext()) {
            const auto m = matches.next();
            setFormat(int(m.capturedStart()), int(m.capturedLength()), rule.format);
        }
    }
    // Block comments across lines: state 1 means "inside a comment".
    setCurrentBlockState(0);
    qsizetype start = previousBlockState() == 1 ? 0 : text.indexOf(QStringLiteral("/*"));
    while (start >= 0) {
        const qsizetype end = text.indexOf(
            QStringLiteral("*/"), start + (previousBlockState() == 1 && start == 0 ? 0 : 2));
        qsizetype length;
        if (end < 0) {
            setCurrentBlockState(1);
            length = text.size() - start;
        } else {
            length = end - start + 2;
        }
        setFormat(int(start), int(length), comment_);
        start = end < 0 ? -1 : text.indexOf(QStringLiteral("/*"), start + length);
    }
}

CTextEditorDoc::CTextEditorDoc(const QString& file, const SyntaxStyle& style, QWidget* parent)
    : QPlainTextEdit(parent), file_(file) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette p = palette();
    p.setColor(QPalette::Base, style.background);
    p.setColor(QPalette::Text, style.text);
    setPalette(p);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    new CSyntaxHighlighter(document(), style);
}

bool CTextEditorDoc::load(QString* error) {
    QFile in(file_);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = in.errorString();
        return false;
    }
    setPlainText(QString::fromUtf8(in.readAll()));
    document()->setModified(false);
    return true;
}

bool CTextEditorDoc::save(QString* error) {
    QSaveFile out(file_);
    if (!out.open(QIODevice::WriteOnly) || out.write(toPlainText().toUtf8()) < 0 || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    document()->setModified(false);
    return true;
}

} // namespace tft::ide
