#include "picture_drop.h"

#include "image_library.h"
#include "open_project.h"
#include "page_document.h"
#include "shape_kinds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <QUrl>

namespace tft::ide {

const char* const kPictureMimeType = "application/x-orvane-picture";

QMimeData* makePictureMimeData(const QString& picture) {
    auto* data = new QMimeData;
    const QString absolute = QFileInfo(picture).absoluteFilePath();
    data->setData(QLatin1String(kPictureMimeType), absolute.toUtf8());
    data->setUrls({QUrl::fromLocalFile(absolute)});
    return data;
}

QString pictureFromMimeData(const QMimeData* data) {
    if (!data || !data->hasFormat(QLatin1String(kPictureMimeType)))
        return {};
    return QString::fromUtf8(data->data(QLatin1String(kPictureMimeType)));
}

namespace {

bool sameBytes(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    return fa.readAll() == fb.readAll();
}

QString fail(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return {};
}

// The project-relative path ("dir\\file.png") of the picture inside the
// project, copying it there first when it comes from elsewhere.
QString pictureInProject(ProjectWorkspace& project, const QString& picture, QString* error) {
    const QString root = QFileInfo(project.folder()).canonicalFilePath() + QLatin1Char('/');
    const QString real = QFileInfo(picture).canonicalFilePath();
    QString local;
    if (real.startsWith(root))
        local = real;
    else {
        // The same picture dropped again reuses its earlier copy.
        const QString copy = project.folder() + QFileInfo(picture).fileName();
        if (QFileInfo(copy).isFile() && sameBytes(copy, picture))
            local = QFileInfo(copy).canonicalFilePath();
    }
    const ProjectWorkspace::Added added = project.addFiles({local.isEmpty() ? picture : local});
    if (!added.problems.isEmpty())
        return fail(error, added.problems.join(QLatin1Char('\n')));
    if (local.isEmpty()) {
        if (added.entries.isEmpty())
            return fail(error, QStringLiteral("the picture was not added"));
        return added.entries.first();
    }
    return local.mid(root.size()).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

} // namespace

basic_shape::CShape* dropPicture(ProjectWorkspace& project, PageDocument& page, QPoint at,
                                 const QString& picture, QString* error) {
    if (!project.isOpen()) {
        fail(error, QStringLiteral("no project is open"));
        return nullptr;
    }
    if (!QFileInfo(picture).isFile() || !isPictureFile(picture) || !isReadablePicture(picture)) {
        fail(error, QStringLiteral("not a readable picture file"));
        return nullptr;
    }
    const QString relative = pictureInProject(project, picture, error);
    if (relative.isEmpty())
        return nullptr;
    std::unique_ptr<basic_shape::CShape> shape = basic_shape::createShape("IMAGE");
    if (!shape || !shape->propertyChanged("url", relative.toStdString())) {
        fail(error, QStringLiteral("the page cannot hold a picture"));
        return nullptr;
    }
    QSize size = QImageReader(picture).size();
    if (!size.isValid() || size.isEmpty())
        size = QSize(100, 100);
    shape->setRect({at.x(), at.y(), at.x() + size.width(), at.y() + size.height()});
    return page.addShape(std::move(shape));
}

} // namespace tft::ide
