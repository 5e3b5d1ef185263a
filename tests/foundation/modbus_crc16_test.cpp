#include "foundation/modbus_crc16.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ModbusCrc16, PublishedCheckValueInTransmissionOrder)
{
    const char* check = "123456789";
    // The standard value 0x4B37 goes on the wire as 37 4B.
    EXPECT_EQ(ModbusCrc16(reinterpret_cast<const uint8_t*>(check), 9), 0x374B);
    EXPECT_EQ(ModbusCrc16(nullptr, 0), 0xFFFF);
}

TEST(ModbusCrc16, KnownRequestFramesAndChaining)
{
    const uint8_t readAll[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x43};
    EXPECT_EQ(ModbusCrc16(readAll, 6), 0x043B);
    const uint8_t selectPage[] = {0x01, 0x10, 0x00, 0x15, 0x00, 0x01, 0x02, 0x00, 0x01};
    EXPECT_EQ(ModbusCrc16(selectPage, 9), 0x6555);
    // Running the CRC in two pieces gives the same result as in one.
    EXPECT_EQ(ModbusCrc16(selectPage + 4, 5, ModbusCrc16(selectPage, 4)), 0x6555);
}
