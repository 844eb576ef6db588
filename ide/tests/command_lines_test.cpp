// The compiler command lines as texts, their arguments, and the runner on a
// real program that stands in for velmic.
#include "command_lines.h"
#include "compiler_runner.h"
#include "testing/test_support.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tft::ide;

TEST(CommandLines, TextsKeepTheirSpacing) {
    EXPECT_EQ(compileProjectCommand("/p/a.tftprj", 50010), "velmic  -p \"/p/a.tftprj\"  -l 0");
    EXPECT_EQ(compilePageCommand("/p/a.tftprj", "home", 50011),
              "velmic  -p \"/p/a.tftprj\" -o \"home\" -l 1");
    EXPECT_EQ(runSimulatorCommand("/p/a.tftprj", 50011), "velmic  -p \"/p/a.tftprj\" -l 1");
    EXPECT_EQ(syncDisplayCommand("/p/a.tftprj", "home", 50010),
              "velmic -p \"/p/a.tftprj\" -o \"home\"  -l 0");
}

TEST(CommandLines, SplitIntoArguments) {
    const SplitCommand a = splitCommandLine(compilePageCommand("/my dir/x.tftprj", "p1", 50011));
    EXPECT_EQ(a.program, "velmic");
    EXPECT_EQ(a.arguments, (QStringList{"-p", "/my dir/x.tftprj", "-o", "p1", "-l", "1"}));
    // An empty quoted value stays an argument; an unclosed quote runs to the end.
    EXPECT_EQ(splitCommandLine("velmic -o \"\" -p \"a b").arguments,
              (QStringList{"-o", "", "-p", "a b"}));
}

TEST(CompilerRunner, LinesSplitBetweenReadsAreDecodedWhole) {
    QStringList lines;
    LineSplitter splitter([&](const QString& line) { lines << line; });
    const QByteArray text = QStringLiteral("编译\r\n二\nend").toUtf8();
    for (qsizetype i = 0; i < text.size(); ++i)
        splitter.feed(text.mid(i, 1)); // every byte its own read
    EXPECT_EQ(lines, (QStringList{QStringLiteral("编译"), QStringLiteral("二")}));
    splitter.finish();
    EXPECT_EQ(lines.last(), "end");
    splitter.finish();
    EXPECT_EQ(lines.size(), 3);
}

namespace {

// A stand-in velmic that prints its arguments, a line split inside a UTF-8
// sequence, and exits with the status named in its first argument's file.
void writeFakeCompiler(const std::filesystem::path& dir, const std::string& body) {
    const auto file = dir / "velmic";
    QFile out(QString::fromStdString(file.string()));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(("#!/bin/sh\n" + body).c_str());
    out.close();
    ::chmod(file.c_str(), 0755);
}

} // namespace

TEST(CompilerRunner, StreamsLinesAndTakesTheExitCode) {
    testsupport::TempFolder dir;
    writeFakeCompiler(dir.path(), "for a in \"$@\"; do echo \"arg:$a\"; done\n"
                                  "printf '\\347\\274'; printf '\\226\\350\\257\\221\\r\\n'\n"
                                  "printf 'tail'\nexit 3\n");
    QStringList lines;
    const CompilerRun run = runCompiler(compileProjectCommand("/x y/p.tftprj", 50010),
                                        QString::fromStdString(dir.path().string()),
                                        [&](const QString& line) { lines << line; });
    EXPECT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_FALSE(run.succeeded());
    EXPECT_EQ(lines, (QStringList{"arg:-p", "arg:/x y/p.tftprj", "arg:-l", "arg:0",
                                  QStringLiteral("编译"), "tail"}));
}

TEST(CompilerRunner, ExitZeroIsSuccess) {
    testsupport::TempFolder dir;
    writeFakeCompiler(dir.path(), "echo done\n");
    QStringList lines;
    const CompilerRun run =
        runCompiler("velmic -p \"x\"", QString::fromStdString(dir.path().string()),
                    [&](const QString& line) { lines << line; });
    EXPECT_TRUE(run.succeeded());
    EXPECT_EQ(lines, QStringList{"done"});
}

TEST(CompilerRunner, MissingCompilerSaysSo) {
    testsupport::TempFolder dir;
    QStringList lines;
    const CompilerRun run =
        runCompiler("velmic -p \"x\"", QString::fromStdString(dir.path().string()),
                    [&](const QString& line) { lines << line; });
    EXPECT_FALSE(run.started);
    EXPECT_FALSE(run.succeeded());
    EXPECT_EQ(lines, QStringList{QStringLiteral("创建编译进程失败！")});
}

TEST(CompilerRunner, RealVelmicOnTheShowcase) {
    testsupport::TempFolder dir;
    std::filesystem::copy(std::filesystem::path(TFT_SOURCE_DIR) / "examples" / "showcase",
                          dir.path() / "showcase", std::filesystem::copy_options::recursive);
    QStringList lines;
    const CompilerRun run = runCompiler(
        compileProjectCommand(
            QString::fromStdString((dir.path() / "showcase" / "showcase.tftprj").string()), 50011),
        TFT_APP_DIR, [&](const QString& line) { lines << line; });
    EXPECT_TRUE(run.succeeded()) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.filter("0 error").size() == 1) << lines.join('\n').toStdString();
}
