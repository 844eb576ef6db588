// The process-wide maps from an item kind (upper case) to its factory and to
// its compile function. Kinds are registered in one fixed order; registering a
// kind twice fails.
#pragma once

#include "compiler/items.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tft {

// Compiles one item: empties `bytes`, appends the item's command frames to it
// and its C text to `cText`; false when the item cannot be compiled.
using CompileFunction =
    std::function<bool(IItemLite& item, std::string& cText, std::vector<std::uint8_t>& bytes)>;

class ItemRegistry {
public:
    static ItemRegistry& instance();

    bool registerFactory(const std::string& kind, std::unique_ptr<IItemFactory> factory);
    bool registerCompiler(const std::string& kind, CompileFunction compile);

    const IItemFactory* factory(const std::string& kind) const;
    const CompileFunction* compiler(const std::string& kind) const;
    // A new item of `kind` (upper case), or null for a kind without a factory.
    std::unique_ptr<IItemLite> create(const std::string& kind) const;

    // The fifteen kinds in registration order.
    static const std::array<const char*, 15>& kinds();

private:
    std::map<std::string, std::unique_ptr<IItemFactory>> factories_;
    std::map<std::string, CompileFunction> compilers_;
};

// Registers the factories of the fifteen kinds in their fixed order: all that
// loading and saving pages needs (the IDE links no compile functions).
bool registerItemFactories(ItemRegistry& registry);
bool ensureItemFactoriesRegistered();

// Registers the compile functions, then the factories, of the fifteen kinds in
// their fixed order. False when any registration fails. (Build library.)
bool registerItemKinds(ItemRegistry& registry);

// Registers the kinds in the process-wide registry once; later calls return
// the first result. For programs and tests that load pages without velmic.
bool ensureItemKindsRegistered();

} // namespace tft
