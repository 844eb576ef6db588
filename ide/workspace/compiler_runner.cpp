#include "compiler_runner.h"

#include "command_lines.h"

#include <QDir>
#include <QProcess>

namespace tft::ide {

QString compilerStartFailedLine() {
    return QStringLiteral("创建编译进程失败！");
}

namespace {

// Hands on every complete line of `pending`; with `all`, the rest too. Bytes
// are kept until their line is complete, so a UTF-8 sequence split between
// two reads is decoded whole.
void flushLines(QByteArray& pending, const LineSink& onLine, bool all) {
    qsizetype start = 0;
    qsizetype end;
    while ((end = pending.indexOf('\n', start)) >= 0) {
        QByteArray line = pending.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        onLine(QString::fromUtf8(line));
        start = end + 1;
    }
    pending.remove(0, start);
    if (all && !pending.isEmpty()) {
        onLine(QString::fromUtf8(pending));
        pending.clear();
    }
}

} // namespace

CompilerRun runCompiler(const QString& commandLine, const QString& appDir, const LineSink& onLine,
                        const std::atomic<bool>* stop) {
    CompilerRun run;
    const SplitCommand command = splitCommandLine(commandLine);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QDir(appDir).filePath(command.program), command.arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        onLine(compilerStartFailedLine());
        return run;
    }
    run.started = true;
    QByteArray pending;
    while (process.state() != QProcess::NotRunning) {
        if (stop && stop->load()) {
            process.kill();
            process.waitForFinished(-1);
            return run;
        }
        // Returns as soon as bytes arrive; the time-out only bounds how late
        // a stop request is noticed.
        process.waitForReadyRead(100);
        pending += process.readAll();
        flushLines(pending, onLine, false);
    }
    pending += process.readAll();
    flushLines(pending, onLine, true);
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    return run;
}

} // namespace tft::ide
