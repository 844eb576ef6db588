// glimmett: shows the glyphs of a glyph file, sixteen a row.
#include "glimmett_dlg.h"

#include <QApplication>
#include <common/program_info.h>
#include <common/qt_translations.h>

namespace {

const char* const kHelp = "Usage: glimmett\n"
                          "Shows the glyphs of a glyph bitmap file, sixteen a row; the file,\n"
                          "its cell size and its character set are chosen in the window.\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help          print this help and exit\n"
                          "  --version           print the version and exit\n"
                          "\n"
                          "Exit status:\n"
                          "  0   the window closed\n";

} // namespace

int main(int argc, char** argv) {
    if (const int status = tft::answerHelpOrVersion(argc, argv, "glimmett", kHelp); status >= 0)
        return status;
    QApplication app(argc, argv);
    tft::installQtTranslations();
    QApplication::setOrganizationName(QStringLiteral("Pellisor"));
    QApplication::setApplicationName(QStringLiteral("glimmett"));
    tft::fonttools::CGlimmettDlg dialog;
    dialog.show();
    return QApplication::exec();
}
