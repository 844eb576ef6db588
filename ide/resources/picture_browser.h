// The picture browser pane (4004): a library chooser over CImageGallery, the
// thumbnails of the library's pictures. Thumbnails come from a worker; until
// one arrives its cell shows the file name on an empty tile. A thumbnail
// dragged onto a page carries the picture's path (picture_drop.h).
#pragma once

#include "image_library.h"
#include "library_ui.h"
#include "thumbnail_loader.h"

#include <QHash>
#include <QListWidget>
#include <QWidget>
#include <functional>

class QComboBox;

namespace tft::ide {

class CImageGallery : public QListWidget {
    Q_OBJECT
public:
    enum Role { PathRole = Qt::UserRole + 1, BrokenRole };
    explicit CImageGallery(QWidget* parent = nullptr);
    QString pictureAt(int row) const;
    // The tile an unreadable picture shows.
    static QIcon brokenIcon();

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
};

class CPictureBrowser : public QWidget {
    Q_OBJECT
public:
    CPictureBrowser(ImageLibraries libraries, QWidget* parent = nullptr);

    // Rereads the libraries, keeping the chosen one when it still exists.
    void refresh();
    void retranslate();
    bool setLibrary(const QString& name);
    QString currentLibrary() const;
    QString selectedPicture() const;
    // 32881 manage (the library dialog), 32882 delete, 32883 import.
    void runCommand(int id);

    const ImageLibraries& libraries() const { return libraries_; }
    CImageGallery* gallery() const { return gallery_; }
    QComboBox* libraryBox() const { return box_; }
    ThumbnailLoader& loader() { return loader_; }
    // Tiles that show their thumbnail (or the broken tile) so far.
    int thumbnailsShown() const { return shown_; }

    LibraryUi ui = LibraryUi::standard();
    // Double-click: opens the picture in the image viewer (replaced by tests).
    std::function<void(const QString& picture)> openPicture;

signals:
    // Every thumbnail of the chosen library is shown.
    void thumbnailsDone();

private:
    void showLibrary();
    void thumbnailReady(const QString& file, const QImage& image);

    ImageLibraries libraries_;
    QComboBox* box_;
    CImageGallery* gallery_;
    ThumbnailLoader loader_;
    QHash<QString, QListWidgetItem*> items_;
    int shown_ = 0;
};

} // namespace tft::ide
