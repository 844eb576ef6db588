#include "compiler/options.h"

#include <cctype>
#include <charconv>

namespace tft {

std::string asciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string asciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool equalsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && asciiLower(a) == asciiLower(b);
}

OptionsResult parseCommandLine(const std::vector<std::string>& args) {
    OptionsResult result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::size_t dashes = 0;
        while (dashes < arg.size() && dashes < 2 && arg[dashes] == '-')
            ++dashes;
        const std::string letter = asciiLower(arg.substr(dashes));
        if (dashes == 0 || (letter != "p" && letter != "o" && letter != "l")) {
            result.problem = arg;
            return result;
        }
        if (i + 1 >= args.size()) {
            result.problem = arg;
            return result;
        }
        const std::string& value = args[++i];
        if (letter == "p") {
            result.options.projectPath = value;
        } else if (letter == "o") {
            result.options.singleScreen = true;
            result.options.screenName = asciiLower(value);
        } else {
            int language = 0;
            const char* end = value.data() + value.size();
            const auto [stop, ec] = std::from_chars(value.data(), end, language);
            if (ec != std::errc() || stop != end) {
                result.problem = value;
                return result;
            }
            result.options.language = language;
        }
    }
    result.ok = true;
    return result;
}

} // namespace tft
