// What the dialog tests share: the application with the Chinese texts, and
// the showcase compiled once per run by the real `orvane --build`.
#pragma once

#include <QString>
#include <filesystem>

namespace dluitest {

namespace fs = std::filesystem;

// A QApplication (offscreen in CTest) with the IDE's Chinese table loaded.
void ensureApp();

// The copied showcase project folder, compiled; its output folder holds the
// compiled files, the system fonts and the keyboard.
const fs::path& showcaseDir();
fs::path showcaseOutput();
fs::path showcaseProject();

QString q(const fs::path& path);

} // namespace dluitest
