#include "string_table.h"

#include "command_lines.h"

#include <QDir>
#include <pugixml.hpp>

namespace tft::ide {

const std::vector<int>& ideStringIds() {
#define TFT_IDE_STRING_ID(name, id) id,
    static const std::vector<int> ids{TFT_IDE_STRINGS(TFT_IDE_STRING_ID)};
#undef TFT_IDE_STRING_ID
    return ids;
}

bool StringTable::load(const QString& file, QString* error) {
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_file(file.toStdString().c_str());
    if (!parsed) {
        if (error)
            *error = QStringLiteral("%1: %2 (offset %3)")
                         .arg(file, QString::fromUtf8(parsed.description()))
                         .arg(parsed.offset);
        return false;
    }
    QHash<int, QString> texts;
    for (const pugi::xml_node entry : doc.document_element().children("string")) {
        const int id = entry.attribute("id").as_int(-1);
        if (id >= 0)
            texts.insert(id, QString::fromUtf8(entry.text().as_string()));
    }
    texts_ = std::move(texts);
    return true;
}

QString StringTable::text(int id) const {
    const auto found = texts_.constFind(id);
    return found == texts_.constEnd() ? QStringLiteral("#%1").arg(id) : *found;
}

QString languageFile(const QString& appDir, int languageId) {
    return QDir(appDir).filePath(languageId == kLanguageChinese
                                     ? QStringLiteral("lang/chinese.xml")
                                     : QStringLiteral("lang/english.xml"));
}

StringTable& currentStrings() {
    static StringTable table;
    return table;
}

} // namespace tft::ide
