// The item kinds with their compile functions: the build's half of the item
// registry (the factories belong to the model library).
#include "compiler/item_compilers.h"
#include "compiler/item_registry.h"

namespace tft {

namespace {

bool registerCompilers(ItemRegistry& registry) {
    bool ok = true;
    for (const char* kind : ItemRegistry::kinds())
        ok = registry.registerCompiler(kind, itemCompiler(kind)) && ok;
    return ok;
}

} // namespace

bool registerItemKinds(ItemRegistry& registry) {
    const bool compilers = registerCompilers(registry);
    return registerItemFactories(registry) && compilers;
}

bool ensureItemKindsRegistered() {
    static const bool registered = [] {
        const bool compilers = registerCompilers(ItemRegistry::instance());
        return ensureItemFactoriesRegistered() && compilers;
    }();
    return registered;
}

} // namespace tft
