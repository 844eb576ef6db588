// Build steps whose work is NOT YET WRITTEN. Each hook is called at its place
// in the build order and currently does nothing (and reports nothing):
//   - openOutputFiles: the resource store's .gwb, .graidx, .pwi, .tftres and
//     DefineID.c files;
//   - compileBackgroundPicture: a screen whose background is a picture;
//   - finishScreen: the screen's `page` element and its C source file;
//   - compileGlobalImages, compileSounds: the global pictures and the sounds.
#pragma once

#include "compiler/project.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tft {

bool openOutputFiles(const IProject& project);
void compileBackgroundPicture(const IItemEditor& page, std::vector<std::uint8_t>& bytes,
                              std::string& cText);
void finishScreen(const IItemEditor& page, std::uint16_t screenId, const std::string& cText);
void compileGlobalImages(const IProject& project);
void compileSounds(const IProject& project);

} // namespace tft
