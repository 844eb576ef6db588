#include "after_build.h"

#include "fonttools/font_pack.h"
#include "fonttools/keyboard_pack.h"
#include "string_table.h"

#include <system_error>

namespace tft::ide {

const QStringList& driverFileNames() {
    static const QStringList names{QStringLiteral("hmi_driver.h"), QStringLiteral("hmi_driver.c"),
                                   QStringLiteral("hmi_user_uart.h"),
                                   QStringLiteral("hmi_user_uart.c")};
    return names;
}

bool copyDriverFiles(const std::filesystem::path& appDir, const std::filesystem::path& outputDir,
                     std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(outputDir, ec);
    for (const QString& name : driverFileNames()) {
        const fs::path from = appDir / "hmi_driver" / name.toStdString();
        const fs::path to = outputDir / name.toStdString();
        if (fs::exists(to, ec) || !fs::exists(from, ec))
            continue; // the user's edits survive every build
        if (!fs::copy_file(from, to, ec)) {
            error = "cannot copy " + name.toStdString() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

PackReport writeSystemPacks(const std::filesystem::path& appDir,
                            const std::filesystem::path& catalogueFile, std::uint32_t fontMask,
                            const std::filesystem::path& base) {
    PackReport report;
    const QString name = QString::fromStdString(base.filename().string());
    std::string error;
    switch (fonttools::writeFontPack(appDir / "font", fontMask, base.string() + ".fidx",
                                     base.string() + ".fbin", error)) {
    case fonttools::PackStatus::Written:
        report.lines << ideText(sid::FontPackWritten).arg(name);
        break;
    case fonttools::PackStatus::Skipped:
        break; // no font list: nothing to pack, and no word about it
    case fonttools::PackStatus::Failed:
        report.lines << ideText(sid::FontPackFailed).arg(QString::fromStdString(error));
        report.ok = false;
        break;
    }
    if (fonttools::writeKeyboardPack(appDir, catalogueFile, base.string() + ".sbin", error)) {
        report.lines << ideText(sid::KeyboardPackWritten).arg(name);
    } else {
        report.lines << ideText(sid::KeyboardPackFailed).arg(QString::fromStdString(error));
        report.ok = false;
    }
    return report;
}

} // namespace tft::ide
