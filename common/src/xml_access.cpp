#include "common/xml_access.h"

#include "common/atomic_file.h"

#include <sstream>

namespace tft {

namespace {

std::string describe(const pugi::xml_parse_result& r) {
    return std::string(r.description()) + " at byte " + std::to_string(r.offset);
}

} // namespace

bool CXMLAccess::LoadFile(const std::string& path, std::string* error) {
    const pugi::xml_parse_result r = doc_.load_file(path.c_str(), pugi::parse_default);
    modified_ = false;
    if (!r) {
        doc_.reset();
        if (error)
            *error = path + ": " + describe(r);
        return false;
    }
    return true;
}

bool CXMLAccess::LoadText(std::string_view text, std::string* error) {
    const pugi::xml_parse_result r = doc_.load_buffer(text.data(), text.size());
    modified_ = false;
    if (!r) {
        doc_.reset();
        if (error)
            *error = describe(r);
        return false;
    }
    return true;
}

bool CXMLAccess::SaveFile(const std::string& path, std::string* error) {
    if (!writeFileAtomically(path, GetXml(), error))
        return false;
    modified_ = false;
    return true;
}

pugi::xml_node CXMLAccess::SelectNode(const std::string& xpath) const {
    try {
        return doc_.select_node(xpath.c_str()).node();
    } catch (const pugi::xpath_exception&) {
        return {};
    }
}

pugi::xpath_node_set CXMLAccess::SelectNodes(const std::string& xpath) const {
    try {
        return doc_.select_nodes(xpath.c_str());
    } catch (const pugi::xpath_exception&) {
        return {};
    }
}

std::optional<std::string> CXMLAccess::GetAttribute(const std::string& xpath,
                                                    const std::string& name) const {
    const pugi::xml_node node = SelectNode(xpath);
    if (!node)
        return std::nullopt;
    const pugi::xml_attribute attr = node.attribute(name.c_str());
    if (!attr)
        return std::nullopt;
    return std::string(attr.value());
}

bool CXMLAccess::SetAttribute(const std::string& xpath, const std::string& name,
                              const std::string& value) {
    pugi::xml_node node = SelectNode(xpath);
    if (!node)
        return false;
    pugi::xml_attribute attr = node.attribute(name.c_str());
    if (!attr)
        attr = node.append_attribute(name.c_str());
    attr.set_value(value.c_str());
    modified_ = true;
    return true;
}

bool CXMLAccess::RemoveNode(const std::string& xpath) {
    pugi::xml_node node = SelectNode(xpath);
    if (!node || !node.parent())
        return false;
    node.parent().remove_child(node);
    modified_ = true;
    return true;
}

std::string CXMLAccess::GetXml() const {
    std::ostringstream out;
    doc_.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

} // namespace tft
