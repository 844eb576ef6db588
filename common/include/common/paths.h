// Project-relative paths. Project files may write `\` or `/`; both are accepted,
// the text is stored as written, case is never changed, and separators are
// converted only to open a file. A project never reaches outside its folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tft {

// `\` turned into `/`, nothing else changed.
std::string toNativeSeparators(std::string_view path);

// `folder` / `relative`, with the relative part's separators made native.
std::filesystem::path joinProjectPath(const std::filesystem::path& folder,
                                      std::string_view relative);

enum class Confinement {
    Inside,       // a sub-folder or file of the project folder
    Empty,        // empty or blanks only
    Absolute,     // starts at a root or names a drive
    Escapes,      // climbs out of the project folder with ".."
    FolderItself, // "." or "output/.." and the like: the project folder itself
};

// Classifies a project-relative path without touching the disk.
Confinement checkConfinement(std::string_view relative);
// A readable English reason for a refused path.
const char* describeConfinement(Confinement c);

// The folder of the running program (the application folder).
std::filesystem::path applicationDir();

} // namespace tft
