#include "fonttools/font_pack.h"

#include "fonttools/charset.h"
#include "pack_io.h"

#include <QFile>
#include <QSaveFile>
#include <pugixml.hpp>

namespace tft::fonttools {

namespace fs = std::filesystem;

namespace detail {

bool readWholeFile(const fs::path& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot open " + path.string() + ": " + file.errorString().toStdString();
        return false;
    }
    const QByteArray all = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = "cannot read " + path.string() + ": " + file.errorString().toStdString();
        return false;
    }
    bytes.assign(all.begin(), all.end());
    return true;
}

} // namespace detail

namespace {

// An integer attribute in [low, high]; anything else is reported by name.
bool intAttribute(const pugi::xml_node& node, const char* name, int low, int high, int& value,
                  std::string& error) {
    const pugi::xml_attribute attr = node.attribute(name);
    const std::string text = attr.value();
    std::size_t used = 0;
    long parsed = 0;
    try {
        parsed = std::stol(text, &used, 10);
    } catch (const std::exception&) {
        used = 0;
    }
    if (!attr || text.empty() || used != text.size() || parsed < low || parsed > high) {
        error = std::string("font element at offset ") + std::to_string(node.offset_debug()) +
                ": attribute " + name + " must be a number from " + std::to_string(low) + " to " +
                std::to_string(high) + ", not \"" + text + "\"";
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

std::size_t fontGlyphCount(int type) {
    switch (type) {
    case kEncodingGb2312:
        return static_cast<std::size_t>(glyphCount(Charset::Gb2312));
    case kEncodingGbk:
        return static_cast<std::size_t>(glyphCount(Charset::Gbk));
    case kEncodingSingleByte:
        return static_cast<std::size_t>(glyphCount(Charset::Ascii));
    case kEncodingBig5:
        return 94 * 157; // leads 0xA1..0xFE, trails 0x40..0x7E and 0xA1..0xFE
    default:
        return 0;
    }
}

std::size_t panelGlyphBytes(int width, int height) {
    if (width <= 0 || height <= 0) {
        return 0;
    }
    return static_cast<std::size_t>((width + 7) / 8) * static_cast<std::size_t>(height);
}

bool readFontList(const fs::path& fontsXml, std::vector<FontEntry>& fonts, std::string& error) {
    fonts.clear();
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_file(fontsXml.c_str());
    if (!parsed) {
        error = fontsXml.string() + ": " + parsed.description() + " at offset " +
                std::to_string(parsed.offset);
        return false;
    }
    for (const pugi::xpath_node& xnode : doc.select_nodes("//font")) {
        const pugi::xml_node node = xnode.node();
        FontEntry entry;
        // The mask holds 32 bits, and the panel's table stores bytes.
        if (!intAttribute(node, "id", 0, 31, entry.id, error) ||
            !intAttribute(node, "type", 0, 3, entry.type, error) ||
            !intAttribute(node, "width", 1, 255, entry.width, error) ||
            !intAttribute(node, "height", 1, 255, entry.height, error)) {
            error = fontsXml.string() + ": " + error;
            fonts.clear();
            return false;
        }
        entry.name = node.attribute("name").value();
        entry.file = node.attribute("file").value();
        if (entry.file.empty()) {
            error = fontsXml.string() + ": font " + std::to_string(entry.id) + " names no file";
            fonts.clear();
            return false;
        }
        fonts.push_back(std::move(entry));
    }
    return true;
}

bool buildFontPack(const fs::path& fontFolder, std::uint32_t mask, FontPack& pack,
                   std::string& error) {
    pack = FontPack{};
    std::vector<FontEntry> fonts;
    if (!readFontList(fontFolder / "fonts.xml", fonts, error)) {
        return false;
    }
    for (const FontEntry& font : fonts) {
        if ((mask >> font.id & 1u) == 0) {
            continue;
        }
        std::string relative = font.file;
        for (char& c : relative) {
            if (c == '\\') {
                c = '/';
            }
        }
        const fs::path file = fontFolder / relative;
        std::vector<std::uint8_t> bytes;
        if (!detail::readWholeFile(file, bytes, error)) {
            error = "font " + std::to_string(font.id) + " (" + font.name + "): " + error;
            return false;
        }
        const std::size_t needed =
            fontGlyphCount(font.type) * panelGlyphBytes(font.width, font.height);
        if (bytes.size() < needed) {
            error = "font " + std::to_string(font.id) + " (" + font.name + "): " + file.string() +
                    " holds " + std::to_string(bytes.size()) + " bytes, its glyphs need " +
                    std::to_string(needed);
            return false;
        }
        if (pack.data.size() + bytes.size() > 0xFFFFFFFFu) {
            error = "font pack exceeds 4 GiB";
            return false;
        }
        std::uint8_t record[kFontIndexRecordSize];
        record[0] = static_cast<std::uint8_t>(font.id);
        record[1] = static_cast<std::uint8_t>(font.type);
        record[2] = static_cast<std::uint8_t>(font.width);
        record[3] = static_cast<std::uint8_t>(font.height);
        detail::putU32(record + 4, static_cast<std::uint32_t>(pack.data.size()));
        pack.index.insert(pack.index.end(), record, record + kFontIndexRecordSize);
        pack.data.insert(pack.data.end(), bytes.begin(), bytes.end());
    }
    return true;
}

PackStatus writeFontPack(const fs::path& fontFolder, std::uint32_t mask, const fs::path& indexFile,
                         const fs::path& dataFile, std::string& error) {
    if (!fs::exists(fontFolder / "fonts.xml")) {
        return PackStatus::Skipped;
    }
    FontPack pack;
    if (!buildFontPack(fontFolder, mask, pack, error)) {
        return PackStatus::Failed;
    }
    QSaveFile data(QString::fromStdString(dataFile.string()));
    QSaveFile index(QString::fromStdString(indexFile.string()));
    const auto put = [](QSaveFile& file, const std::vector<std::uint8_t>& bytes) {
        return file.open(QIODevice::WriteOnly) &&
               file.write(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
    };
    if (!put(data, pack.data)) {
        error = "cannot write " + dataFile.string() + ": " + data.errorString().toStdString();
        return PackStatus::Failed;
    }
    if (!put(index, pack.index)) {
        error = "cannot write " + indexFile.string() + ": " + index.errorString().toStdString();
        return PackStatus::Failed;
    }
    // Both temporaries are complete; commit the data before the index that
    // points into it.
    if (!data.commit()) {
        error = "cannot write " + dataFile.string() + ": " + data.errorString().toStdString();
        return PackStatus::Failed;
    }
    if (!index.commit()) {
        error = "cannot write " + indexFile.string() + ": " + index.errorString().toStdString();
        std::error_code ignored;
        fs::remove(dataFile, ignored);
        return PackStatus::Failed;
    }
    return PackStatus::Written;
}

} // namespace tft::fonttools
