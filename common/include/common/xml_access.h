// CXMLAccess: a thin layer over pugixml for the IDE, the simulator and the
// tools. Values are text; nodes are addressed by XPath.
#pragma once

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace tft {

class CXMLAccess {
public:
    // Loading replaces the document. On failure the document is empty and
    // `error` (when given) holds the reason with the byte offset.
    bool LoadFile(const std::string& path, std::string* error = nullptr);
    bool LoadText(std::string_view text, std::string* error = nullptr);
    // Writes atomically (temporary file, then rename); clears the modified flag.
    bool SaveFile(const std::string& path, std::string* error = nullptr);

    // Nodes by XPath; an invalid expression yields an empty result.
    pugi::xml_node SelectNode(const std::string& xpath) const;
    pugi::xpath_node_set SelectNodes(const std::string& xpath) const;

    // Attribute of the first node at `xpath`; nothing when node or attribute is missing.
    std::optional<std::string> GetAttribute(const std::string& xpath,
                                            const std::string& name) const;
    // Sets (creating if needed) an attribute of the first node at `xpath`.
    bool SetAttribute(const std::string& xpath, const std::string& name, const std::string& value);
    // Removes the first node at `xpath`.
    bool RemoveNode(const std::string& xpath);

    std::string GetXml() const;
    bool IsModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    pugi::xml_document& Document() { return doc_; }
    const pugi::xml_document& Document() const { return doc_; }

private:
    pugi::xml_document doc_;
    bool modified_ = false;
};

} // namespace tft
