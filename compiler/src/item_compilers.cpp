#include "compiler/item_compilers.h"

namespace tft {

bool compileItemPending(IItemLite&, std::string&, std::vector<std::uint8_t>& bytes) {
    // Hook: the per-kind command and C text generation is not written yet.
    bytes.clear();
    return true;
}

CompileFunction itemCompiler(const std::string&) {
    return compileItemPending;
}

} // namespace tft
