// orvane: the designer IDE. Batch modes and the main window live in the
// shell library; see orvane_app.h for the command line. `--render` draws a
// page without a window (render_command.h).
#include "command_lines.h"
#include "orvane_app.h"
#include "render_command.h"

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (tft::ide::isRenderCommand(arguments))
        return tft::ide::runRenderCommand(argc, argv);
    return tft::ide::runOrvane(argc, argv);
}
