#include "common/paths.h"

#include <cctype>
#include <system_error>

namespace tft {

std::string toNativeSeparators(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

std::filesystem::path joinProjectPath(const std::filesystem::path& folder,
                                      std::string_view relative) {
    return folder / std::filesystem::path(toNativeSeparators(relative));
}

Confinement checkConfinement(std::string_view relative) {
    const std::string path = toNativeSeparators(relative);
    const auto first = path.find_first_not_of(" \t");
    if (first == std::string::npos)
        return Confinement::Empty;
    const std::string_view p = std::string_view(path).substr(first);
    if (p[0] == '/' || p[0] == '~')
        return Confinement::Absolute;
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':')
        return Confinement::Absolute;

    int depth = 0;
    std::size_t i = 0;
    while (i <= p.size()) {
        std::size_t end = p.find('/', i);
        if (end == std::string_view::npos)
            end = p.size();
        const std::string_view part = p.substr(i, end - i);
        if (part == "..") {
            if (--depth < 0)
                return Confinement::Escapes;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        i = end + 1;
    }
    return depth == 0 ? Confinement::FolderItself : Confinement::Inside;
}

const char* describeConfinement(Confinement c) {
    switch (c) {
    case Confinement::Inside:
        return "inside the project folder";
    case Confinement::Empty:
        return "the path is empty";
    case Confinement::Absolute:
        return "the path is absolute; it must lie inside the project folder";
    case Confinement::Escapes:
        return "the path climbs out of the project folder with \"..\"";
    case Confinement::FolderItself:
        return "the path names the project folder itself";
    }
    return "unknown";
}

std::filesystem::path applicationDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec);
    return exe.parent_path();
}

} // namespace tft
