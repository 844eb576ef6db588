#include "compiler/project.h"

#include "common/paths.h"
#include "compiler/build_action_manager.h"
#include "compiler/item_registry.h"

namespace tft {
namespace {

IProject* gCurrentProject = nullptr;

std::int32_t intAttribute(const pugi::xml_node& node, const char* name, std::int32_t fallback) {
    const pugi::xml_attribute attribute = node.attribute(name);
    return attribute ? parseInteger(attribute.value()).value_or(fallback) : fallback;
}

} // namespace

IProject* currentProject() {
    return gCurrentProject;
}
void setCurrentProject(IProject* project) {
    gCurrentProject = project;
}

CBuildActionManager& CProject::messageSink() const {
    return sink_ ? *sink_ : CBuildActionManager::instance();
}

void CProject::clear() {
    CBuildActionManager* sink = sink_;
    *this = CProject();
    sink_ = sink;
}

void CProject::addPage(std::unique_ptr<IItemEditor> page) {
    if (page)
        pages_.push_back(std::move(page));
}

bool CProject::load(const std::string& path) {
    return load(path, DeviceCatalogue::instance());
}

bool CProject::load(const std::string& path, const DeviceCatalogue& catalogue) {
    clear();
    CBuildActionManager& sink = messageSink();
    // The path keeps its case: Linux file names are case-sensitive.
    SplitPath split;
    if (!splitFilePath(path, split)) {
        sink.error(msg::BadProjectPath);
        return false;
    }
    path_ = split.trimmed;
    folder_ = split.folder;
    fileName_ = split.fileName;
    extension_ = split.extension;

    pugi::xml_document doc;
    doc.load_file(toNativeSeparators(path_).c_str());
    return loadDocument(doc, catalogue);
}

bool CProject::loadText(const std::string& xml, const std::string& folder,
                        const DeviceCatalogue& catalogue) {
    clear();
    folder_ = folder;
    pugi::xml_document doc;
    doc.load_buffer(xml.data(), xml.size());
    return loadDocument(doc, catalogue);
}

bool CProject::loadDocument(const pugi::xml_document& doc, const DeviceCatalogue& catalogue) {
    CBuildActionManager& sink = messageSink();
    const pugi::xml_node root = doc.document_element();
    if (!root) {
        sink.error(msg::ProjectReadFailed);
        return false;
    }

    outputSetting_ = root.attribute("OutputDirectory").as_string("output\\");
    outputDirectory_ = folder_ + outputSetting_;
    name_ = root.attribute("Name").as_string();
    deviceType_ = intAttribute(root, "DeviceType", 0);
    const DeviceProp* device = catalogue.findByType(deviceType_);
    if (device == nullptr) {
        sink.error(msg::UnknownDevice);
        return false;
    }
    screenWidth_ = device->ScreenResolutionWidth;
    screenHeight_ = device->ScreenResolutionHeight;

    startupPage_ = root.attribute("StartupPage").as_string();
    if (!parseActionList(root.attribute("StartupAction").as_string(), startupActions_)) {
        // Without a word the user would only learn that the load failed.
        sink.error(msg::StartupActionWrong);
        return false;
    }

    baudRate_ = intAttribute(root, "DeviceBaudRate", 0);
    coordinateUpdateMode_ = intAttribute(root, "DeviceCoordinateUpdateMode", 0);
    enableTouchPane_ = intAttribute(root, "DeviceEnableTouchPane", 0);
    enableBuzzer_ = intAttribute(root, "DeviceEnableBuzzer", 0);
    screenNotify_ = intAttribute(root, "DeviceScreenNotify", 0);
    controlNotify_ = intAttribute(root, "DeviceControlNotify", 0);
    screenRvs_ = intAttribute(root, "DeviceScreenRvs", 0);
    backlightAutoControl_ = intAttribute(root, "DeviceBacklightAutoControl", 0);
    backlightTime_ = intAttribute(root, "DeviceBacklightTime", 30);
    backlightOn_ = intAttribute(root, "DeviceBacklightOn", 20);
    backlightOff_ = intAttribute(root, "DeviceBacklightOff", 200);
    if (screenRvs_ & 1)
        std::swap(screenWidth_, screenHeight_);

    const pugi::xml_node pages = root.child("Pages");
    if (!pages) {
        sink.error(msg::ProjectReadFailed);
        return false;
    }
    sink.info(msg::CompilingScreens);
    if (!pages.child("Page"))
        sink.warning(msg::NoScreens);
    for (pugi::xml_node entry : pages.children("Page")) {
        const std::string relative = entry.attribute("RelativePath").as_string();
        if (relative.empty())
            continue;
        // A project reads nothing outside its own folder.
        const Confinement where = checkConfinement(relative);
        if (where == Confinement::Absolute || where == Confinement::Escapes) {
            sink.error(msg::BadScreenPath, {relative});
            sink.error(msg::LoadFailed, {relative});
            return false;
        }
        auto page = std::make_unique<CItemEditor>();
        page->setMessageSink(sink_);
        if (page->load(folder_ + relative)) {
            pages_.push_back(std::move(page));
        } else {
            sink.error(msg::LoadFailed, {relative});
            return false;
        }
    }

    const pugi::xml_node images = root.child("Images");
    if (!images) {
        sink.error(msg::ProjectReadFailed);
        return false;
    }
    for (pugi::xml_node entry : images.children("Image"))
        images_.push_back(
            {entry.attribute("RelativePath").as_string(), intAttribute(entry, "Download", 0)});

    for (pugi::xml_node entry : root.child("Waves").children("Wave"))
        waves_.push_back({entry.attribute("RelativePath").as_string()});
    return true;
}

} // namespace tft
