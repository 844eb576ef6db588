// Test helpers: one QApplication for the whole test program, temporary
// folders, and small file helpers.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

namespace tft::fonttools::test {

// The first call makes the application; `isolated` first cuts the process
// off from the installed fonts and font settings, as batch generation is.
void ensureApp(bool isolated = false);
std::vector<std::uint8_t> readFile(const QString& path);
void writeFile(const QString& path, const std::vector<std::uint8_t>& bytes);
void writeText(const QString& path, const std::string& text);
// The application folder of the build, where glyphorn and the system fonts live.
QString appDir();

} // namespace tft::fonttools::test
