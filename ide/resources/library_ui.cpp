#include "library_ui.h"

#include "string_table.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace tft::ide {

LibraryUi LibraryUi::standard() {
    LibraryUi ui;
    ui.chooseFiles = [](QWidget* parent) {
        return QFileDialog::getOpenFileNames(
            parent, ideText(sid::ImportPictures), QString(),
            ideText(sid::ImageFiles) +
                QStringLiteral("(*.bmp *.jpg *.jpeg *.tif *.png *.wmf *.BMP *.JPG *.JPEG *.TIF "
                               "*.PNG *.WMF)"));
    };
    ui.confirm = [](QWidget* parent, const QString& question) {
        return QMessageBox::question(parent, ideText(sid::AppTitle), question) == QMessageBox::Yes;
    };
    ui.report = [](QWidget* parent, const QString& message) {
        QMessageBox::warning(parent, ideText(sid::AppTitle), message);
    };
    return ui;
}

bool LibraryUi::importInto(QWidget* parent, const ImageLibraries& libraries,
                           const QString& library) const {
    if (library.isEmpty()) {
        report(parent, ideText(sid::NoLibrary));
        return false;
    }
    const QStringList files = chooseFiles(parent);
    if (files.isEmpty())
        return false;
    const ImageLibraries::Imported done = libraries.importPictures(library, files);
    if (!done.problems.isEmpty()) {
        QStringList lines;
        for (const QString& problem : done.problems) {
            const qsizetype colon = problem.lastIndexOf(QStringLiteral(": "));
            lines << ideText(sid::ImportFailed).arg(problem.left(colon), problem.mid(colon + 2));
        }
        report(parent, lines.join(QLatin1Char('\n')));
    }
    return !done.files.isEmpty();
}

bool LibraryUi::deleteFile(QWidget* parent, const ImageLibraries& libraries,
                           const QString& file) const {
    if (file.isEmpty())
        return false;
    if (!confirm(parent, ideText(sid::DeletePictureAsk).arg(QFileInfo(file).fileName())))
        return false;
    if (!libraries.deletePicture(file)) {
        report(parent, ideText(sid::DeletePictureFailed).arg(file));
        return false;
    }
    return true;
}

} // namespace tft::ide
