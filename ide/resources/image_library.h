// The picture libraries: every sub-folder of the application folder's
// images/ is one library. Pictures a user imports go there, or, when that
// folder cannot be written, into a library of the same name under the user's
// own images/ folder; both folders of a name make one library.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

namespace tft::ide {

// .bmp .jpg .jpeg .tif .png .wmf, in any case.
bool isPictureFile(const QString& path);
// A picture file that opens and, where a decoder exists, whose header reads.
bool isReadablePicture(const QString& path);

struct LibraryInfo {
    QString name;
    QStringList folders; // application folder first, then the user's
    int count = 0;       // readable picture files
    qint64 bytes = 0;
};

class ImageLibraries {
public:
    // `appImages`: <application folder>/images; `userImages`: the per-user
    // images folder (may not exist yet).
    ImageLibraries(QString appImages, QString userImages);

    // The per-user folder of the running program.
    static QString defaultUserImages();

    // The library names, sorted, without counting their pictures.
    QStringList names() const;
    // Every library, sorted by name, with its totals.
    QVector<LibraryInfo> libraries() const;
    LibraryInfo library(const QString& name) const;
    // The picture files of a library, application folder first, each sorted by name.
    QStringList pictures(const QString& name) const;

    struct Imported {
        QStringList files;    // where each picture was copied to
        QStringList problems; // "file: reason", one per picture not imported
    };
    // Copies pictures into a library (never over an existing file: a name
    // that is taken gets _1, _2, ...). Files that are not pictures are refused.
    Imported importPictures(const QString& name, const QStringList& files) const;
    // Deletes one picture file of a library; anything outside the libraries
    // or not a picture is refused.
    bool deletePicture(const QString& file) const;

    const QString& appImages() const { return appImages_; }
    const QString& userImages() const { return userImages_; }

private:
    bool insideLibrary(const QString& file) const;
    QString appImages_, userImages_;
};

} // namespace tft::ide
