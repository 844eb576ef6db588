// The questions the library commands ask the user, replaceable in tests:
// which files to import, whether to delete, and what went wrong.
#pragma once

#include "image_library.h"

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace tft::ide {

struct LibraryUi {
    std::function<QStringList(QWidget* parent)> chooseFiles;
    std::function<bool(QWidget* parent, const QString& question)> confirm;
    std::function<void(QWidget* parent, const QString& message)> report;

    // File dialog, question box and warning box.
    static LibraryUi standard();

    // Import (32883): asks for pictures and copies them into `library`;
    // answers whether anything was imported.
    bool importInto(QWidget* parent, const ImageLibraries& libraries, const QString& library) const;
    // Delete (32882): asks first; answers whether the file is gone.
    bool deleteFile(QWidget* parent, const ImageLibraries& libraries, const QString& file) const;
};

} // namespace tft::ide
