#include "firmware_info.h"

namespace tft::ide {

namespace {
bool b_ok(std::size_t last, std::size_t dataBytes) {
    return last < dataBytes;
}
} // namespace

FirmwareInfo FirmwareInfo::decode(const std::uint8_t* b, std::size_t n) {
    FirmwareInfo info;
    // Only bytes before the four tail bytes are data: a short reply must not
    // turn its own tail (FF FC FF FF) into version digits.
    const std::size_t data = n >= 4 ? n - 4 : 0;
    const auto has = [data](std::size_t last) { return b_ok(last, data); };
    if (b == nullptr || !has(3))
        return info;
    info.version = (std::uint32_t(b[2]) << 24) | (std::uint32_t(b[3]) << 16);
    if (has(5))
        info.deviceType = static_cast<std::uint16_t>(b[4] | (b[5] << 8)); // little-endian
    if (has(7))
        info.version |= (std::uint32_t(b[6]) << 8) | b[7];
    if (has(9))
        info.second = (std::uint32_t(b[8]) << 8) | b[9];
    return info;
}

QString linkStatusText(bool connected, const FirmwareInfo& info, const LinkStatusTexts& texts,
                       const QString& ideVersion) {
    const QString& state = connected ? texts.connected : texts.disconnected;
    if (info.version == 0)
        return QStringLiteral("%1; %2-XX.XX.XX.XX;  %3-%4")
            .arg(state, texts.firmware, texts.software, ideVersion);
    return QStringLiteral("%1; %2-%3.%4.%5.%6; %7-%8")
        .arg(state, texts.firmware)
        .arg(info.version >> 24)
        .arg((info.version >> 16) & 0xFF)
        .arg(info.version & 0xFFFF)
        .arg(info.second)
        .arg(texts.software, ideVersion);
}

} // namespace tft::ide
