// keyboard_art DEVICEINFO APPDIR: draws the released and pressed picture of
// every system keyboard of the catalogue into the application folder, under
// the names the catalogue gives them.
#include "fonttools/shipped_fonts.h"
#include "keyboard_art.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Drawn with the shipped font files only: the same pictures on every machine.
    tft::fonttools::isolateFromInstalledFonts();
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: keyboard_art DEVICEINFO.xml APPDIR\n");
        return 2;
    }
    std::vector<tft::fonttools::KeyboardLayout> layouts;
    std::string error;
    if (!tft::fonttools::readKeyboardLayouts(argv[1], layouts, error)) {
        std::fprintf(stderr, "keyboard_art: %s\n", error.c_str());
        return 1;
    }
    const QDir appDir(QString::fromLocal8Bit(argv[2]));
    tft::fonttools::setShippedFontFolder(appDir.filePath(QStringLiteral("fonts")));
    QString fontError;
    if (!tft::fonttools::loadShippedFamily(QString(), &fontError)) {
        std::fprintf(stderr, "keyboard_art: %s\n", fontError.toLocal8Bit().constData());
        return 1;
    }
    for (const auto& layout : layouts) {
        for (int pressed = 0; pressed < 2; ++pressed) {
            QString name =
                QString::fromStdString(pressed ? layout.pressedImage : layout.releasedImage);
            name.replace(QLatin1Char('\\'), QLatin1Char('/'));
            if (name.isEmpty()) {
                std::fprintf(stderr, "keyboard_art: keyboard %d names no picture\n", layout.number);
                return 1;
            }
            const QString path = appDir.filePath(name);
            QDir().mkpath(QFileInfo(path).absolutePath());
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) ||
                !tft::fonttools::drawKeyboard(layout, pressed != 0).save(&file, "PNG") ||
                !file.commit()) {
                std::fprintf(stderr, "keyboard_art: cannot write %s\n",
                             path.toLocal8Bit().constData());
                return 1;
            }
        }
    }
    return 0;
}
