// Writes a serial exchange as a headless script while it happens: host bytes
// as "send" lines and panel bytes as "expect" lines, one frame per line (cut
// after the frame tail), touches as "touch"/"release", and the time between
// events as "wait", rounded to the core's 10 ms tick. Every line reaches the
// sink whole, so a recording cut short is a valid script up to its last line.
#pragma once

#include "simulator/traffic_log.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tft {

class ScriptRecorder {
public:
    // Takes one whole line (with its '\n'); false when it could not be kept.
    using Sink = std::function<bool(const std::string& line)>;
    // A line holds at most this many bytes, so that it stays under the script's line limit.
    static constexpr std::size_t kBytesPerLine = 16384;

    explicit ScriptRecorder(Sink sink);

    // `ms`: milliseconds since the recording began.
    void Host(const std::uint8_t* data, std::size_t length, std::int64_t ms);
    void Panel(const std::uint8_t* data, std::size_t length, std::int64_t ms);
    void Touch(bool pressed, int x, int y, std::int64_t ms);
    void Comment(const std::string& text);
    // Writes bytes still waiting for a frame tail, each direction as one more line.
    void Finish();
    // True once the sink refused a line; nothing more is written then.
    bool Failed() const;

private:
    void bytes(std::vector<std::uint8_t>& pending, const char* verb, const std::uint8_t* data,
               std::size_t length, std::int64_t ms);
    void waitUntil(std::int64_t ms);
    void line(const std::string& text);
    void bytesLine(const char* verb, const std::uint8_t* data, std::size_t length);

    mutable std::mutex lock_;
    Sink sink_;
    bool failed_ = false;
    std::int64_t writtenMs_ = 0; // the panel time the waits written so far add up to
    std::vector<std::uint8_t> host_, panel_;
    bool pressed_ = false;
    int x_ = -1, y_ = -1;
};

// The comment lines a recording starts with: the project, the date (UTC) and the line rate.
std::string scriptHeader(const std::string& project, std::chrono::system_clock::time_point date,
                         std::uint32_t rate);

// A sink that appends each line to `file` (created or emptied first) with one
// write, unbuffered; null with a reason when the file cannot be opened.
ScriptRecorder::Sink fileSink(const std::string& file, std::string* error);

// The traffic log's rows as a script: received rows as "send", sent rows as
// "expect", the time between rows as "wait".
std::string scriptFromLog(const std::vector<LogRow>& rows, const std::string& header);

} // namespace tft
