// What the IDE adds to a project's output folder after the compiler ran: the
// host driver sources (never over a file already there) and, after a
// successful compile, the system font and keyboard packs of the project's model.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>

namespace tft::ide {

// The four driver files, in the order they are copied.
const QStringList& driverFileNames();

// Copies each driver file from <appDir>/hmi_driver into `outputDir` unless a
// file of that name is there. Returns false (with `error`) when a copy fails.
bool copyDriverFiles(const std::filesystem::path& appDir, const std::filesystem::path& outputDir,
                     std::string& error);

struct PackReport {
    bool ok = true;
    QStringList lines; // what to show in the output pane
};

// Writes <base>.fidx/.fbin (fonts whose bit is set in `fontMask`) and
// <base>.sbin (the keyboards of `catalogueFile`).
PackReport writeSystemPacks(const std::filesystem::path& appDir,
                            const std::filesystem::path& catalogueFile, std::uint32_t fontMask,
                            const std::filesystem::path& base);

} // namespace tft::ide
