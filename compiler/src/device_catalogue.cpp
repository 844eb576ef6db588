#include "compiler/device_catalogue.h"

#include "common/paths.h"

#include <cerrno>
#include <cstdlib>
#include <pugixml.hpp>

namespace tft {

namespace {

// A value that does not parse as a whole decimal integer leaves the default.
void readInt(const pugi::xml_node& node, const char* name, std::int32_t& field) {
    const pugi::xml_attribute attr = node.attribute(name);
    if (!attr)
        return;
    const char* text = attr.value();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
        return;
    field = static_cast<std::int32_t>(value);
}

void readReal(const pugi::xml_node& node, const char* name, double& field) {
    const pugi::xml_attribute attr = node.attribute(name);
    if (!attr)
        return;
    const char* text = attr.value();
    char* end = nullptr;
    const float value = std::strtof(text, &end); // read as 32-bit real, then widened
    if (end == text || *end != '\0')
        return;
    field = static_cast<double>(value);
}

// UTF-8 to UTF-16, cut at kTypeNameMax units (never inside a surrogate pair).
std::u16string typeNameFrom(const char* utf8) {
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        std::uint32_t cp = 0xFFFD;
        int extra = 0;
        if (*p < 0x80) {
            cp = *p;
        } else if ((*p & 0xE0) == 0xC0) {
            cp = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            cp = *p & 0x07;
            extra = 3;
        }
        ++p;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) {
                cp = 0xFFFD;
                break;
            }
            cp = (cp << 6) | (*p & 0x3F);
        }
        const std::size_t need = cp >= 0x10000 ? 2 : 1;
        if (out.size() + need > DeviceProp::kTypeNameMax)
            break;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp > 0xFFFF ? 0xFFFD : cp));
        }
    }
    return out;
}

CDeviceInfoProp readDevice(const pugi::xml_node& node) {
    CDeviceInfoProp d;
    d.TypeName = typeNameFrom(node.attribute("TypeName").value());
    readInt(node, "Category", d.Category);
    readInt(node, "TypeID", d.TypeID);
    readReal(node, "ScreenSize", d.ScreenSize);
    readInt(node, "ScreenResolutionWidth", d.ScreenResolutionWidth);
    readInt(node, "ScreenResolutionHeight", d.ScreenResolutionHeight);
    readInt(node, "ColorDepth", d.ColorDepth);
    readInt(node, "TouchPane", d.TouchPane);
    readInt(node, "BlockSize", d.BlockSize);
    readInt(node, "SystemFontMask", d.SystemFontMask);
    readInt(node, "FlashSizeOfFont", d.FlashSizeOfFont);
    readInt(node, "FlashSizeOfRes", d.FlashSizeOfRes);
    readInt(node, "FlashSizeOfSystem", d.FlashSizeOfSystem);
    readInt(node, "CommMaskRes", d.CommMaskRes);
    readInt(node, "CommMaskCmd", d.CommMaskCmd);
    readInt(node, "SupportScreenRvs", d.SupportScreenRvs);
    readInt(node, "SupportBuzzer", d.SupportBuzzer);
    readInt(node, "SupportRTC", d.SupportRTC);
    readInt(node, "SupportCursor", d.SupportCursor);
    readInt(node, "SupportControl", d.SupportControl);
    readInt(node, "ImageDownloadType", d.ImageDownloadType);
    readInt(node, "Voltage", d.Voltage);
    readInt(node, "SupportSDCard", d.SupportSDCard);
    readInt(node, "SupportKeyboard", d.SupportKeyboard);
    readInt(node, "SupportAudio", d.SupportAudio);
    return d;
}

DeviceCatalogue fromDocument(const pugi::xml_document& doc, bool parsed) {
    DeviceCatalogue catalogue;
    if (!parsed)
        return catalogue;
    const pugi::xml_node root = doc.document_element();
    if (!root)
        return catalogue;
    std::vector<CDeviceInfoProp> devices;
    for (const pugi::xml_node& node : root.children("Device"))
        devices.push_back(readDevice(node));
    return DeviceCatalogue::fromRecords(std::move(devices));
}

} // namespace

std::string DeviceProp::typeNameUtf8() const {
    std::string out;
    for (std::size_t i = 0; i < TypeName.size(); ++i) {
        std::uint32_t cp = TypeName[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < TypeName.size() && TypeName[i + 1] >= 0xDC00 &&
            TypeName[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (TypeName[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

DeviceCatalogue DeviceCatalogue::fromRecords(std::vector<CDeviceInfoProp> devices) {
    DeviceCatalogue c;
    c.devices_ = std::move(devices);
    return c;
}

DeviceCatalogue& DeviceCatalogue::instance() {
    static DeviceCatalogue catalogue = load(applicationDir() / "DeviceInfo.xml");
    return catalogue;
}

DeviceCatalogue DeviceCatalogue::load(const std::filesystem::path& file) {
    pugi::xml_document doc;
    const bool parsed = static_cast<bool>(doc.load_file(file.c_str()));
    return fromDocument(doc, parsed);
}

DeviceCatalogue DeviceCatalogue::parse(const std::string& xmlText) {
    pugi::xml_document doc;
    const bool parsed = static_cast<bool>(doc.load_buffer(xmlText.data(), xmlText.size()));
    return fromDocument(doc, parsed);
}

const CDeviceInfoProp* DeviceCatalogue::findByType(std::int32_t typeId) const {
    for (const CDeviceInfoProp& d : devices_)
        if (d.TypeID == typeId)
            return &d;
    return nullptr;
}

} // namespace tft
