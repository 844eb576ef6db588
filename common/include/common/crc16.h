// CRC-16/MODBUS: polynomial 0xA001 (reflected 0x8005), initial value 0xFFFF.
// On the wire the low byte goes first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tft {

std::uint16_t crc16Modbus(const std::uint8_t* data, std::size_t length, std::uint16_t crc = 0xFFFF);

} // namespace tft
