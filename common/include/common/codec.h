// Text conversion between UTF-8 (inside the programs) and the panel's code
// pages: GBK (code page 936) and BIG5. Invalid input is an error with the
// offset of the offending byte, never a silent truncation.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tft {

struct Converted {
    std::string bytes; // converted text; empty on error
    bool ok = true;
    std::size_t errorOffset = 0; // offset in the input of the first byte that did not convert
    std::string error;           // readable reason

    explicit operator bool() const { return ok; }
};

// Converts between any two iconv encodings ("UTF-8", "CP936", "BIG5", ...).
Converted convertText(std::string_view input, const char* from, const char* to);

Converted utf8ToGbk(std::string_view utf8);
Converted gbkToUtf8(std::string_view gbk);
Converted utf8ToBig5(std::string_view utf8);
Converted big5ToUtf8(std::string_view big5);

} // namespace tft
