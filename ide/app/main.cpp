// orvane: the designer IDE. Batch modes and the main window live in the
// shell library; see orvane_app.h for the command line.
#include "orvane_app.h"

int main(int argc, char** argv) {
    return tft::ide::runOrvane(argc, argv);
}
