#include "property_template.h"

#include "command_lines.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cctype>
#include <mutex>
#include <sstream>

namespace tft::ide {

namespace {

const char* resourceName(TemplateSet set, bool chinese) {
    switch (set) {
    case TemplateSet::Shapes:
        return chinese ? ":/templates/shapes_zh.xml" : ":/templates/shapes_en.xml";
    case TemplateSet::Screen:
        return chinese ? ":/templates/screen_zh.xml" : ":/templates/screen_en.xml";
    case TemplateSet::Project:
        return chinese ? ":/templates/project_zh.xml" : ":/templates/project_en.xml";
    }
    return "";
}

std::string readResource(const char* name) {
    QFile file(QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

// The shape templates parsed once per language; a kind's template copies its
// item out of them.
const pugi::xml_document& shapeDocument(bool chinese) {
    static std::once_flag once[2];
    static pugi::xml_document docs[2];
    const int i = chinese ? 1 : 0;
    std::call_once(once[i], [&] {
        const std::string& text =
            builtInTemplate(TemplateSet::Shapes, chinese ? kLanguageChinese : kLanguageEnglish);
        docs[i].load_buffer(text.data(), text.size());
    });
    return docs[i];
}

pugi::xml_node findIn(const pugi::xml_node& from, std::string_view name) {
    for (pugi::xml_node item : from.children()) {
        if (item.type() != pugi::node_element)
            continue;
        if (name == item.attribute("NAME").value())
            return item;
        if (pugi::xml_node inner = findIn(item, name))
            return inner;
    }
    return {};
}

void setAttribute(pugi::xml_node item, const char* attribute, const std::string& value) {
    pugi::xml_attribute a = item.attribute(attribute);
    if (!a)
        a = item.append_attribute(attribute);
    a.set_value(value.c_str());
}

void collectNames(const pugi::xml_node& from, std::vector<std::string>& names) {
    for (pugi::xml_node item : from.children("item")) {
        names.emplace_back(item.attribute("NAME").value());
        collectNames(item, names);
    }
}

} // namespace

const std::string& builtInTemplate(TemplateSet set, int language) {
    static std::once_flag once;
    static std::array<std::string, 6> texts;
    std::call_once(once, [] {
        for (int s = 0; s < 3; ++s)
            for (int c = 0; c < 2; ++c)
                texts[s * 2 + c] = readResource(resourceName(TemplateSet(s), c == 1));
    });
    return texts[int(set) * 2 + (language == kLanguageChinese ? 1 : 0)];
}

PropertyTemplate& PropertyTemplate::operator=(const PropertyTemplate& other) {
    if (this != &other)
        doc_.reset(other.doc_);
    return *this;
}

bool PropertyTemplate::parse(const std::string& text) {
    doc_.reset();
    if (!doc_.load_buffer(text.data(), text.size()) || !doc_.document_element()) {
        doc_.reset();
        return false;
    }
    return true;
}

PropertyTemplate PropertyTemplate::forShapeKind(int typeId, int language) {
    PropertyTemplate result;
    const pugi::xml_node all = shapeDocument(language == kLanguageChinese).document_element();
    for (pugi::xml_node item : all.children("item"))
        if (item.attribute("TYPEID").as_int(-1) == typeId) {
            result.doc_.append_copy(item);
            break;
        }
    return result;
}

PropertyTemplate PropertyTemplate::forScreen(int language) {
    PropertyTemplate result;
    result.parse(builtInTemplate(TemplateSet::Screen, language));
    return result;
}

PropertyTemplate PropertyTemplate::forProject(int language) {
    PropertyTemplate result;
    result.parse(builtInTemplate(TemplateSet::Project, language));
    return result;
}

pugi::xml_node PropertyTemplate::find(std::string_view name) const {
    const pugi::xml_node top = root();
    if (!top)
        return {};
    if (name == top.attribute("NAME").value())
        return top;
    return findIn(top, name);
}

std::string PropertyTemplate::value(std::string_view name) const {
    return find(name).attribute("VALUE").value();
}

bool PropertyTemplate::setValue(std::string_view name, const std::string& value) {
    pugi::xml_node item = find(name);
    if (!item)
        return false;
    setAttribute(item, "VALUE", value);
    return true;
}

bool PropertyTemplate::setEditable(std::string_view name, bool editable) {
    pugi::xml_node item = find(name);
    if (!item)
        return false;
    setAttribute(item, "EDITABLE", editable ? "1" : "0");
    return true;
}

bool PropertyTemplate::setOptions(std::string_view name, const std::vector<std::string>& captions,
                                  const std::vector<std::string>& enums) {
    pugi::xml_node item = find(name);
    if (!item)
        return false;
    setAttribute(item, "OPTIONS", joinList(captions));
    setAttribute(item, "ENUMS", joinList(enums));
    return true;
}

bool PropertyTemplate::remove(std::string_view name) {
    pugi::xml_node item = find(name);
    return item && item.parent().remove_child(item);
}

std::vector<std::string> PropertyTemplate::names() const {
    std::vector<std::string> result;
    if (const pugi::xml_node top = root()) {
        result.emplace_back(top.attribute("NAME").value());
        collectNames(top, result);
    }
    return result;
}

std::string PropertyTemplate::text() const {
    std::ostringstream out;
    doc_.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

bool PropertyTemplate::isCategory(const pugi::xml_node& item) {
    return editorKind(item) == "CATEGORY";
}

std::string PropertyTemplate::editorKind(const pugi::xml_node& item) {
    std::string kind = item.attribute("CTYPE").value();
    std::transform(kind.begin(), kind.end(), kind.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return kind;
}

std::vector<std::string> splitList(std::string_view text) {
    std::vector<std::string> parts;
    if (text.empty())
        return parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(';', start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return parts;
}

std::string joinList(const std::vector<std::string>& parts) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i)
            text += ';';
        text += parts[i];
    }
    return text;
}

} // namespace tft::ide
