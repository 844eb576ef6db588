// The fonts the suite draws with when what it draws is stored: the system
// fonts and keyboard art made at build time, and the numbers of a compiled
// meter dial. They come from font files in the application folder's "fonts"
// folder, loaded by file, never from what the machine happens to have
// installed, and they are drawn with fixed hinting, so the result is the same
// on every machine. The families a project or a command line names ("Arial",
// "宋体", ...) are mapped onto these files.
#pragma once

#include <QFont>
#include <QString>
#include <optional>

namespace tft::fonttools {

// Gives this process a font configuration that lists no font folders and no
// rules, so that neither the installed fonts nor the machine's or the user's
// font settings reach anything drawn. Call it before the QGuiApplication is
// made; programs that show the installed fonts (the generator's dialog) do not.
void isolateFromInstalledFonts();

// The folder the font files are read from; by default "fonts" beside the
// running program.
void setShippedFontFolder(const QString& folder);
QString shippedFontFolder();

// The shipped family that stands for `named`: a shipped family by its own
// name (compared without regard to case); Chinese faces (names with non-ASCII
// characters, the usual Windows names such as SimSun, and an empty name) the
// Chinese face; every other name the Latin face.
QString shippedFamilyFor(const QString& named);

// The file and face index of a shipped family named exactly `family`;
// nothing for any other family.
struct ShippedFaceFile {
    QString path;
    int faceIndex = 0;
};
std::optional<ShippedFaceFile> shippedFaceFile(const QString& family);

// The shipped family for `named`, its file loaded into the font database
// (once per process); nothing when the file cannot be loaded (`error` says why).
std::optional<QString> loadShippedFamily(const QString& named, QString* error = nullptr);

// A font of the shipped family for `named` at `pixelSize`, without hinting so
// that the glyphs are the font's own outlines whatever the machine's settings.
std::optional<QFont> shippedFont(const QString& named, int pixelSize, QString* error = nullptr);

} // namespace tft::fonttools
