#include "thumbnail_loader.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QTimer>

namespace tft::ide {

ThumbnailLoader::ThumbnailLoader(QObject* parent) : QObject(parent) {
    cache_.setMaxCost(64 * 1024 * 1024);
    worker_ = std::thread([this] { run(); });
}

ThumbnailLoader::~ThumbnailLoader() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

QString ThumbnailLoader::cacheKey(const QString& file) {
    const QFileInfo info(file);
    return info.absoluteFilePath() + QLatin1Char('|') + QString::number(info.size()) +
           QLatin1Char('|') + QString::number(info.lastModified().toMSecsSinceEpoch());
}

bool ThumbnailLoader::cached(const QString& file, QImage* image) const {
    const QImage* found = cache_.object(cacheKey(file));
    if (found && image)
        *image = *found;
    return found != nullptr;
}

QImage ThumbnailLoader::makeThumbnail(const QString& file) {
    QImageReader reader(file);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    // Formats that can scale while decoding (JPEG) do it; others are scaled after.
    if (size.isValid() && (size.width() > kEdge || size.height() > kEdge))
        reader.setScaledSize(size.scaled(kEdge, kEdge, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > kEdge || image.height() > kEdge)
        image = image.scaled(kEdge, kEdge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void ThumbnailLoader::request(const QStringList& files) {
    outstanding_ = int(files.size());
    QStringList hits;
    quint64 generation;
    {
        // A new generation under the lock: a job the worker takes later
        // belongs to this request, one it took before is stale.
        std::lock_guard<std::mutex> lock(mutex_);
        generation = ++generation_;
        queue_.clear();
        for (const QString& file : files) {
            const QString key = cacheKey(file);
            if (cache_.contains(key))
                hits << file;
            else
                queue_.emplace_back(file, key);
        }
    }
    wake_.notify_all();
    if (files.isEmpty()) {
        QTimer::singleShot(0, this, [this, generation] {
            if (generation == generation_)
                emit finished();
        });
        return;
    }
    for (const QString& file : hits) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, file] {
                QImage image;
                cached(file, &image);
                deliver(generation, file, QString(), image);
            },
            Qt::QueuedConnection);
    }
}

void ThumbnailLoader::cancel() {
    outstanding_ = 0;
    std::lock_guard<std::mutex> lock(mutex_);
    ++generation_;
    queue_.clear();
}

void ThumbnailLoader::deliver(quint64 generation, const QString& file, const QString& key,
                              const QImage& image) {
    if (!key.isEmpty())
        cache_.insert(key, new QImage(image), int(std::max<qsizetype>(1, image.sizeInBytes())));
    if (generation != generation_)
        return;
    emit ready(file, image);
    if (--outstanding_ == 0)
        emit finished();
}

void ThumbnailLoader::run() {
    for (;;) {
        std::pair<QString, QString> job;
        quint64 generation;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
            if (stop_)
                return;
            job = std::move(queue_.front());
            queue_.pop_front();
            generation = generation_;
        }
        const QImage image = makeThumbnail(job.first);
        QMetaObject::invokeMethod(
            this,
            [this, generation, job, image] { deliver(generation, job.first, job.second, image); },
            Qt::QueuedConnection);
    }
}

} // namespace tft::ide
