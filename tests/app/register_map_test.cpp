#include "app/register_map.h"

#include <gtest/gtest.h>

TEST(RegisterMap, ClockKeepsFourYearBitsAndRejectsImpossibleFields)
{
    // 2015-05-31 23:59:59 packs and unpacks unchanged.
    XCTime time;
    time.Set(2015, 5, 31, 23, 59, 59, 0, 0);
    EXPECT_EQ(EncodeRecorderClock(time), PackDateTime(0, 5, 31, 23, 59, 59));
    EXPECT_EQ(DecodeRecorderClock(PackDateTime(0, 5, 31, 23, 59, 59)), time);
    // Zero is 2015-00-00: the invalid time.
    EXPECT_FALSE(DecodeRecorderClock(0).IsValid());
    // 2031 is written with offset 16 and read back as 2015.
    time.Set(2031, 3, 1, 12, 0, 0, 0, 0);
    EXPECT_EQ(EncodeRecorderClock(time) >> 26, 16u);
    EXPECT_EQ(DecodeRecorderClock(EncodeRecorderClock(time)).GetYear(), 2015);
    // A write carries the high word first, each big-endian.
    uint8_t bytes[4];
    DoubleRegisterBytes(0x0D820001, bytes);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4), (std::vector<uint8_t>{0x0D, 0x82, 0x00, 0x01}));
}
