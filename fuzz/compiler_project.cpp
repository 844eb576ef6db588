// Feeds one input to the compiler's readers three ways: as a page document,
// as a project document (its pages point into a folder that does not exist,
// so nothing on the disk is read), and as an action list.
#include "compiler/build_action_manager.h"
#include "compiler/item_registry.h"
#include "compiler/project.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const tft::DeviceCatalogue& catalogue() {
    static const tft::DeviceCatalogue devices =
        tft::DeviceCatalogue::parse("<DeviceInfo><Device TypeID='3' ScreenResolutionWidth='800' "
                                    "ScreenResolutionHeight='480'/></DeviceInfo>");
    return devices;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        tft::CBuildActionManager::instance().setOutput(nullptr);
        return tft::ensureItemKindsRegistered();
    }();
    if (!ready)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);

    tft::CItemEditor page;
    if (page.loadText(text)) {
        for (const auto& item : page.items()) {
            pugi::xml_document doc;
            pugi::xml_node element = doc.append_child("item");
            item->save(element);
            (void)item->messagePrefix();
        }
    }

    tft::CProject project;
    project.loadText(text, "/nonexistent-fuzz-folder/", catalogue());

    tft::ItemList actions;
    tft::parseActionList(text, actions);
    tft::CBuildActionManager::instance().reset();
    tft::CBuildActionManager::instance().setOutput(nullptr);
    return 0;
}
