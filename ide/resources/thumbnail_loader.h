// Thumbnails of picture files, made on a worker thread so that a library of
// hundreds of pictures never blocks the window, and kept in a cache keyed by
// path, size and modification time (an edited picture gets a new thumbnail).
#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tft::ide {

class ThumbnailLoader : public QObject {
    Q_OBJECT
public:
    static constexpr int kEdge = 96; // thumbnails fit a square of this edge

    explicit ThumbnailLoader(QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    // Replaces the pending work with `files`, in this order. Cached
    // thumbnails are delivered from the event loop without the worker.
    void request(const QStringList& files);
    void cancel();
    bool cached(const QString& file, QImage* image = nullptr) const;

    // Decodes one thumbnail (any thread): the picture scaled to fit the
    // square, aspect kept; a null image when the file does not read.
    static QImage makeThumbnail(const QString& file);
    // The thumbnail centred on a transparent square tile, as the gallery shows it.
    static QImage makeTile(const QImage& thumbnail);

signals:
    // The tile of a picture; a null image means the picture cannot be read
    // (a broken thumbnail).
    void ready(const QString& file, const QImage& image);
    // Every file of the last request has been delivered.
    void finished();

private:
    void run();
    struct Made {
        QString file, key;
        QImage tile;
    };
    void deliver(quint64 generation, const Made& made);
    static QString cacheKey(const QString& file);

    QCache<QString, QImage> cache_; // GUI thread only
    int outstanding_ = 0;           // GUI thread only
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::pair<QString, QString>> queue_; // file, cache key
    std::atomic<quint64> generation_{0};
    bool stop_ = false;
    std::thread worker_;
};

} // namespace tft::ide
