#include "app/register_map.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A read reply of registers 0 to 66 (unit, function, byte count, data, CRC) with `words`.
std::vector<uint8_t> ReadOutReply(const std::vector<std::pair<uint32_t, uint16_t>>& words)
{
    std::vector<uint8_t> frame(3 + 2 * kReadOutRegisterCount + 2, 0);
    frame[0] = 1;
    frame[1] = 3;
    frame[2] = static_cast<uint8_t>(2 * kReadOutRegisterCount);
    for (const auto& [reg, value] : words) {
        frame[3 + 2 * reg] = static_cast<uint8_t>(value >> 8);
        frame[4 + 2 * reg] = static_cast<uint8_t>(value);
    }
    return frame;
}

}  // namespace

TEST(RegisterMap, ReadOutTakesHighWordFromTheLowerRegister)
{
    const std::vector<uint8_t> frame = ReadOutReply({
        {1, 0x0102},                   // hardware 1.2
        {2, 0x0A0B},                   // software 10.11
        {3, 77},                       // product id
        {16, 0x1234}, {17, 0x5678},    // clock
        {26, 0x8000}, {27, 0x0000},    // partial logs
        {42, 0x0001}, {43, 0x0002},    // partial time
        {44, 0xFFFF}, {45, 0xFFFE},    // total logs
        {60, 0x0000}, {61, 0x0100},    // total time
        {62, 0x4B85},                  // battery
        {65, 0x8000}, {66, 0x0001},    // serial number
    });
    const RecorderReadOut readOut = DecodeReadOut(frame.data());
    EXPECT_EQ(readOut.hardwareVersion, 0x0102);
    EXPECT_EQ(readOut.softwareVersion, 0x0A0B);
    EXPECT_EQ(readOut.productId, 77);
    EXPECT_EQ(readOut.clock, 0x12345678u);
    EXPECT_EQ(readOut.Partial(RecorderCounter::Logs), 0x80000000u);
    EXPECT_EQ(readOut.Partial(RecorderCounter::Time), 0x00010002u);
    EXPECT_EQ(readOut.Total(RecorderCounter::Logs), 0xFFFFFFFEu);
    EXPECT_EQ(readOut.Total(RecorderCounter::Time), 0x100u);
    EXPECT_EQ(readOut.Partial(RecorderCounter::Events), 0u);
    EXPECT_EQ(readOut.battery, 0x4B85);
    EXPECT_EQ(readOut.serialNumber, 0x80000001u);
    // In a read that started at register 1, register 2 is the second word.
    EXPECT_EQ(ReplyRegister(frame.data(), 1, 2), 0x0102);
}

TEST(RegisterMap, BatteryScaleIsTenVoltsFullScale)
{
    EXPECT_DOUBLE_EQ(BatteryVolts(0), 0.0);
    EXPECT_DOUBLE_EQ(BatteryVolts(32768), 5.0);
    EXPECT_NEAR(BatteryVolts(65535), 9.99985, 1e-5);
}

TEST(RegisterMap, ClockReadsFourYearBitsAndRejectsImpossibleFields)
{
    // 2015-05-31 23:59:59 and back.
    XCTime expected;
    expected.Set(2015, 5, 31, 23, 59, 59, 0, 0);
    const uint32_t packed = PackDateTime(0, 5, 31, 23, 59, 59);
    EXPECT_EQ(DecodeRecorderClock(packed).GetSeconds(), expected.GetSeconds());
    EXPECT_EQ(EncodeRecorderClock(expected), packed);
    // Zero is 2015-00-00: the invalid time.
    EXPECT_EQ(DecodeRecorderClock(0).GetSeconds(), 0xFFFFFFFFu);
    // Year 2031 is written with offset 16 but reads back as 2015.
    XCTime year2031;
    year2031.Set(2031, 3, 1, 12, 0, 0, 0, 0);
    const uint32_t written = EncodeRecorderClock(year2031);
    EXPECT_EQ(written >> 26, 16u);
    EXPECT_EQ(DecodeRecorderClock(written).GetYear(), 2015);
    // The write carries the high word first, each big-endian.
    uint8_t bytes[4];
    DoubleRegisterBytes(0x0D820000, bytes);
    EXPECT_EQ(bytes[0], 0x0D);
    EXPECT_EQ(bytes[1], 0x82);
    EXPECT_EQ(bytes[2], 0x00);
    EXPECT_EQ(bytes[3], 0x00);
}
