// The build steps around the screens: the resource store's files, a screen's
// background picture, the screen's `page` element and C source, the global
// pictures and the sounds, and closing the files at the end.
#pragma once

#include "compiler/project.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace tft {

// Opens the resource store's files in the prepared output folder.
bool openOutputFiles(const IProject& project, const std::filesystem::path& outputFolder);
void compileBackgroundPicture(const IItemEditor& page, std::vector<std::uint8_t>& bytes,
                              std::string& cText);
void finishScreen(const IItemEditor& page, std::uint16_t screenId, const std::string& cText);
void compileGlobalImages(const IProject& project);
void compileSounds(const IProject& project);
// Writes DefineID.c (`screenDefinitions` first) and the resource information.
void closeOutputFiles(const std::string& screenDefinitions);

// The build time written into the C sources: SOURCE_DATE_EPOCH (UTC) when it
// is set to a number, otherwise the local time now.
std::tm buildTime();
// "%#Y-%#m-%#d %#H:%#M:%S": no leading zeros but in the seconds.
std::string formatBuildTime(const std::tm& time);
// The whole C source of a screen.
std::string screenSource(const std::string& screenName, const std::string& time,
                         const std::string& body);

} // namespace tft
