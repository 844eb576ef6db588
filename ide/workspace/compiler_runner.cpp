#include "compiler_runner.h"

#include "command_lines.h"

#include <QDir>
#include <QProcess>

namespace tft::ide {

QString compilerStartFailedLine() {
    return QStringLiteral("创建编译进程失败！");
}

void LineSplitter::feed(const QByteArray& bytes) {
    pending_ += bytes;
    qsizetype start = 0;
    qsizetype end;
    while ((end = pending_.indexOf('\n', start)) >= 0) {
        QByteArray line = pending_.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        onLine_(QString::fromUtf8(line));
        start = end + 1;
    }
    pending_.remove(0, start);
}

void LineSplitter::finish() {
    if (!pending_.isEmpty())
        onLine_(QString::fromUtf8(pending_));
    pending_.clear();
}

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
    LineSplitter lines(onLine);
    while (process.state() != QProcess::NotRunning) {
        if (stop && stop->load()) {
            process.kill();
            process.waitForFinished(-1);
            return run;
        }
        // Returns as soon as bytes arrive; the time-out only bounds how late
        // a stop request is noticed.
        process.waitForReadyRead(100);
        lines.feed(process.readAll());
    }
    lines.feed(process.readAll());
    lines.finish();
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    return run;
}

} // namespace tft::ide
