// `orvane --render PROJECT.tftprj PAGE -o FILE.png`: opens the project as the
// IDE does, draws the page through the designer's PagePainter at the panel
// model's screen size and writes it as a PNG of 8-bit RGB, without a window.
// Clocks show SOURCE_DATE_EPOCH (as UTC wall time) when it is set, else the
// designer's sample time, so the picture is the same on every machine.
#pragma once

namespace tft::ide {

// Exit codes: 0 written, 1 the project, page or file failed, 2 bad arguments.
int runRenderCommand(int argc, char** argv);

} // namespace tft::ide
