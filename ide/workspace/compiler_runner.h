// Runs the compiler as the IDE does: the command line's program taken from the
// application folder, standard output and error merged, every line handed on
// as soon as it arrives (decoded as UTF-8).
#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>

namespace tft::ide {

using LineSink = std::function<void(const QString& line)>;

struct CompilerRun {
    bool started = false;
    int exitCode = -1; // -1 when it did not start, crashed or was stopped
    bool succeeded() const { return started && exitCode == 0; }
};

// Cuts a byte stream into lines. Bytes wait until their line is complete, so a
// UTF-8 sequence split between two reads is decoded whole; "\r\n" ends a
// line like "\n".
class LineSplitter {
public:
    explicit LineSplitter(LineSink onLine) : onLine_(std::move(onLine)) {}
    void feed(const QByteArray& bytes);
    // Hands on what is left as a last line.
    void finish();

private:
    LineSink onLine_;
    QByteArray pending_;
};

// The line shown when the compiler cannot be started.
QString compilerStartFailedLine();

// Blocks until the compiler ends. `stop`, when set, kills it (used at exit).
CompilerRun runCompiler(const QString& commandLine, const QString& appDir, const LineSink& onLine,
                        const std::atomic<bool>* stop = nullptr);

} // namespace tft::ide
