// The project: the project file with its device settings, pages, global
// pictures and sounds, checked against the device catalogue while loading.
#pragma once

#include "compiler/device_catalogue.h"
#include "compiler/item_editor.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tft {

class CBuildActionManager;

struct GlobalImageInfo {
    std::string path; // relative to the project folder, as written
    std::int32_t download = 0;
};

struct GlobalWaveInfo {
    std::string path;
};

using PageList = std::vector<std::unique_ptr<IItemEditor>>;

class IProject {
public:
    virtual ~IProject() = default;
    virtual bool load(const std::string& path) = 0;
    virtual void clear() = 0;
    virtual void addPage(std::unique_ptr<IItemEditor> page) = 0;
    virtual std::size_t pageCount() const = 0;
    virtual const std::string& projectFilePath() const = 0;
    // The folder of the project file as written, ending in its separator
    // (empty for a project file in the working folder).
    virtual const std::string& projectFolder() const = 0;
    virtual const std::string& name() const = 0;
    virtual const std::string& fileName() const = 0;
    // Project folder + `OutputDirectory`, as written.
    virtual const std::string& outputDirectory() const = 0;
    virtual std::int32_t deviceType() const = 0;
    virtual std::int32_t deviceBaudRate() const = 0;
    virtual std::int32_t deviceCoordinateUpdateMode() const = 0;
    virtual std::int32_t deviceScreensPresent() const = 0; // the constant 1
    virtual std::int32_t deviceEnableTouchPane() const = 0;
    virtual std::int32_t deviceEnableBuzzer() const = 0;
    virtual std::int32_t deviceScreenRvs() const = 0;
    virtual std::int32_t deviceScreenNotify() const = 0;
    virtual std::int32_t deviceControlNotify() const = 0;
    virtual std::int32_t deviceBacklightAutoControl() const = 0;
    virtual std::int32_t deviceBacklightTime() const = 0;
    virtual std::int32_t deviceBacklightOn() const = 0;
    virtual std::int32_t deviceBacklightOff() const = 0;
    virtual std::int32_t screenWidth() const = 0;
    virtual std::int32_t screenHeight() const = 0;
    virtual const std::vector<GlobalImageInfo>& images() const = 0;
    virtual const std::vector<GlobalWaveInfo>& waves() const = 0;
    virtual const ItemList& startupActions() const = 0;
    virtual const std::string& startupPage() const = 0;
    virtual const PageList& pages() const = 0;
};

class CProject final : public IProject {
public:
    // Where load messages go; the process-wide sink when none is set. Pages
    // the project loads report to the same sink.
    void setMessageSink(CBuildActionManager* sink) { sink_ = sink; }

    // Uses the process-wide device catalogue.
    bool load(const std::string& path) override;
    bool load(const std::string& path, const DeviceCatalogue& catalogue);
    // Loads a project document held in memory; pages are read relative to
    // `folder` (a folder text ending in a separator, or empty).
    bool loadText(const std::string& xml, const std::string& folder,
                  const DeviceCatalogue& catalogue);

    void clear() override;
    void addPage(std::unique_ptr<IItemEditor> page) override;
    std::size_t pageCount() const override { return pages_.size(); }
    const std::string& projectFilePath() const override { return path_; }
    const std::string& projectFolder() const override { return folder_; }
    const std::string& name() const override { return name_; }
    const std::string& fileName() const override { return fileName_; }
    const std::string& outputDirectory() const override { return outputDirectory_; }
    std::int32_t deviceType() const override { return deviceType_; }
    std::int32_t deviceBaudRate() const override { return baudRate_; }
    std::int32_t deviceCoordinateUpdateMode() const override { return coordinateUpdateMode_; }
    std::int32_t deviceScreensPresent() const override { return 1; }
    std::int32_t deviceEnableTouchPane() const override { return enableTouchPane_; }
    std::int32_t deviceEnableBuzzer() const override { return enableBuzzer_; }
    std::int32_t deviceScreenRvs() const override { return screenRvs_; }
    std::int32_t deviceScreenNotify() const override { return screenNotify_; }
    std::int32_t deviceControlNotify() const override { return controlNotify_; }
    std::int32_t deviceBacklightAutoControl() const override { return backlightAutoControl_; }
    std::int32_t deviceBacklightTime() const override { return backlightTime_; }
    std::int32_t deviceBacklightOn() const override { return backlightOn_; }
    std::int32_t deviceBacklightOff() const override { return backlightOff_; }
    std::int32_t screenWidth() const override { return screenWidth_; }
    std::int32_t screenHeight() const override { return screenHeight_; }
    const std::vector<GlobalImageInfo>& images() const override { return images_; }
    const std::vector<GlobalWaveInfo>& waves() const override { return waves_; }
    const ItemList& startupActions() const override { return startupActions_; }
    const std::string& startupPage() const override { return startupPage_; }
    const PageList& pages() const override { return pages_; }

    // `OutputDirectory` exactly as the project file writes it.
    const std::string& outputDirectorySetting() const { return outputSetting_; }

private:
    bool loadDocument(const pugi::xml_document& doc, const DeviceCatalogue& catalogue);
    CBuildActionManager& messageSink() const;

    CBuildActionManager* sink_ = nullptr;

    std::string path_, folder_, fileName_, extension_;
    std::string name_, outputSetting_ = "output\\", outputDirectory_;
    std::int32_t deviceType_ = 0;
    std::int32_t screenWidth_ = 0, screenHeight_ = 0;
    std::int32_t baudRate_ = 0, coordinateUpdateMode_ = 0, enableTouchPane_ = 0;
    std::int32_t enableBuzzer_ = 0, screenNotify_ = 0, controlNotify_ = 0, screenRvs_ = 0;
    std::int32_t backlightAutoControl_ = 0, backlightTime_ = 30, backlightOn_ = 20;
    std::int32_t backlightOff_ = 200;
    std::string startupPage_;
    ItemList startupActions_;
    PageList pages_;
    std::vector<GlobalImageInfo> images_;
    std::vector<GlobalWaveInfo> waves_;
};

// The project being built, for the item compilers (null before a load).
IProject* currentProject();
void setCurrentProject(IProject* project);

} // namespace tft
