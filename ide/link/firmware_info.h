// What the panel says about itself in its EE FE reply, and the connection
// text of the status bar built from it.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

namespace tft::ide {

struct FirmwareInfo {
    std::uint32_t version = 0; // top byte major, next byte minor, low 16 bits build
    std::uint32_t second = 0;  // second version value (13-byte replies and longer)
    std::uint16_t deviceType = 0;

    // Decodes an EE FE frame of `length` bytes (head and tail included):
    // version bytes 2-3, device type 4-5, version low 6-7, second value 8-9,
    // each only when the frame holds it before its tail.
    static FirmwareInfo decode(const std::uint8_t* frame, std::size_t length);
    bool operator==(const FirmwareInfo& o) const {
        return version == o.version && second == o.second && deviceType == o.deviceType;
    }
};

// The texts the status line is made of, from the IDE's string table.
struct LinkStatusTexts {
    QString connected;    // "已连接设备"
    QString disconnected; // "未连接设备"
    QString firmware;     // "固件"
    QString software;     // "软件"
};

// "%s; %s-%d.%d.%d.%d; %s-%s" with a known version, else
// "%s; %s-XX.XX.XX.XX;  %s-%s".
QString linkStatusText(bool connected, const FirmwareInfo& info, const LinkStatusTexts& texts,
                       const QString& ideVersion);

} // namespace tft::ide
