// Compiles every item of one page document with its kind's compile function.
// The resource store is not opened, so pictures are converted and drawn but
// never written; picture paths that leave the working folder are refused.
#include "compiler/build_action_manager.h"
#include "compiler/item_compilers.h"
#include "compiler/item_editor.h"
#include "compiler/item_registry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        tft::CBuildActionManager::instance().setOutput(nullptr);
        return tft::ensureItemKindsRegistered();
    }();
    if (!ready)
        return 0;
    tft::CItemEditor page;
    if (!page.loadText(std::string(reinterpret_cast<const char*>(data), size)))
        return 0;
    for (const auto& item : page.items()) {
        const tft::CompileFunction* compile =
            tft::ItemRegistry::instance().compiler(item->kindName());
        if (compile == nullptr)
            continue;
        std::string text;
        std::vector<std::uint8_t> bytes;
        (*compile)(*item, text, bytes);
    }
    tft::resetCurveCounter();
    return 0;
}
