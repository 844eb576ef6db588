// Pictures and sounds of a project into the resource store: screen pictures
// (cut to the part on the screen, cached, given identifiers), global
// pictures, pictures the compiler draws, and sounds.
#pragma once

#include "compiler/project.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace tft {

struct ScreenPictureRequest {
    std::string path;    // relative to the project folder, as written
    int targetWidth = 0; // 0: the picture's own size
    int targetHeight = 0;
    bool crop = false;
    // The part of the target that is kept (on the screen).
    int effectLeft = 0, effectTop = 0, effectWidth = 0, effectHeight = 0;
    // Pixels of this RGB565 colour become transparent as well.
    std::optional<std::uint16_t> filterColour;
    std::vector<std::string> idParts; // empty: no identifier
    std::string comment;              // written before the identifier
    std::string prefix;               // in front of every message
};

struct StoredPicture {
    std::uint16_t index = 0xFFFF;
    bool animated = false;
};

// The cache key of a screen picture.
std::string pictureKey(const ScreenPictureRequest& request);

// The file of a project-relative path, or nothing when the path leaves the
// project folder or names no regular file.
std::optional<std::string> projectFile(const std::string& relative);

// Stores a screen picture once per key; nothing on failure (reported).
std::optional<StoredPicture> compileScreenPicture(const ScreenPictureRequest& request);

// A global picture whole at its own size with the `IMG` file name and
// extension identifier; false on failure (reported).
bool compileGlobalPicture(const std::string& path, std::optional<StoredPicture>* stored = nullptr);

// Makes drawing possible in the console program: an application object on
// the offscreen platform whose font database holds the shipped fonts only.
void ensureDrawing();

// A picture the compiler draws: `draw` paints a width x height picture.
std::optional<std::uint16_t> compileDrawnPicture(int width, int height,
                                                 const std::function<void(QPainter&)>& draw,
                                                 const std::vector<std::string>& idParts,
                                                 const std::string& comment,
                                                 const std::string& prefix);

// One sound file; false when it failed (an empty file is skipped and counts
// as done).
bool compileSound(const std::string& path);

} // namespace tft
