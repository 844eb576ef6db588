// C source and header documents: a plain text editor coloured by
// EditConfig/SyntaxEdit.ini from the application folder.
#pragma once

#include <QColor>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <vector>

namespace tft::ide {

struct SyntaxStyle {
    QColor text = Qt::black, background = Qt::white;
    QColor keyword, type, comment, string, number, preprocessor;
    QStringList keywords, types;
    // Reads the ini file; missing values keep the built-in colours.
    static SyntaxStyle load(const QString& iniFile);
};

class CSyntaxHighlighter : public QSyntaxHighlighter {
public:
    CSyntaxHighlighter(QTextDocument* document, const SyntaxStyle& style);

protected:
    void highlightBlock(const QString& text) override;

private:
    struct Rule {
        QRegularExpression pattern;
        QTextCharFormat format;
    };
    std::vector<Rule> rules_;
    QTextCharFormat comment_;
};

class CTextEditorDoc : public QPlainTextEdit {
    Q_OBJECT
public:
    CTextEditorDoc(const QString& file, const SyntaxStyle& style, QWidget* parent = nullptr);
    const QString& file() const { return file_; }
    bool load(QString* error = nullptr);
    // Writes the file atomically and clears the modified flag.
    bool save(QString* error = nullptr);

private:
    QString file_;
};

} // namespace tft::ide
