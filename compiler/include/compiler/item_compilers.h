// Compile functions of the item kinds: each turns one item into command frames
// and C text.
#pragma once

#include "compiler/item_registry.h"

#include <string>

namespace tft {

// The compile function of a kind (a function that fails for a kind this
// compiler does not know).
CompileFunction itemCompiler(const std::string& kind);

// The part of a rectangle that lies on the screen of the current project
// (the whole rectangle when no screen size is known).
struct OnScreen {
    bool visible = false;
    int left = 0, top = 0, width = 0, height = 0; // on the screen
    int cutLeft = 0, cutTop = 0;                  // the same part inside the rectangle
};
OnScreen onScreen(int x, int y, int width, int height);

// Starts the curve array counter at 0 again (one build per process; tests
// run several).
void resetCurveCounter();

} // namespace tft
