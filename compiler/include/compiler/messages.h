// Numbered compiler messages: the built-in Chinese table, the language files
// (lang/compiler_2052.xml, lang/compiler_1033.xml) that may replace any text,
// and a formatter that fills %s and %d without trusting the text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace tft {

// A formatter argument: text (for %s) or a number (for %d and %u).
using MessageArg = std::variant<std::string, std::int64_t>;

// Fills `format` with `args`: %s takes a text, %d and %u a number, %% gives
// "%", an optional '-' and a width pad the value. A placeholder whose argument
// is missing or of the other kind is copied as it stands, so a language file
// can never make the program read arguments that were not passed.
std::string formatMessage(const std::string& format, const std::vector<MessageArg>& args);

class MessageTable {
public:
    // The built-in Chinese table only.
    MessageTable();

    // Overlays the texts of a language file. The file is an XML document whose
    // root holds `message` elements with an `id` attribute and the text as
    // element content (backslash escapes \n, \r, \t, \\). Returns false and
    // keeps the current texts when the file cannot be read.
    bool loadLanguageFile(const std::filesystem::path& file, std::string* error = nullptr);

    // The text of a message number; numbers unknown to the table give "".
    const std::string& text(int number) const;
    std::string format(int number, const std::vector<MessageArg>& args = {}) const;

    // The language file for a language number: 1 is English, anything else Chinese.
    static std::filesystem::path languageFile(const std::filesystem::path& appDir, int language);

    // The built-in Chinese table.
    static const std::map<int, std::string>& builtIn();

private:
    std::map<int, std::string> texts_;
};

// Message numbers used by the compiler.
namespace msg {
enum : int {
    OutOfMemory = 2,
    DefineIdOpen = 3,
    DiskException = 4,
    FrameworkException = 5,
    UnknownException = 6,
    InitFailed = 7,
    BadArguments = 8,
    BadProjectPath = 9,
    ProjectReadFailed = 12,
    Summary = 13,
    ScreenInitFailed = 14,
    BadScreenPath = 15,
    LoadFailed = 16,
    ScreenInfoFailed = 17,
    BackgroundColourComment = 18,
    CompileFailed = 19,
    UnknownShape = 20,
    ScreenSourceHeader = 21,
    FileWritten = 22,
    FileWriteFailed = 23,
    NoScreens = 25,
    CompilingScreens = 26,
    ResourceFileOpenFailed = 30,
    NoShapeInfo = 89,
    ScreenNameClash = 98,
    ProjectLoadFailed = 99,
    UnknownDevice = 100,
    StartupActionWrong = 103,
    StartupPageMissing = 112,
    ErrorPrefix = 71,
    WarningPrefix = 72,
    RegistrationFailed = 87,
    ScreenIdComment = 95,
    // Refusals of an output folder that would delete files outside the
    // output folder, and failures to prepare it.
    OutputDirEmpty = 200,
    OutputDirAbsolute = 201,
    OutputDirEscapes = 202,
    OutputDirIsProject = 203,
    OutputDirLink = 204,
    OutputDirCreateFailed = 205,
    OutputDirClearFailed = 206,
    OutputDirNoSeparator = 207,
    ScreenIdsExhausted = 208,
    ScreenSaveFailed = 209,
    ProjectNameHasSeparator = 210,
    FontLoadFailed = 211,
    FrameTooLong = 212,
    TextNotGbk = 213,
    NameNotGbk = 214,
    NameHasControlCharacter = 215,
    ScreenFileClash = 216,
    WmfUnsupported = 217,
    SliderBackgroundComment = 218,
    SliderCursorComment = 219,
};
} // namespace msg

} // namespace tft
