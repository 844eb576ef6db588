#include "batch.h"

#include "fonttools/charset.h"
#include "fonttools/glyph_renderer.h"
#include "fonttools/shipped_fonts.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace tft::fonttools {

namespace {

const char* const kUsage =
    "usage: glyphorn --batch [--family NAME] [--size N] [--charset ASCII|GB2312|GBK]\n"
    "                [--cell N] [--half-width] [--bold] [--italic] [--vertical]\n"
    "                [--lsb-first] [--row-padded] -o FILE\n";

int usage(const QString& reason) {
    std::fprintf(stderr, "glyphorn: %s\n%s", reason.toLocal8Bit().constData(), kUsage);
    return 2;
}

bool toNumber(const QString& text, int low, int high, int& value) {
    bool ok = false;
    value = text.toInt(&ok, 10);
    return ok && value >= low && value <= high;
}

} // namespace

bool isBatchCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--batch") == 0) {
            return true;
        }
    }
    return false;
}

int runBatch(const QStringList& arguments) {
    FontFace font;
    Charset charset = Charset::Gb2312;
    CellLayout layout;
    int cell = 16;
    bool halfWidth = false;
    bool sizeGiven = false;
    QString output;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        const auto value = [&](QString& out) {
            if (i + 1 >= arguments.size()) {
                return false;
            }
            out = arguments[++i];
            return true;
        };
        QString text;
        if (arg == QLatin1String("--batch")) {
            continue;
        } else if (arg == QLatin1String("--family")) {
            if (!value(font.family) || font.family.isEmpty()) {
                return usage(QStringLiteral("--family needs a name"));
            }
        } else if (arg == QLatin1String("--size")) {
            if (!value(text) || !toNumber(text, 1, 255, font.pixelSize)) {
                return usage(QStringLiteral("--size needs a number from 1 to 255"));
            }
            sizeGiven = true;
        } else if (arg == QLatin1String("--charset")) {
            if (!value(text)) {
                return usage(QStringLiteral("--charset needs ASCII, GB2312 or GBK"));
            }
            const auto parsed = parseCharset(text.toStdString());
            if (!parsed) {
                return usage(QStringLiteral("unknown character set \"%1\"").arg(text));
            }
            charset = *parsed;
        } else if (arg == QLatin1String("--cell")) {
            if (!value(text) || !toNumber(text, 1, 255, cell)) {
                return usage(QStringLiteral("--cell needs a number from 1 to 255"));
            }
        } else if (arg == QLatin1String("--half-width")) {
            halfWidth = true;
        } else if (arg == QLatin1String("--bold")) {
            font.bold = true;
        } else if (arg == QLatin1String("--italic")) {
            font.italic = true;
        } else if (arg == QLatin1String("--vertical")) {
            layout.scan = Scan::Vertical;
        } else if (arg == QLatin1String("--lsb-first")) {
            layout.msbFirst = false;
        } else if (arg == QLatin1String("--row-padded")) {
            layout.rowPadded = true;
        } else if (arg == QLatin1String("-o")) {
            if (!value(output) || output.isEmpty()) {
                return usage(QStringLiteral("-o needs a file name"));
            }
        } else {
            return usage(QStringLiteral("unknown argument \"%1\"").arg(arg));
        }
    }
    if (output.isEmpty()) {
        return usage(QStringLiteral("no output file (-o FILE)"));
    }
    layout.height = cell;
    layout.width = halfWidth ? cell / 2 : cell;
    if (layout.width < 1) {
        return usage(QStringLiteral("a half-width cell needs a size of at least 2"));
    }
    if (layout.rowPadded && (layout.scan != Scan::Horizontal || !layout.msbFirst)) {
        return usage(QStringLiteral("--row-padded is the panel's form: horizontal, bit 7 first"));
    }
    if (!layout.rowPadded && (layout.width * layout.height) % 8 != 0) {
        return usage(QStringLiteral("a %1x%2 cell is not a whole number of bytes")
                         .arg(layout.width)
                         .arg(layout.height));
    }
    if (!sizeGiven) {
        font.pixelSize = cell;
    }
    // The named family (none: the default Chinese face) is drawn with the
    // shipped font that stands for it.
    QString fontError;
    const auto shipped = loadShippedFamily(font.family, &fontError);
    if (!shipped) {
        std::fprintf(stderr, "glyphorn: %s\n", fontError.toLocal8Bit().constData());
        return 1;
    }
    font.family = *shipped;

    const QByteArray title = QStringLiteral("%1 %2x%3 (%4)")
                                 .arg(QLatin1String(charsetName(charset)))
                                 .arg(layout.width)
                                 .arg(layout.height)
                                 .arg(font.family)
                                 .toLocal8Bit();
    const bool terminal = isatty(STDERR_FILENO) != 0;
    const std::vector<std::uint8_t> bytes = renderCharset(font, charset, layout, [&](int percent) {
        // On a terminal one line is rewritten; in logs every tenth step.
        if (terminal) {
            std::fprintf(stderr, "\r%s: %3d%%", title.constData(), percent);
        } else if (percent % 10 == 0) {
            std::fprintf(stderr, "%s: %d%%\n", title.constData(), percent);
        }
    });
    if (terminal) {
        std::fputc('\n', stderr);
    }
    QString error;
    if (!writeFileAtomically(output, bytes, &error)) {
        std::fprintf(stderr, "glyphorn: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    std::fprintf(stdout, "%s: %zu glyphs, %zu bytes written to %s\n", title.constData(),
                 bytes.size() / std::max<std::size_t>(1, layout.cellBytes()), bytes.size(),
                 output.toLocal8Bit().constData());
    return 0;
}

} // namespace tft::fonttools
