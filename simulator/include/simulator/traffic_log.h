// The log of the bytes that cross the simulator's serial bridge: one row per
// frame, cut at the frame tail across blocks, received and sent kept apart.
#pragma once

#include "common/frame.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tft {

struct LogRow {
    std::string time;        // "%02d:%02d:%02d.%03d", local time
    std::string direction;   // "RXD" received from the host, "TXD" sent by the panel
    std::string value;       // the frame as hex text
    std::string description; // the command's name, when known
    std::chrono::system_clock::time_point at{}; // when the row's last block was logged
};

class TrafficLog {
public:
    enum class Direction { Received, Sent };
    using Clock = std::chrono::system_clock;

    // Appends a block; every complete frame becomes a row. Rows are handed to
    // the row handler (under no lock) as well as kept.
    void Log(Direction direction, const std::uint8_t* data, std::size_t length,
             Clock::time_point when = Clock::now());
    void Clear();
    std::vector<LogRow> Rows() const;
    std::size_t RowCount() const;
    void SetRowHandler(std::function<void(const LogRow&)> handler);

    // Every row as "%-20s %-10s %-50s %-50s\r\n".
    std::string SaveText() const;
    // "LOG%d_%02d_%02d_%02d_%02d_%02d" for the given local time.
    static std::string DefaultFileName(Clock::time_point when = Clock::now());
    static std::string FormatTime(Clock::time_point when);

private:
    mutable std::mutex lock_;
    ReceiveBuffer received_;
    ReceiveBuffer sent_;
    std::vector<LogRow> rows_;
    std::function<void(const LogRow&)> onRow_;
};

// The name of the command a frame carries ("Handshake", "ControlCommand/
// GetControlValue", ...), or an empty text; bytes before the 0xEE head are skipped.
std::string commandName(const std::uint8_t* frame, std::size_t length, bool fromPanel);

} // namespace tft
