#include "simulator/recorder.h"

#include "common/hex_text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace tft {

namespace {

constexpr std::uint8_t kTail[4] = {0xFF, 0xFC, 0xFF, 0xFF};
constexpr std::int64_t kTickMs = 10;

// The rounded panel time of an event: the nearest 10 ms tick.
std::int64_t toTick(std::int64_t ms) {
    return std::max<std::int64_t>(0, (ms + kTickMs / 2) / kTickMs * kTickMs);
}

} // namespace

ScriptRecorder::ScriptRecorder(Sink sink) : sink_(std::move(sink)) {}

void ScriptRecorder::line(const std::string& text) {
    if (failed_)
        return;
    if (!sink_(text + "\n"))
        failed_ = true;
}

void ScriptRecorder::bytesLine(const char* verb, const std::uint8_t* data, std::size_t length) {
    for (std::size_t at = 0; at < length; at += kBytesPerLine) {
        std::string text = toHexText(data + at, std::min(kBytesPerLine, length - at));
        if (!text.empty() && text.back() == ' ')
            text.pop_back();
        line(std::string(verb) + " " + text);
    }
}

void ScriptRecorder::waitUntil(std::int64_t ms) {
    const std::int64_t tick = toTick(ms);
    if (tick <= writtenMs_)
        return;
    line("wait " + std::to_string(tick - writtenMs_));
    writtenMs_ = tick;
}

void ScriptRecorder::bytes(std::vector<std::uint8_t>& pending, const char* verb,
                           const std::uint8_t* data, std::size_t length, std::int64_t ms) {
    if (length == 0)
        return;
    std::lock_guard<std::mutex> guard(lock_);
    // The search for a tail starts where the last one could still end.
    std::size_t from = pending.size() >= 3 ? pending.size() - 3 : 0;
    pending.insert(pending.end(), data, data + length);
    for (;;) {
        const auto tail = std::search(pending.begin() + static_cast<long>(from), pending.end(),
                                      std::begin(kTail), std::end(kTail));
        if (tail != pending.end()) {
            const std::size_t end = static_cast<std::size_t>(tail - pending.begin()) + 4;
            waitUntil(ms);
            bytesLine(verb, pending.data(), end);
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(end));
            from = 0;
        } else if (pending.size() >= kBytesPerLine) {
            // Bytes that never end a frame do not pile up.
            waitUntil(ms);
            bytesLine(verb, pending.data(), kBytesPerLine);
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(kBytesPerLine));
            from = 0;
        } else {
            return;
        }
    }
}

void ScriptRecorder::Host(const std::uint8_t* data, std::size_t length, std::int64_t ms) {
    bytes(host_, "send", data, length, ms);
}

void ScriptRecorder::Panel(const std::uint8_t* data, std::size_t length, std::int64_t ms) {
    bytes(panel_, "expect", data, length, ms);
}

void ScriptRecorder::Touch(bool pressed, int x, int y, std::int64_t ms) {
    std::lock_guard<std::mutex> guard(lock_);
    if (pressed && (!pressed_ || x != x_ || y != y_)) {
        waitUntil(ms);
        line("touch " + std::to_string(x) + " " + std::to_string(y));
    } else if (!pressed && pressed_) {
        waitUntil(ms);
        line("release");
    }
    pressed_ = pressed;
    x_ = x;
    y_ = y;
}

void ScriptRecorder::Comment(const std::string& text) {
    std::lock_guard<std::mutex> guard(lock_);
    line("# " + text);
}

void ScriptRecorder::Finish() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!host_.empty())
        bytesLine("send", host_.data(), host_.size());
    if (!panel_.empty())
        bytesLine("expect", panel_.data(), panel_.size());
    host_.clear();
    panel_.clear();
}

bool ScriptRecorder::Failed() const {
    std::lock_guard<std::mutex> guard(lock_);
    return failed_;
}

std::string scriptHeader(const std::string& project, std::chrono::system_clock::time_point date,
                         std::uint32_t rate) {
    const std::time_t t = std::chrono::system_clock::to_time_t(date);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &tm);
    std::string text = "# Recorded by dunmere; replay with: dunmere --headless FILE.si --script "
                       "THIS_FILE\n";
    // The path is written as it is; a line break in it would end the comment.
    std::string name = project;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    text += "# project: " + name + "\n";
    text += "# date: " + std::string(when) + "\n";
    text += "# rate: " + std::to_string(rate) + "\n";
    return text;
}

ScriptRecorder::Sink fileSink(const std::string& file, std::string* error) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error)
            *error = "cannot write " + file + ": " + std::strerror(errno);
        return nullptr;
    }
    auto handle = std::shared_ptr<int>(new int(fd), [](int* p) {
        ::close(*p);
        delete p;
    });
    return [handle](const std::string& text) {
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(*handle, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    };
}

std::string scriptFromLog(const std::vector<LogRow>& rows, const std::string& header) {
    std::string text = header;
    ScriptRecorder recorder([&text](const std::string& line) {
        text += line;
        return true;
    });
    const auto start = rows.empty() ? TrafficLog::Clock::time_point() : rows.front().at;
    for (const LogRow& row : rows) {
        const HexParse parsed = parseHexText(row.value, row.value.size());
        const std::int64_t ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(row.at - start).count();
        if (row.direction == "RXD")
            recorder.Host(parsed.bytes.data(), parsed.bytes.size(), ms);
        else
            recorder.Panel(parsed.bytes.data(), parsed.bytes.size(), ms);
    }
    recorder.Finish();
    return text;
}

} // namespace tft
