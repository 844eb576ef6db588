// The command dictionary (InstructConfig.xml beside the programs): for each
// command code its whole frame length, comment and parameters, or its
// sub-commands; entries marked Dir="RX" describe frames the panel sends. The
// console turns a frame into a plain-language comment with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace tft::ide {

struct InstructParam {
    int index = -1;      // sub-command parameters: first byte in the frame
    int length = 0;      // bytes; 0: up to the tail
    bool text = false;   // ParamType non-zero
    std::string content; // format with one conversion (%d, %u, %X, %02X, %s ...)
};

struct InstructSub {
    int id = 0;
    int length = 0;
    std::string comment;
    std::vector<InstructParam> params;
};

struct InstructEntry {
    int id = 0;
    int length = 0; // whole frame length; 0: any
    std::string comment;
    bool received = false; // a frame the panel sends
    bool hasSubs = false;
    int subIndex = 2;
    std::vector<InstructParam> params;
    std::vector<InstructSub> subs;
};

class InstructDictionary {
public:
    // False (and an empty dictionary) when the file is missing or malformed.
    bool load(const std::string& path, std::string* error = nullptr);
    bool loadText(const std::string& xml, std::string* error = nullptr);

    // The comment of a frame, or "" when the dictionary does not describe it.
    // Frames the panel sent look in the Dir="RX" entries first.
    std::string comment(const std::uint8_t* frame, std::size_t length, bool received = false) const;
    std::string comment(const std::vector<std::uint8_t>& frame, bool received = false) const {
        return comment(frame.data(), frame.size(), received);
    }

    const InstructEntry* find(int id, bool received = false) const;
    const std::vector<InstructEntry>& entries() const { return entries_; }

    // The dictionary of the application folder, read once on first use.
    static const InstructDictionary& shared(const std::string& appDir);

private:
    void read(const pugi::xml_document& doc);
    std::vector<InstructEntry> entries_;
};

// Formats `value` (or `text`) with a format of one conversion. A format whose
// conversion does not fit (a %s for a number, %n, several conversions) is
// shown as it stands rather than handed to printf.
std::string formatParam(const std::string& format, std::uint32_t value);
std::string formatText(const std::string& format, const std::string& text);

} // namespace tft::ide
