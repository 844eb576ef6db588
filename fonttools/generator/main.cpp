// glyphorn: renders a character set of an installed font into a glyph file.
// Without arguments it opens the dialog; with --batch it works from the
// command line (see batch.h).
#include "batch.h"
#include "font_temp_dlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <common/qt_translations.h>

int main(int argc, char** argv) {
    if (tft::fonttools::isBatchCommandLine(argc, argv)) {
        // Batch runs need fonts, not a display.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        QGuiApplication app(argc, argv);
        QStringList args = QGuiApplication::arguments();
        args.removeFirst();
        return tft::fonttools::runBatch(args);
    }
    QApplication app(argc, argv);
    tft::installQtTranslations();
    QApplication::setOrganizationName(QStringLiteral("Pellisor"));
    QApplication::setApplicationName(QStringLiteral("glyphorn"));
    tft::fonttools::CFontTempDlg dialog;
    dialog.show();
    return QApplication::exec();
}
