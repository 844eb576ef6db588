#include "compiler/build_driver.h"

#include "common/frame.h"
#include "common/paths.h"
#include "compiler/build_action_manager.h"
#include "compiler/build_hooks.h"
#include "compiler/identifiers.h"
#include "compiler/item_registry.h"
#include "fonttools/shipped_fonts.h"

#include <new>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace tft {
namespace {

bool skippedKind(const std::string& kind) {
    return kind == "ITEM" || kind == "UNKNOWNTYPE";
}

fs::path folderPath(const IProject& project) {
    const std::string folder = toNativeSeparators(project.projectFolder());
    return folder.empty() ? fs::path(".") : fs::path(folder);
}

// True when `inner` lies strictly inside `outer` once links are resolved.
bool strictlyInside(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    const fs::path realOuter = fs::weakly_canonical(outer, ec);
    if (ec)
        return false;
    const fs::path realInner = fs::weakly_canonical(inner, ec);
    if (ec)
        return false;
    const fs::path relative = realInner.lexically_relative(realOuter);
    return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

} // namespace

std::array<std::uint8_t, kDeviceSettingsSize> deviceSettingsRecord(const IProject& project) {
    const auto type = static_cast<std::uint32_t>(project.deviceType());
    const std::uint32_t flags =
        (static_cast<std::uint32_t>(project.deviceScreensPresent()) & 1) |
        (static_cast<std::uint32_t>(project.deviceEnableTouchPane()) & 1) << 1 |
        (static_cast<std::uint32_t>(project.deviceEnableBuzzer()) & 3) << 2 |
        (static_cast<std::uint32_t>(project.deviceScreenRvs()) & 3) << 4 |
        (static_cast<std::uint32_t>(project.deviceBacklightAutoControl()) & 1) << 6;
    const auto time = static_cast<std::uint32_t>(project.deviceBacklightTime());
    const auto byte = [](std::int64_t v) { return static_cast<std::uint8_t>(v & 0xFF); };
    return {byte(type),
            byte(type >> 8),
            byte(flags),
            byte(flags >> 8),
            byte(project.deviceBaudRate()),
            byte(project.deviceCoordinateUpdateMode()),
            byte(project.deviceScreenNotify()),
            byte(project.deviceControlNotify()),
            byte(time),
            byte(time >> 8),
            byte(255 - static_cast<std::int64_t>(project.deviceBacklightOn())),
            byte(255 - static_cast<std::int64_t>(project.deviceBacklightOff()))};
}

BuildDriver::BuildDriver(const IProject& project, const CompilerOptions& options,
                         IScreenInfoStore& store)
    : project_(project), options_(options), store_(store) {}

bool BuildDriver::prepareOutputDirectory() {
    CBuildActionManager& sink = CBuildActionManager::instance();
    // The name becomes a file name in the output folder: a separator in it
    // would write outside that folder.
    if (project_.name().find_first_of("\\/") != std::string::npos) {
        sink.error(msg::ProjectNameHasSeparator, {project_.name()});
        return false;
    }
    if (hasControlCharacter(project_.name())) {
        sink.error(msg::NameHasControlCharacter, {visibleControls(project_.name())});
        return false;
    }
    const std::string& written = project_.outputDirectory();
    const std::string setting = written.substr(project_.projectFolder().size());
    // The folder is emptied below, so anything but a folder strictly inside
    // the project would delete the user's own files.
    switch (checkConfinement(setting)) {
    case Confinement::Inside:
        break;
    case Confinement::Empty:
        sink.error(msg::OutputDirEmpty);
        return false;
    case Confinement::Absolute:
        sink.error(msg::OutputDirAbsolute, {setting});
        return false;
    case Confinement::Escapes:
        sink.error(msg::OutputDirEscapes, {setting});
        return false;
    case Confinement::FolderItself:
        sink.error(msg::OutputDirIsProject, {setting});
        return false;
    }
    if (setting.back() != '\\' && setting.back() != '/') {
        sink.error(msg::OutputDirNoSeparator, {setting});
        return false;
    }
    const fs::path project = folderPath(project_);
    outputPath_ = joinProjectPath(project, setting);
    std::error_code ec;
    if (fs::is_symlink(outputPath_, ec) || !strictlyInside(outputPath_, project)) {
        sink.error(msg::OutputDirLink, {setting});
        return false;
    }
    if (!fs::exists(outputPath_, ec)) {
        if (!fs::create_directory(outputPath_, ec)) {
            sink.error(msg::OutputDirCreateFailed,
                       {outputPath_.string(), ec ? ec.message() : std::string("?")});
            return false;
        }
        return true;
    }
    if (!fs::is_directory(outputPath_, ec)) {
        sink.error(
            msg::OutputDirCreateFailed,
            {outputPath_.string(), std::make_error_code(std::errc::not_a_directory).message()});
        return false;
    }
    // Entries are removed without following links: a link inside the output
    // folder goes, whatever it points to stays.
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(outputPath_, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    for (const fs::path& entry : entries) {
        if (ec)
            break;
        fs::remove_all(entry, ec);
    }
    if (ec) {
        sink.error(msg::OutputDirClearFailed, {outputPath_.string(), ec.message()});
        return false;
    }
    return true;
}

bool BuildDriver::compileItem(IItemLite* item, std::vector<std::uint8_t>& bytes, std::string& cText,
                              int failureMessage, const std::string& prefix) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    if (item == nullptr) {
        sink.error(prefix + sink.text(msg::NoShapeInfo));
        return false;
    }
    const std::string kind = item->kindName();
    if (skippedKind(kind))
        return true;
    const CompileFunction* compile = ItemRegistry::instance().compiler(kind);
    if (compile == nullptr) {
        sink.error(item->messagePrefix() + sink.text(msg::UnknownShape));
        return false;
    }
    std::vector<std::uint8_t> itemBytes;
    if (!(*compile)(*item, cText, itemBytes)) {
        if (failureMessage == msg::CompileFailed)
            sink.error(item->messagePrefix() + sink.text(failureMessage, {item->name()}));
        else
            sink.error(sink.text(failureMessage));
        return false;
    }
    bytes.insert(bytes.end(), itemBytes.begin(), itemBytes.end());
    return true;
}

void BuildDriver::compileStartup() {
    CBuildActionManager& sink = CBuildActionManager::instance();
    std::vector<std::uint8_t> block;
    const IItemEditor* startup = nullptr;
    for (const auto& page : project_.pages())
        if (equalsNoCase(page->name(), project_.startupPage())) {
            startup = page.get();
            break;
        }
    if (startup != nullptr) {
        const std::uint16_t id = store_.GetScreenId(startup->name());
        const auto frame = FrameBuilder(0xB2).u16(id).finish();
        block.insert(block.end(), frame.begin(), frame.end());
    } else {
        sink.error(msg::StartupPageMissing);
    }
    std::string cText;
    for (const auto& item : project_.startupActions())
        compileItem(item.get(), block, cText, msg::StartupActionWrong, std::string());
    if (!block.empty()) {
        const std::uint16_t id = store_.AddCommandBlock(block.data(), block.size());
        store_.SetStartupBlock(id, 1);
    }
}

// A screen name becomes a C file name, a function name and comments of the
// generated C: it must be one line of code page 936 and must not name a file
// the build writes beside it. False (reported) when it cannot be used.
bool BuildDriver::screenNameUsable(const std::string& name) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    if (hasControlCharacter(name)) {
        sink.error(msg::NameHasControlCharacter, {visibleControls(name)});
        return false;
    }
    if (const auto bad = firstNonGbkCharacter(name)) {
        sink.error(msg::NameNotGbk, {name, bad->position, bad->character, bad->codePoint});
        return false;
    }
    // The identifier file and the driver sources the IDE copies into the
    // output folder after a build.
    for (const char* generated : {"DefineID.c", "hmi_driver.c", "hmi_user_uart.c"}) {
        if (equalsNoCase(name + ".c", generated)) {
            sink.error(msg::ScreenFileClash, {name, name + ".c"});
            return false;
        }
    }
    return true;
}

void BuildDriver::registerScreens() {
    CBuildActionManager& sink = CBuildActionManager::instance();
    std::set<std::string> seen;
    for (const auto& page : project_.pages()) {
        const std::string& name = page->name();
        if (!screenNameUsable(name)) {
            refused_.insert(name);
            continue;
        }
        const std::uint16_t id = store_.GetScreenId(name);
        if (id == kNoId) {
            sink.error(msg::ScreenIdsExhausted);
            return;
        }
        // Two pages of one name would share one id and the second would
        // silently replace the first: the same clash as two names that make
        // one identifier.
        const bool repeated = !seen.insert(name).second;
        const auto added = identifiers_.add(identifierName({"SCREEN", name}), id,
                                            sink.text(msg::ScreenIdComment, {name}));
        if (repeated || added == IdentifierMap::Result::Clash)
            sink.error(msg::ScreenNameClash, {name});
    }
}

void BuildDriver::compileScreen(const IItemEditor& page) {
    std::vector<std::uint8_t> bytes;
    std::string cText;
    if (page.bkTransparent() == 0) {
        const std::uint16_t rgb565 = colourToRgb565(page.bkColor());
        cText += CBuildActionManager::instance().text(msg::BackgroundColourComment) + "SetBcolor(" +
                 std::to_string(rgb565) + ");\nGUI_CleanScreen();\n\n";
        const auto colour = FrameBuilder(0x42).u16(rgb565).finish();
        const auto clear = FrameBuilder(0x01).finish();
        bytes.insert(bytes.end(), colour.begin(), colour.end());
        bytes.insert(bytes.end(), clear.begin(), clear.end());
    } else {
        compileBackgroundPicture(page, bytes, cText);
    }
    for (const auto& item : page.items())
        compileItem(item.get(), bytes, cText, msg::CompileFailed, std::string());
    const std::uint16_t id = store_.GetScreenId(page.name());
    store_.SetScreenCommands(id, bytes.data(), bytes.size());
    finishScreen(page, id, cText);
}

bool BuildDriver::build() {
    CBuildActionManager& sink = CBuildActionManager::instance();
    const auto summary = [&] {
        sink.info(msg::Summary, {project_.name(), std::int64_t{sink.errorCount()},
                                 std::int64_t{sink.warningCount()}});
        return sink.errorCount() == 0;
    };
    outputAccepted_ = prepareOutputDirectory();
    if (!outputAccepted_)
        return summary();
    if (!openOutputFiles(project_, outputPath_))
        sink.error(msg::ResourceFileOpenFailed);

    const auto settings = deviceSettingsRecord(project_);
    store_.SetDeviceSettings(settings.data());
    compileStartup();
    registerScreens();
    sink.info(msg::CompilingScreens);
    for (const auto& page : project_.pages())
        if ((!options_.singleScreen || asciiLower(page->name()) == options_.screenName) &&
            refused_.count(page->name()) == 0)
            compileScreen(*page);
    if (!options_.singleScreen) {
        compileGlobalImages(project_);
        compileSounds(project_);
    }
    closeOutputFiles(identifiers_.definitions());
    saveScreenInfo();
    return summary();
}

// Whatever the build's result, the screen information is written, and a
// failure to write it counts before the summary.
void BuildDriver::saveScreenInfo() {
    store_.SetFormatTag(kFormatTagQV10);
    const fs::path file = outputPath_ / (project_.name() + ".si");
    std::string error;
    if (!store_.SaveScreenInfo(file.string(), &error))
        CBuildActionManager::instance().error(msg::ScreenSaveFailed, {file.string(), error});
}

int runVelmic(const std::vector<std::string>& args, const fs::path& appDir) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    try {
        const OptionsResult parsed = parseCommandLine(args);
        if (!parsed.ok) {
            sink.error(msg::BadArguments);
            return -1;
        }
        const CompilerOptions& options = parsed.options;
        // A missing or unreadable language file leaves the built-in texts.
        sink.messages().loadLanguageFile(MessageTable::languageFile(appDir, options.language));
        fonttools::setShippedFontFolder(QString::fromStdString((appDir / "fonts").string()));
        if (!ensureItemKindsRegistered())
            sink.error(msg::RegistrationFailed);

        CProject project;
        setCurrentProject(&project);
        struct Forget {
            ~Forget() { setCurrentProject(nullptr); }
        } forget;
        if (!project.load(options.projectPath)) {
            sink.error(msg::ProjectLoadFailed);
            return 1;
        }
        IScreenInfoStore* store = GetScreenInfoStore();
        if (store == nullptr)
            return 1;
        BuildDriver driver(project, options, *store);
        return driver.build() ? 0 : 1;
    } catch (const std::bad_alloc&) {
        sink.info(msg::OutOfMemory);
    } catch (const fs::filesystem_error&) {
        sink.info(msg::DiskException);
    } catch (const std::ios_base::failure&) {
        sink.info(msg::DiskException);
    } catch (const std::exception&) {
        sink.info(msg::FrameworkException);
    } catch (...) {
        sink.info(msg::UnknownException);
    }
    // A build that ended in an exception did not succeed.
    return 1;
}

} // namespace tft
