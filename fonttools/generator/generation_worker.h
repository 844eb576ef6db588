// The generation worker: one thread, started on the first request, that
// renders a whole character set and writes the glyph file. Each request
// carries its own copy of the settings and path, so the dialog may change
// while a generation runs; requests made during a run wait their turn.
#pragma once

#include "fonttools/charset.h"
#include "fonttools/glyph_renderer.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <mutex>
#include <thread>

namespace tft::fonttools {

struct GenerationJob {
    FontFace font;
    Charset charset = Charset::Gb2312;
    CellLayout layout;
    QString path;
};

struct GenerationResult {
    bool ok = false;
    QString path;
    QString message; // why nothing was written
};

// Renders and writes one job; the whole file or nothing.
GenerationResult runGeneration(const GenerationJob& job, const ProgressFn& progress);

// Owns the worker thread. Jobs and results cross between the threads only
// through `mutex_`; the dialog's thread collects them on a timer and emits
// the signals there.
class GenerationRunner : public QObject {
    Q_OBJECT
public:
    explicit GenerationRunner(QObject* parent = nullptr);
    ~GenerationRunner() override;

    void request(const GenerationJob& job);
    bool busy() const;

signals:
    void progress(int percent);
    void finished(bool ok, const QString& path, const QString& message);

private slots:
    void deliver();

private:
    void work();

    mutable std::mutex mutex_;
    std::deque<GenerationJob> jobs_;
    std::deque<GenerationResult> results_;
    int latestProgress_ = -1;
    int pending_ = 0;
    bool stopping_ = false;
    QTimer collector_;
    std::thread thread_;
};

} // namespace tft::fonttools
