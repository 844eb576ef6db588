// The compiler command lines the IDE issues, kept as the texts the user sees
// in the output pane, and their conversion into a program and arguments.
#pragma once

#include <QString>
#include <QStringList>

namespace tft::ide {

// The language id of the settings (50010 Chinese, 50011 English).
constexpr int kLanguageChinese = 50010;
constexpr int kLanguageEnglish = 50011;
// What the compiler receives as -l: the language id minus 50010.
int compilerLanguage(int languageId);

// Compile project (32818) and download (40202).
QString compileProjectCommand(const QString& project, int languageId);
// Compile the active page (32819).
QString compilePageCommand(const QString& project, const QString& page, int languageId);
// Compile before the simulator starts (32925).
QString runSimulatorCommand(const QString& project, int languageId);
// Synchronised display after a page change.
QString syncDisplayCommand(const QString& project, const QString& page, int languageId);

struct SplitCommand {
    QString program;
    QStringList arguments;
};
// Splits at blanks outside double quotation marks; quotes group and are
// dropped, runs of blanks separate once. An unclosed quote runs to the end.
SplitCommand splitCommandLine(const QString& line);

// `orvane --render PROJECT.tftprj PAGE -o FILE.png`: a page drawn as the
// designer draws it, without a window.
struct RenderCommand {
    QString project;
    QString page; // the page's name (its file name without extension)
    QString output;
};
// True when the program's arguments ask for it.
bool isRenderCommand(const QStringList& arguments);
// Reads the arguments after the program name; false, with the reason in
// `error`, when they do not form the command.
bool parseRenderCommand(const QStringList& arguments, RenderCommand& command, QString& error);

} // namespace tft::ide
