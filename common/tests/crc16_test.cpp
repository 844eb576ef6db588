#include "common/crc16.h"

#include <gtest/gtest.h>

TEST(Crc16Modbus, CheckValue) {
    const char* text = "123456789";
    EXPECT_EQ(tft::crc16Modbus(reinterpret_cast<const std::uint8_t*>(text), 9), 0x4B37);
}

TEST(Crc16Modbus, ShortFrames) {
    const std::uint8_t a[] = {0xC8, 0x66};
    const std::uint8_t b[] = {0xC8, 0x67};
    EXPECT_EQ(tft::crc16Modbus(a, 2), 0x5AD6); // D6 5A on the wire, low byte first
    EXPECT_EQ(tft::crc16Modbus(b, 2), 0x9A17); // 17 9A
    EXPECT_EQ(tft::crc16Modbus(a, 0), 0xFFFF);
}

TEST(Crc16Modbus, ContinuesAcrossChunks) {
    const std::uint8_t data[] = {1, 2, 3, 4, 5, 6, 7};
    const std::uint16_t whole = tft::crc16Modbus(data, 7);
    EXPECT_EQ(tft::crc16Modbus(data + 3, 4, tft::crc16Modbus(data, 3)), whole);
}
