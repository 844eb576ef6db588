#include "picture_browser.h"

#include "imagelist_dlg.h"
#include "picture_drop.h"
#include "string_table.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace tft::ide {

namespace {

QIcon emptyTile() {
    const int edge = ThumbnailLoader::kEdge;
    QPixmap pixmap(edge, edge);
    pixmap.fill(QColor(0xf0, 0xf0, 0xf0));
    return QIcon(pixmap);
}

} // namespace

CImageGallery::CImageGallery(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("ImageGallery"));
    setViewMode(QListView::IconMode);
    setIconSize(QSize(ThumbnailLoader::kEdge, ThumbnailLoader::kEdge));
    setGridSize(QSize(ThumbnailLoader::kEdge + 16, ThumbnailLoader::kEdge + 28));
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setUniformItemSizes(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

QString CImageGallery::pictureAt(int row) const {
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(PathRole).toString() : QString();
}

QIcon CImageGallery::brokenIcon() {
    const int edge = ThumbnailLoader::kEdge;
    QPixmap pixmap(edge, edge);
    pixmap.fill(QColor(0xe8, 0xe8, 0xe8));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x90, 0x90, 0x90), 2));
    painter.drawRect(QRectF(8, 8, edge - 16, edge - 16));
    painter.setPen(QPen(QColor(0xd0, 0x31, 0x2d), 4));
    painter.drawLine(QPointF(28, 28), QPointF(edge - 28, edge - 28));
    painter.drawLine(QPointF(edge - 28, 28), QPointF(28, edge - 28));
    return QIcon(pixmap);
}

QStringList CImageGallery::mimeTypes() const {
    return {QLatin1String(kPictureMimeType), QStringLiteral("text/uri-list")};
}

QMimeData* CImageGallery::mimeData(const QList<QListWidgetItem*>& items) const {
    if (items.isEmpty() || items.first()->data(BrokenRole).toBool())
        return nullptr;
    return makePictureMimeData(items.first()->data(PathRole).toString());
}

CPictureBrowser::CPictureBrowser(ImageLibraries libraries, QWidget* parent)
    : QWidget(parent), libraries_(std::move(libraries)), box_(new QComboBox(this)),
      gallery_(new CImageGallery(this)) {
    setObjectName(QStringLiteral("PictureBrowser"));
    box_->setObjectName(QStringLiteral("LibraryBox"));
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("LibraryLabel"));
    auto* top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(box_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(top);
    layout->addWidget(gallery_, 1);
    openPicture = [](const QString& picture) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(picture));
    };
    connect(box_, &QComboBox::currentIndexChanged, this, [this] { showLibrary(); });
    connect(&loader_, &ThumbnailLoader::ready, this, &CPictureBrowser::thumbnailReady);
    connect(&loader_, &ThumbnailLoader::finished, this, &CPictureBrowser::thumbnailsDone);
    connect(gallery_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (openPicture && item)
            openPicture(item->data(CImageGallery::PathRole).toString());
    });
    retranslate();
    refresh();
}

void CPictureBrowser::retranslate() {
    findChild<QLabel*>(QStringLiteral("LibraryLabel"))->setText(ideText(sid::LibraryLabel));
    if (box_->count() == 0)
        box_->setPlaceholderText(ideText(sid::NoLibrary));
}

void CPictureBrowser::refresh() {
    const QString keep = currentLibrary();
    const QStringList names = libraries_.names();
    {
        const QSignalBlocker block(box_);
        box_->clear();
        box_->addItems(names);
        box_->setCurrentIndex(names.isEmpty() ? -1 : std::max(0, int(names.indexOf(keep))));
    }
    showLibrary();
}

bool CPictureBrowser::setLibrary(const QString& name) {
    const int at = box_->findText(name);
    if (at < 0)
        return false;
    if (at == box_->currentIndex())
        showLibrary();
    else
        box_->setCurrentIndex(at);
    return true;
}

QString CPictureBrowser::currentLibrary() const {
    return box_->currentText();
}

QString CPictureBrowser::selectedPicture() const {
    const QListWidgetItem* item = gallery_->currentItem();
    return item ? item->data(CImageGallery::PathRole).toString() : QString();
}

void CPictureBrowser::showLibrary() {
    loader_.cancel();
    gallery_->clear();
    items_.clear();
    shown_ = 0;
    const QStringList files = libraries_.pictures(currentLibrary());
    const QIcon empty = emptyTile();
    gallery_->setUpdatesEnabled(false);
    for (const QString& file : files) {
        auto* item = new QListWidgetItem(empty, QFileInfo(file).fileName(), gallery_);
        item->setData(CImageGallery::PathRole, file);
        item->setToolTip(file);
        items_.insert(file, item);
    }
    gallery_->setUpdatesEnabled(true);
    loader_.request(files);
}

void CPictureBrowser::thumbnailReady(const QString& file, const QImage& image) {
    QListWidgetItem* item = items_.value(file);
    if (!item)
        return;
    ++shown_;
    if (image.isNull()) {
        item->setIcon(CImageGallery::brokenIcon());
        item->setData(CImageGallery::BrokenRole, true);
        item->setToolTip(file + QLatin1Char('\n') + ideText(sid::PictureUnreadable));
    } else {
        item->setIcon(QIcon(QPixmap::fromImage(image)));
    }
}

void CPictureBrowser::runCommand(int id) {
    switch (id) {
    case sid::ManageLibrary: {
        CImagelistMainDlg dialog(libraries_, ui, this);
        dialog.exec();
        refresh();
        break;
    }
    case sid::ImportPictures:
        if (ui.importInto(this, libraries_, currentLibrary()))
            refresh();
        break;
    case sid::DeletePicture:
        if (ui.deleteFile(this, libraries_, selectedPicture()))
            refresh();
        break;
    default:
        break;
    }
}

} // namespace tft::ide
