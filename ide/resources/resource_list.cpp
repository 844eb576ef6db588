#include "resource_list.h"

#include <QFileInfo>
#include <algorithm>
#include <pugixml.hpp>

namespace tft::ide {

namespace {

qint64 number(const pugi::xml_node& node, const char* name) {
    return node.attribute(name).as_llong(0);
}

// Numbers the pane adds up must not be negative: a damaged file would
// otherwise show negative totals and shares.
bool readEntry(const pugi::xml_node& node, ResourceEntry& entry, QString& error) {
    entry.type = QString::fromUtf8(node.name());
    entry.id = number(node, "id");
    entry.size = number(node, "size");
    entry.width = number(node, "width");
    entry.height = number(node, "height");
    entry.effectWidth = number(node, "effect_width");
    entry.effectHeight = number(node, "effect_height");
    entry.channels = number(node, "channels");
    entry.sampleBits = number(node, "samplebits");
    entry.sampleRate = number(node, "samplerate");
    entry.offset = number(node, "offset");
    entry.path = QString::fromUtf8(
        node.attribute(entry.type == QLatin1String("page") ? "name" : "url").value());
    for (const qint64 value :
         {entry.size, entry.width, entry.height, entry.effectWidth, entry.effectHeight,
          entry.channels, entry.sampleBits, entry.sampleRate, entry.offset}) {
        if (value < 0) {
            error = QStringLiteral("negative number in <%1> at offset %2")
                        .arg(entry.type)
                        .arg(node.offset_debug());
            return false;
        }
    }
    return true;
}

bool readGroup(const pugi::xml_node& root, const char* query, ResourceGroup& group,
               QString& error) {
    for (const pugi::xpath_node& found : root.select_nodes(query)) {
        ResourceEntry entry;
        if (!readEntry(found.node(), entry, error))
            return false;
        group.entries.push_back(entry);
    }
    return true;
}

} // namespace

qint64 ResourceGroup::total() const {
    qint64 sum = 0;
    for (const ResourceEntry& entry : entries)
        sum += entry.size;
    return sum;
}

qint64 ResourceList::usedBytes() const {
    qint64 end = images.total();
    for (const ResourceEntry& wave : waves.entries)
        end = std::max(end, wave.offset - kResourceBase + wave.size);
    return end;
}

ResourceList ResourceList::read(const QString& path) {
    ResourceList list;
    if (!QFileInfo(path).isFile())
        return list;
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_file(QFileInfo(path).absoluteFilePath().toLocal8Bit().constData());
    list.status = Status::Malformed;
    if (!parsed) {
        list.error = QStringLiteral("%1 at offset %2")
                         .arg(QString::fromUtf8(parsed.description()))
                         .arg(parsed.offset);
        return list;
    }
    const pugi::xml_node root = document.document_element();
    if (std::string(root.name()) != "Resource") {
        list.error = QStringLiteral("the root element is not <Resource>");
        return list;
    }
    if (!readGroup(root, "//page", list.pages, list.error) ||
        !readGroup(root, "//image", list.images, list.error) ||
        !readGroup(root, "//wave", list.waves, list.error)) {
        list.pages = list.images = list.waves = {};
        return list;
    }
    list.status = Status::Loaded;
    return list;
}

} // namespace tft::ide
