// Display synchronisation: the frames that draw a compiled page, cut one by
// one for sending to the connected panel and logging.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tft::ide {

// The frames of page `pageName` from the build whose resource description is
// `tftresPath` (the output folder's .tftres, with its .si beside it); empty
// when the page is unknown or the files do not read.
std::vector<std::vector<std::uint8_t>> pageFrames(const std::string& tftresPath,
                                                  const std::string& pageName);

} // namespace tft::ide
