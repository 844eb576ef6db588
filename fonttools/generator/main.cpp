// glyphorn: renders a character set into a glyph file. Without arguments it
// opens the dialog (any installed font); with --batch it works from the
// command line with the shipped font files (see batch.h).
#include "batch.h"
#include "font_temp_dlg.h"
#include "fonttools/shipped_fonts.h"

#include <QApplication>
#include <QGuiApplication>
#include <common/program_info.h>
#include <common/qt_translations.h>

namespace {

const char* const kHelp =
    "Usage: glyphorn\n"
    "  or:  glyphorn --batch [--family NAME] [--size N] [--charset ASCII|GB2312|GBK]\n"
    "                [--cell N] [--half-width] [--bold] [--italic] [--vertical]\n"
    "                [--lsb-first] [--row-padded] -o FILE\n"
    "Renders a character set into a glyph bitmap file for the panel's fonts. Without\n"
    "arguments it opens its window; with --batch it works from the command line with\n"
    "the font files shipped beside it, so the file is the same on every machine.\n"
    "\n"
    "Options:\n"
    "  --batch             generate without a window\n"
    "  --family NAME       the face (default: the shipped Chinese face)\n"
    "  --size N            the font's pixel size, 1 to 255 (default: the cell)\n"
    "  --charset SET       ASCII, GB2312 (default) or GBK\n"
    "  --cell N            the cell height in pixels, 1 to 255 (default 16)\n"
    "  --half-width        cells half as wide as high\n"
    "  --bold, --italic    the face's style\n"
    "  --vertical          scan columns instead of rows\n"
    "  --lsb-first         the first pixel in bit 0 instead of bit 7\n"
    "  --row-padded        every row starts on a whole byte (the panel's form)\n"
    "  -o FILE             the glyph file to write\n"
    "  -h, --help          print this help and exit\n"
    "  --version           print the version and exit\n"
    "\n"
    "Exit status:\n"
    "  0   the file was written, or the window closed\n"
    "  1   the face could not be loaded or the file not written\n"
    "  2   a bad command line\n";

} // namespace

int main(int argc, char** argv) {
    if (const int status = tft::answerHelpOrVersion(argc, argv, "glyphorn", kHelp); status >= 0)
        return status;
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
