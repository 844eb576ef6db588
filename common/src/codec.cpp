#include "common/codec.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace tft {

namespace {

// Owns one iconv descriptor.
class IconvHandle {
public:
    IconvHandle(const char* from, const char* to) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid())
            iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

Converted failure(std::size_t offset, std::string message) {
    Converted c;
    c.ok = false;
    c.errorOffset = offset;
    c.error = std::move(message);
    return c;
}

} // namespace

Converted convertText(std::string_view input, const char* from, const char* to) {
    IconvHandle cd(from, to);
    if (!cd.valid())
        return failure(0, std::string("no conversion from ") + from + " to " + to);

    Converted out;
    std::string buffer(input.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t produced = 0;
    while (true) {
        char* dst = buffer.data() + produced;
        std::size_t dstLeft = buffer.size() - produced;
        // A null input pointer flushes the shift state once all input is consumed.
        const std::size_t rc = inLeft > 0 ? iconv(cd.get(), &in, &inLeft, &dst, &dstLeft)
                                          : iconv(cd.get(), nullptr, nullptr, &dst, &dstLeft);
        produced = buffer.size() - dstLeft;
        if (rc != static_cast<std::size_t>(-1)) {
            if (inLeft == 0)
                break;
            continue;
        }
        const std::size_t offset = input.size() - inLeft;
        if (errno == E2BIG) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (errno == EILSEQ)
            return failure(offset, "invalid or unconvertible " + std::string(from) +
                                       " sequence at byte " + std::to_string(offset));
        if (errno == EINVAL)
            return failure(offset, "incomplete " + std::string(from) +
                                       " sequence at the end of the text (byte " +
                                       std::to_string(offset) + ")");
        return failure(offset, std::strerror(errno));
    }
    buffer.resize(produced);
    out.bytes = std::move(buffer);
    return out;
}

Converted utf8ToGbk(std::string_view utf8) {
    return convertText(utf8, "UTF-8", "CP936");
}
Converted gbkToUtf8(std::string_view gbk) {
    return convertText(gbk, "CP936", "UTF-8");
}
Converted utf8ToBig5(std::string_view utf8) {
    return convertText(utf8, "UTF-8", "BIG5");
}
Converted big5ToUtf8(std::string_view big5) {
    return convertText(big5, "BIG5", "UTF-8");
}

} // namespace tft
