#include "compiler/build_hooks.h"

namespace tft {

// Hooks: see build_hooks.h; none of them does its work yet.
bool openOutputFiles(const IProject&) {
    return true;
}
void compileBackgroundPicture(const IItemEditor&, std::vector<std::uint8_t>&, std::string&) {}
void finishScreen(const IItemEditor&, std::uint16_t, const std::string&) {}
void compileGlobalImages(const IProject&) {}
void compileSounds(const IProject&) {}

} // namespace tft
