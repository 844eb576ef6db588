#include "compiler/item_registry.h"

namespace tft {

ItemRegistry& ItemRegistry::instance() {
    static ItemRegistry registry;
    return registry;
}

bool ItemRegistry::registerFactory(const std::string& kind, std::unique_ptr<IItemFactory> factory) {
    if (!factory)
        return false;
    return factories_.emplace(kind, std::move(factory)).second;
}

bool ItemRegistry::registerCompiler(const std::string& kind, CompileFunction compile) {
    if (!compile)
        return false;
    return compilers_.emplace(kind, std::move(compile)).second;
}

const IItemFactory* ItemRegistry::factory(const std::string& kind) const {
    const auto found = factories_.find(kind);
    return found == factories_.end() ? nullptr : found->second.get();
}

const CompileFunction* ItemRegistry::compiler(const std::string& kind) const {
    const auto found = compilers_.find(kind);
    return found == compilers_.end() ? nullptr : &found->second;
}

std::unique_ptr<IItemLite> ItemRegistry::create(const std::string& kind) const {
    const IItemFactory* maker = factory(kind);
    return maker ? maker->create() : nullptr;
}

const std::array<const char*, 15>& ItemRegistry::kinds() {
    static const std::array<const char*, 15> order{
        "LINE",  "CURVE",  "RECTANGLE", "ELLIPSE",      "CIRCLE",
        "TEXT",  "IMAGE",  "BUTTON",    "TEXT_DISPLAY", "PROGRESS",
        "METER", "SLIDER", "RTC",       "ANIMATION",    "GRAPH"};
    return order;
}

namespace {

template <class Factory> bool addFactory(ItemRegistry& registry, const char* kind) {
    return registry.registerFactory(kind, std::make_unique<Factory>());
}

} // namespace

bool registerItemFactories(ItemRegistry& registry) {
    bool ok = true;
    ok = addFactory<CItemLineFactory>(registry, "LINE") && ok;
    ok = addFactory<CItemCurveFactory>(registry, "CURVE") && ok;
    ok = addFactory<CItemRectangleFactory>(registry, "RECTANGLE") && ok;
    ok = addFactory<CItemEllipseFactory>(registry, "ELLIPSE") && ok;
    ok = addFactory<CItemCircleFactory>(registry, "CIRCLE") && ok;
    ok = addFactory<CItemTextFactory>(registry, "TEXT") && ok;
    ok = addFactory<CItemImageFactory>(registry, "IMAGE") && ok;
    ok = addFactory<CItemButtonFactory>(registry, "BUTTON") && ok;
    ok = addFactory<CItemTextDisplayFactory>(registry, "TEXT_DISPLAY") && ok;
    ok = addFactory<CItemProgressFactory>(registry, "PROGRESS") && ok;
    ok = addFactory<CItemMeterFactory>(registry, "METER") && ok;
    ok = addFactory<CItemSliderFactory>(registry, "SLIDER") && ok;
    ok = addFactory<CItemRTCFactory>(registry, "RTC") && ok;
    ok = addFactory<CItemAnimationFactory>(registry, "ANIMATION") && ok;
    ok = addFactory<CItemGraphFactory>(registry, "GRAPH") && ok;
    return ok;
}

bool ensureItemFactoriesRegistered() {
    static const bool registered = registerItemFactories(ItemRegistry::instance());
    return registered;
}

} // namespace tft
