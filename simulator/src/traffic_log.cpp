#include "simulator/traffic_log.h"

#include "common/hex_text.h"

#include <cstdio>
#include <ctime>

namespace tft {

namespace {

std::tm localTime(TrafficLog::Clock::time_point when) {
    const std::time_t t = TrafficLog::Clock::to_time_t(when);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

} // namespace

std::string TrafficLog::FormatTime(Clock::time_point when) {
    const std::tm tm = localTime(when);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() %
        1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(ms));
    return text;
}

std::string TrafficLog::DefaultFileName(Clock::time_point when) {
    const std::tm tm = localTime(when);
    char text[64];
    std::snprintf(text, sizeof text, "LOG%d_%02d_%02d_%02d_%02d_%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

void TrafficLog::Log(Direction direction, const std::uint8_t* data, std::size_t length,
                     Clock::time_point when) {
    std::vector<LogRow> added;
    std::function<void(const LogRow&)> handler;
    {
        std::lock_guard<std::mutex> guard(lock_);
        ReceiveBuffer& buffer = direction == Direction::Received ? received_ : sent_;
        buffer.append(data, length);
        const std::string time = FormatTime(when);
        for (auto frame = buffer.extractFrame(); !frame.empty(); frame = buffer.extractFrame()) {
            const bool fromPanel = direction == Direction::Sent;
            added.push_back({time, fromPanel ? "TXD" : "RXD", toHexText(frame),
                             commandName(frame.data(), frame.size(), fromPanel), when});
        }
        rows_.insert(rows_.end(), added.begin(), added.end());
        handler = onRow_;
    }
    if (handler)
        for (const LogRow& row : added)
            handler(row);
}

void TrafficLog::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    received_.clear();
    sent_.clear();
    rows_.clear();
}

std::vector<LogRow> TrafficLog::Rows() const {
    std::lock_guard<std::mutex> guard(lock_);
    return rows_;
}

std::size_t TrafficLog::RowCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return rows_.size();
}

void TrafficLog::SetRowHandler(std::function<void(const LogRow&)> handler) {
    std::lock_guard<std::mutex> guard(lock_);
    onRow_ = std::move(handler);
}

std::string TrafficLog::SaveText() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::string text;
    for (const LogRow& row : rows_) {
        std::vector<char> line(row.time.size() + row.direction.size() + row.value.size() +
                               row.description.size() + 140);
        const int n =
            std::snprintf(line.data(), line.size(), "%-20s %-10s %-50s %-50s\r\n", row.time.c_str(),
                          row.direction.c_str(), row.value.c_str(), row.description.c_str());
        if (n > 0)
            text.append(line.data(), static_cast<std::size_t>(n));
    }
    return text;
}

} // namespace tft
