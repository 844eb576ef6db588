// Dragging a library picture onto a page: the drag carries the picture's
// path; the drop copies the picture into the project (unless it is there
// already), adds it to the project's pictures and creates an Image shape of
// the picture's size at the drop point, as one undoable edit of the page.
#pragma once

#include <QPoint>
#include <QString>

class QMimeData;

namespace tft::ide {

class PageDocument;
class ProjectWorkspace;
namespace basic_shape {
class CShape;
}

// The drag's data: the path under its own type, and a file URL for other programs.
extern const char* const kPictureMimeType;
QMimeData* makePictureMimeData(const QString& picture);
// The picture a drag carries, or empty.
QString pictureFromMimeData(const QMimeData* data);

// `at` is in page pixels (the shape's top-left corner). Returns the new
// shape, selected alone, or null with the reason in `error`.
basic_shape::CShape* dropPicture(ProjectWorkspace& project, PageDocument& page, QPoint at,
                                 const QString& picture, QString* error = nullptr);

} // namespace tft::ide
