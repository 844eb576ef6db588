#include "instruct_dictionary.h"

#include "common/codec.h"

#include <cstdlib>
#include <mutex>
#include <pugixml.hpp>

namespace tft::ide {

namespace {

constexpr std::size_t kTailBytes = 4;

int number(const pugi::xml_node& node, const char* name, int fallback) {
    const pugi::xml_attribute a = node.attribute(name);
    if (!a)
        return fallback;
    char* end = nullptr;
    const long v = std::strtol(a.value(), &end, 0);
    return end == a.value() ? fallback : static_cast<int>(v);
}

std::vector<InstructParam> readParams(const pugi::xml_node& parent) {
    std::vector<InstructParam> out;
    for (const pugi::xml_node& p : parent.children("Param")) {
        InstructParam param;
        param.index = number(p, "Index", -1);
        param.length = number(p, "Length", 0);
        param.text = number(p, "ParamType", 0) != 0;
        param.content = p.attribute("Content").value();
        out.push_back(std::move(param));
    }
    return out;
}

// One printf conversion in `format`: its position, length and letter; the
// letter is 0 when there is none or more than one, '?' when it is not safe.
struct Conversion {
    std::size_t at = 0;
    std::size_t length = 0;
    char letter = 0;
};

Conversion findConversion(const std::string& f) {
    Conversion c;
    int found = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%')
            continue;
        if (i + 1 < f.size() && f[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < f.size() && (f[j] == '-' || f[j] == '0' || f[j] == ' ' || f[j] == '+'))
            ++j;
        std::size_t width = 0;
        while (j < f.size() && f[j] >= '0' && f[j] <= '9' && width < 3) {
            ++j;
            ++width;
        }
        if (++found > 1 || j >= f.size())
            return Conversion{0, 0, '?'};
        c.at = i;
        c.length = j - i + 1;
        c.letter = f[j];
        i = j;
    }
    return c;
}

std::string unescapePercent(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        out += s[i];
        if (s[i] == '%' && i + 1 < s.size() && s[i + 1] == '%')
            ++i;
    }
    return out;
}

std::string bytesAsText(const std::uint8_t* p, std::size_t n) {
    std::string raw(reinterpret_cast<const char*>(p), n);
    // Panel text is code page 936; bytes that do not convert are shown one
    // character per byte.
    if (Converted c = gbkToUtf8(raw))
        return c.bytes;
    std::string out;
    for (unsigned char ch : raw)
        out += ch >= 0x20 && ch < 0x7F ? static_cast<char>(ch) : '.';
    return out;
}

std::uint32_t readNumber(const std::uint8_t* p, int length) {
    if (length < 1 || length > 4)
        return 0;
    std::uint32_t v = 0;
    for (int i = 0; i < length; ++i)
        v = (v << 8) | p[i];
    return v;
}

} // namespace

std::string formatParam(const std::string& format, std::uint32_t value) {
    const Conversion c = findConversion(format);
    const std::string conversion = format.substr(c.at, c.length);
    switch (c.letter) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o': {
        // Flags and width read by hand: the format comes from a data file
        // and never reaches printf.
        bool left = false;
        bool zero = false;
        std::size_t k = 1;
        for (; k < conversion.size() && (conversion[k] == '-' || conversion[k] == '0' ||
                                         conversion[k] == ' ' || conversion[k] == '+');
             ++k) {
            left = left || conversion[k] == '-';
            zero = zero || conversion[k] == '0';
        }
        const std::size_t width = k < conversion.size() - 1
                                      ? std::stoul(conversion.substr(k, conversion.size() - 1 - k))
                                      : 0;
        const int base = c.letter == 'x' || c.letter == 'X' ? 16 : c.letter == 'o' ? 8 : 10;
        std::string digits;
        std::uint32_t v = value;
        do {
            const unsigned d = v % static_cast<unsigned>(base);
            digits.insert(
                digits.begin(),
                static_cast<char>(d < 10 ? '0' + d : (c.letter == 'x' ? 'a' : 'A') + d - 10));
            v /= static_cast<unsigned>(base);
        } while (v != 0);
        if (digits.size() < width)
            digits = left ? digits + std::string(width - digits.size(), ' ')
                          : std::string(width - digits.size(), zero ? '0' : ' ') + digits;
        return unescapePercent(format.substr(0, c.at)) + digits +
               unescapePercent(format.substr(c.at + c.length));
    }
    case 'c': {
        const char ch = value >= 0x20 && value < 0x7F ? static_cast<char>(value) : '.';
        return unescapePercent(format.substr(0, c.at)) + ch +
               unescapePercent(format.substr(c.at + c.length));
    }
    case 0:
        return unescapePercent(format);
    default:
        return format;
    }
}

std::string formatText(const std::string& format, const std::string& text) {
    const Conversion c = findConversion(format);
    if (c.letter == 0)
        return unescapePercent(format);
    if (c.letter != 's')
        return format;
    return unescapePercent(format.substr(0, c.at)) + text +
           unescapePercent(format.substr(c.at + c.length));
}

bool InstructDictionary::load(const std::string& path, std::string* error) {
    pugi::xml_document doc;
    const pugi::xml_parse_result r = doc.load_file(path.c_str());
    if (!r) {
        entries_.clear();
        if (error)
            *error = path + ": " + r.description() + " at offset " + std::to_string(r.offset);
        return false;
    }
    read(doc);
    return true;
}

bool InstructDictionary::loadText(const std::string& xml, std::string* error) {
    pugi::xml_document doc;
    const pugi::xml_parse_result r = doc.load_buffer(xml.data(), xml.size());
    if (!r) {
        entries_.clear();
        if (error)
            *error = std::string(r.description()) + " at offset " + std::to_string(r.offset);
        return false;
    }
    read(doc);
    return true;
}

void InstructDictionary::read(const pugi::xml_document& doc) {
    entries_.clear();
    for (const pugi::xml_node& n : doc.document_element().children("Instruct")) {
        InstructEntry e;
        e.id = number(n, "ID", -1);
        e.length = number(n, "Length", 0);
        e.comment = n.attribute("Comment").value();
        e.received = std::string(n.attribute("Dir").value()) == "RX";
        e.hasSubs = number(n, "SubInstruct", 0) != 0;
        e.subIndex = number(n, "SubIDIndex", 2);
        e.params = readParams(n);
        for (const pugi::xml_node& s : n.children("SubInstruct")) {
            InstructSub sub;
            sub.id = number(s, "ID", -1);
            sub.length = number(s, "Length", 0);
            sub.comment = s.attribute("Comment").value();
            sub.params = readParams(s);
            e.subs.push_back(std::move(sub));
        }
        entries_.push_back(std::move(e));
    }
}

const InstructEntry* InstructDictionary::find(int id, bool received) const {
    for (const InstructEntry& e : entries_)
        if (e.id == id && e.received == received)
            return &e;
    return nullptr;
}

std::string InstructDictionary::comment(const std::uint8_t* f, std::size_t n, bool received) const {
    if (f == nullptr || n < 5 || f[0] != 0xEE || f[n - 4] != 0xFF || f[n - 3] != 0xFC ||
        f[n - 2] != 0xFF || f[n - 1] != 0xFF)
        return {};
    const InstructEntry* e = received ? find(f[1], true) : nullptr;
    if (!e)
        e = find(f[1], false);
    if (!e)
        return {};
    const std::size_t end = n - kTailBytes; // parameters stop at the tail
    if (!e->hasSubs) {
        if (e->length != 0 && static_cast<std::size_t>(e->length) != n)
            return {};
        std::string text = e->comment;
        std::size_t at = 2;
        for (const InstructParam& p : e->params) {
            const std::size_t want = p.length > 0 ? static_cast<std::size_t>(p.length)
                                     : p.text     ? (at < end ? end - at : 0)
                                                  : 0;
            if (at + want > end)
                break; // a shorter frame: optional parameters left out
            text += p.text ? formatText(p.content, bytesAsText(f + at, want))
                           : formatParam(p.content, readNumber(f + at, p.length));
            at += want;
        }
        return text;
    }
    if (e->subIndex < 0 || static_cast<std::size_t>(e->subIndex) >= end)
        return {};
    const int subId = f[e->subIndex];
    for (const InstructSub& s : e->subs) {
        if (s.id != subId)
            continue;
        if (s.length != 0 && static_cast<std::size_t>(s.length) != n)
            return {};
        std::string text = s.comment;
        for (const InstructParam& p : s.params) {
            if (p.text || p.index < 0 || p.length < 1)
                continue;
            const std::size_t at = static_cast<std::size_t>(p.index);
            if (at + static_cast<std::size_t>(p.length) > end)
                continue;
            text += formatParam(p.content, readNumber(f + at, p.length));
        }
        return text;
    }
    return {};
}

const InstructDictionary& InstructDictionary::shared(const std::string& appDir) {
    static InstructDictionary dictionary;
    static std::once_flag once;
    std::call_once(once, [&] { dictionary.load(appDir + "/InstructConfig.xml"); });
    return dictionary;
}

} // namespace tft::ide
