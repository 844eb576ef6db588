// CImagelistMainDlg (32881): the picture libraries with their counts and
// sizes, the pictures of the chosen one, and import and delete.
#pragma once

#include "image_library.h"
#include "library_ui.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;

namespace tft::ide {

class CImagelistMainDlg : public QDialog {
    Q_OBJECT
public:
    CImagelistMainDlg(const ImageLibraries& libraries, const LibraryUi& ui,
                      QWidget* parent = nullptr);

    void reload();
    QTreeWidget* libraryTable() const { return libraries_; }
    QTreeWidget* pictureTable() const { return pictures_; }
    QString currentLibrary() const;
    QPushButton* importButton() const { return import_; }
    QPushButton* deleteButton() const { return delete_; }

private:
    void showPictures();

    const ImageLibraries& store_;
    const LibraryUi& ui_;
    QTreeWidget* libraries_;
    QTreeWidget* pictures_;
    QPushButton* import_;
    QPushButton* delete_;
};

} // namespace tft::ide
