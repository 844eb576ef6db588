// glyphorn: renders a character set into a glyph file. Without arguments it
// opens the dialog (any installed font); with --batch it works from the
// command line with the shipped font files (see batch.h).
#include "batch.h"
#include "font_temp_dlg.h"
#include "fonttools/shipped_fonts.h"

#include <QApplication>
#include <QGuiApplication>
#include <common/qt_translations.h>

int main(int argc, char** argv) {
    if (tft::fonttools::isBatchCommandLine(argc, argv)) {
        // Batch runs need fonts, not a display; they draw with the shipped
        // font files only, so the glyph files are the same on every machine.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        tft::fonttools::isolateFromInstalledFonts();
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
