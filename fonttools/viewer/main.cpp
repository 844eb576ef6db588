// glimmett: shows the glyphs of a glyph file, sixteen a row.
#include "glimmett_dlg.h"

#include <QApplication>
#include <common/qt_translations.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tft::installQtTranslations();
    QApplication::setOrganizationName(QStringLiteral("Pellisor"));
    QApplication::setApplicationName(QStringLiteral("glimmett"));
    tft::fonttools::CGlimmettDlg dialog;
    dialog.show();
    return QApplication::exec();
}
