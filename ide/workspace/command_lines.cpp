#include "command_lines.h"

namespace tft::ide {

int compilerLanguage(int languageId) {
    return languageId - kLanguageChinese;
}

// The spacing of each text is part of the behaviour: two blanks where shown.
QString compileProjectCommand(const QString& project, int languageId) {
    return QStringLiteral("velmic  -p \"%1\"  -l %2")
        .arg(project)
        .arg(compilerLanguage(languageId));
}

QString compilePageCommand(const QString& project, const QString& page, int languageId) {
    return QStringLiteral("velmic  -p \"%1\" -o \"%2\" -l %3")
        .arg(project, page)
        .arg(compilerLanguage(languageId));
}

QString runSimulatorCommand(const QString& project, int languageId) {
    return QStringLiteral("velmic  -p \"%1\" -l %2").arg(project).arg(compilerLanguage(languageId));
}

QString syncDisplayCommand(const QString& project, const QString& page, int languageId) {
    return QStringLiteral("velmic -p \"%1\" -o \"%2\"  -l %3")
        .arg(project, page)
        .arg(compilerLanguage(languageId));
}

SplitCommand splitCommandLine(const QString& line) {
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (c == QLatin1Char(' ') && !quoted) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    SplitCommand split;
    if (!words.isEmpty())
        split.program = words.takeFirst();
    split.arguments = words;
    return split;
}

bool isRenderCommand(const QStringList& arguments) {
    return arguments.contains(QStringLiteral("--render"));
}

bool parseRenderCommand(const QStringList& arguments, RenderCommand& command, QString& error) {
    command = {};
    QStringList positional;
    bool render = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QLatin1String("--render")) {
            render = true;
        } else if (a == QLatin1String("-o")) {
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("-o needs a file");
                return false;
            }
            command.output = arguments.at(++i);
        } else if (a.startsWith(QLatin1Char('-'))) {
            error = QStringLiteral("unexpected argument %1").arg(a);
            return false;
        } else {
            positional << a;
        }
    }
    if (!render || positional.size() != 2 || command.output.isEmpty()) {
        error = QStringLiteral("--render needs a project, a page and -o FILE.png");
        return false;
    }
    command.project = positional.at(0);
    command.page = positional.at(1);
    return true;
}

} // namespace tft::ide
