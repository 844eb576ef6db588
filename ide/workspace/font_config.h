// System font configuration: which of the built-in fonts each panel model
// holds (the catalogue's `SystemFontMask`), as a grid of fonts x models, and
// where the IDE reads and writes the catalogue.
#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tft::ide {

// The catalogue the IDE reads: the per-user copy when one exists (written when
// the application folder cannot be written), else <appDir>/DeviceInfo.xml.
std::filesystem::path catalogueFile(const std::filesystem::path& appDir);
// Where a changed catalogue goes: the application folder's file when that
// folder is writable, else the per-user copy.
std::filesystem::path catalogueFileForWriting(const std::filesystem::path& appDir);
// The per-user copy: <writable app config folder>/DeviceInfo.xml.
std::filesystem::path userCatalogueFile();

class FontMaskGrid {
public:
    struct Font {
        int id = 0;
        QString name;
        QString caption() const { return QStringLiteral("%1. %2").arg(id).arg(name); }
    };
    struct Model {
        int typeId = 0;
        QString name;
        std::uint32_t mask = 0;
    };

    // Rows from <appDir>/font/fonts.xml, columns from the catalogue; a file
    // that is missing or does not read leaves its side empty.
    static FontMaskGrid load(const std::filesystem::path& fontsXml,
                             const std::filesystem::path& catalogue);

    const std::vector<Font>& fonts() const { return fonts_; }
    const std::vector<Model>& models() const { return models_; }
    bool checked(std::size_t font, std::size_t model) const;
    void setChecked(std::size_t font, std::size_t model, bool on);
    // The mask a model column gives: bit `id` of every ticked row.
    std::uint32_t maskOf(std::size_t model) const;

    // Writes every column's mask into `source`'s DeviceInfo elements (found by
    // TypeID; a model without one is skipped) and saves the result
    // atomically to `target`. Nothing is written for an empty grid.
    bool save(const std::filesystem::path& source, const std::filesystem::path& target,
              std::string& error) const;

    void setFonts(std::vector<Font> fonts) { fonts_ = std::move(fonts); }
    void setModels(std::vector<Model> models) { models_ = std::move(models); }

private:
    std::vector<Font> fonts_;
    std::vector<Model> models_;
};

} // namespace tft::ide
