// Files the user owns are written atomically: a temporary file beside the
// target, flushed to disk, then renamed over it. A crash mid-save loses nothing.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tft {

bool writeFileAtomically(const std::filesystem::path& path, std::string_view data,
                         std::string* error = nullptr);

} // namespace tft
