#include "thumbnail_loader.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QTimer>
#include <chrono>
#include <vector>

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

QImage ThumbnailLoader::makeTile(const QImage& thumbnail) {
    if (thumbnail.isNull())
        return {};
    QImage tile(kEdge, kEdge, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.drawImage((kEdge - thumbnail.width()) / 2, (kEdge - thumbnail.height()) / 2, thumbnail);
    return tile;
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
                Made made{file, QString(), {}};
                cached(file, &made.tile);
                deliver(generation, made);
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

void ThumbnailLoader::deliver(quint64 generation, const Made& made) {
    if (!made.key.isEmpty())
        cache_.insert(made.key, new QImage(made.tile),
                      int(std::max<qsizetype>(1, made.tile.sizeInBytes())));
    if (generation != generation_)
        return;
    emit ready(made.file, made.tile);
    if (--outstanding_ == 0)
        emit finished();
}

void ThumbnailLoader::run() {
    // Results travel in batches: the first rows of a request one by one (they
    // show at once), then at most every 40 ms, so that hundreds of pictures
    // cost the window a few dozen events instead of one each.
    constexpr int kAtOnce = 16;
    int made = 0;
    std::vector<Made> batch;
    quint64 batchGeneration = 0;
    auto lastPost = std::chrono::steady_clock::now();
    const auto post = [&] {
        if (batch.empty())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, generation = batchGeneration, results = std::move(batch)] {
                for (const Made& one : results)
                    deliver(generation, one);
            },
            Qt::QueuedConnection);
        batch.clear();
        lastPost = std::chrono::steady_clock::now();
    };
    for (;;) {
        std::pair<QString, QString> job;
        quint64 generation;
        bool last;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (queue_.empty() && !stop_) {
                lock.unlock();
                post();
                lock.lock();
            }
            wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
            if (stop_)
                return;
            job = std::move(queue_.front());
            queue_.pop_front();
            generation = generation_;
            last = queue_.empty();
        }
        if (generation != batchGeneration) {
            post(); // a stale request's results only fill the cache
            batchGeneration = generation;
            made = 0;
        }
        batch.push_back({job.first, job.second, makeTile(makeThumbnail(job.first))});
        if (last || ++made <= kAtOnce ||
            std::chrono::steady_clock::now() - lastPost > std::chrono::milliseconds(40))
            post();
    }
}

} // namespace tft::ide
