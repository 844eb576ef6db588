// The compiler's resource list (<Name>.tftres) as the resource pane shows it:
// the pages, pictures and sounds of the last build, in file order.
#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

namespace tft::ide {

struct ResourceEntry {
    QString type;  // element name: page, image, wave
    qint64 id = 0; // screen id, picture index or sound index
    QString path;  // page name or source file path as the compiler wrote it
    qint64 size = 0;
    // image: stored and effective size; wave: channels, bits, rate, flash address.
    qint64 width = 0, height = 0, effectWidth = 0, effectHeight = 0;
    qint64 channels = 0, sampleBits = 0, sampleRate = 0, offset = 0;
};

struct ResourceGroup {
    QVector<ResourceEntry> entries;
    qint64 total() const;
};

struct ResourceList {
    enum class Status { Missing, Loaded, Malformed };
    Status status = Status::Missing;
    QString error; // why a malformed file was refused, with the offset
    ResourceGroup pages, images, waves;

    // Bytes of the resource area the build occupies: pictures from its start,
    // sounds at their own flash addresses after them.
    qint64 usedBytes() const;

    static ResourceList read(const QString& path);
};

// The flash address at which the resource area begins.
constexpr qint64 kResourceBase = 0xB00000;

} // namespace tft::ide
