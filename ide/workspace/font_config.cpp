#include "font_config.h"

#include "common/atomic_file.h"
#include "compiler/device_catalogue.h"
#include "fonttools/font_pack.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <pugixml.hpp>
#include <sstream>

namespace tft::ide {

std::filesystem::path userCatalogueFile() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return std::filesystem::path(
        QDir(folder).filePath(QStringLiteral("DeviceInfo.xml")).toStdString());
}

std::filesystem::path catalogueFile(const std::filesystem::path& appDir) {
    const std::filesystem::path user = userCatalogueFile();
    std::error_code ec;
    if (std::filesystem::is_regular_file(user, ec))
        return user;
    return appDir / "DeviceInfo.xml";
}

std::filesystem::path catalogueFileForWriting(const std::filesystem::path& appDir) {
    if (QFileInfo(QString::fromStdString(appDir.string())).isWritable())
        return appDir / "DeviceInfo.xml";
    return userCatalogueFile();
}

FontMaskGrid FontMaskGrid::load(const std::filesystem::path& fontsXml,
                                const std::filesystem::path& catalogue) {
    FontMaskGrid grid;
    std::vector<fonttools::FontEntry> entries;
    std::string error;
    if (fonttools::readFontList(fontsXml, entries, error)) {
        for (const auto& entry : entries)
            grid.fonts_.push_back({entry.id, QString::fromStdString(entry.name)});
    }
    const DeviceCatalogue devices = DeviceCatalogue::load(catalogue);
    for (std::size_t i = 0; i < devices.count(); ++i) {
        const auto& device = devices.at(i);
        grid.models_.push_back({device.TypeID, QString::fromStdString(device.typeNameUtf8()),
                                static_cast<std::uint32_t>(device.SystemFontMask)});
    }
    return grid;
}

namespace {

bool validBit(int id) {
    return id >= 0 && id < 32;
}

} // namespace

bool FontMaskGrid::checked(std::size_t font, std::size_t model) const {
    if (font >= fonts_.size() || model >= models_.size() || !validBit(fonts_[font].id))
        return false;
    return (models_[model].mask >> fonts_[font].id) & 1u;
}

void FontMaskGrid::setChecked(std::size_t font, std::size_t model, bool on) {
    if (font >= fonts_.size() || model >= models_.size() || !validBit(fonts_[font].id))
        return;
    const std::uint32_t bit = 1u << fonts_[font].id;
    std::uint32_t& mask = models_[model].mask;
    mask = on ? (mask | bit) : (mask & ~bit);
}

std::uint32_t FontMaskGrid::maskOf(std::size_t model) const {
    std::uint32_t mask = 0;
    for (std::size_t row = 0; row < fonts_.size(); ++row) {
        if (checked(row, model))
            mask |= 1u << fonts_[row].id;
    }
    return mask;
}

bool FontMaskGrid::save(const std::filesystem::path& source, const std::filesystem::path& target,
                        std::string& error) const {
    if (fonts_.empty() || models_.empty())
        return true;
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_file(source.c_str());
    if (!parsed) {
        error = source.string() + ": " + parsed.description() + " at offset " +
                std::to_string(parsed.offset);
        return false;
    }
    for (std::size_t column = 0; column < models_.size(); ++column) {
        const std::string query =
            "//DeviceInfo/Device[@TypeID=\"" + std::to_string(models_[column].typeId) + "\"]";
        pugi::xml_node device = doc.select_node(query.c_str()).node();
        if (!device)
            continue;
        // Signed, as the catalogue reads it back: bit 31 gives a negative number.
        const auto mask = static_cast<std::int32_t>(maskOf(column));
        pugi::xml_attribute attribute = device.attribute("SystemFontMask");
        if (!attribute)
            attribute = device.append_attribute("SystemFontMask");
        attribute.set_value(std::to_string(mask).c_str());
    }
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    std::ostringstream text;
    doc.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    return writeFileAtomically(target, text.str(), &error);
}

} // namespace tft::ide
