// Compile functions of the item kinds: each turns one item into command frames
// and C text.
#pragma once

#include "compiler/item_registry.h"

#include <string>

namespace tft {

// The compile function of a kind. NOT YET WRITTEN: every kind still gets the
// pending hook below, which produces no command and no C text and succeeds, so
// screens build (background only) while the per-kind compilers are written.
CompileFunction itemCompiler(const std::string& kind);

// The pending hook itself (empties `bytes`, returns true).
bool compileItemPending(IItemLite& item, std::string& cText, std::vector<std::uint8_t>& bytes);

} // namespace tft
