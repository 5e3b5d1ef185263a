#include "platform/calendar_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

TEST(CalendarClock, LocalZoneIsReadAfreshAndImpossibleDatesFail)
{
    const char* saved = std::getenv("TZ");
    const std::string savedZone = saved != nullptr ? saved : "";
    platform::CalendarFields local;
    // A zone set after the last tzset is seen at once.
    setenv("TZ", "America/New_York", 1);
    ASSERT_TRUE(platform::UtcToLocal({2024, 1, 15, 12, 0, 0}, local));
    EXPECT_EQ(local.hour, 7);
    setenv("TZ", "Asia/Tokyo", 1);
    ASSERT_TRUE(platform::UtcToLocal({2024, 1, 15, 12, 0, 0}, local));
    EXPECT_EQ(local.hour, 21);
    // The conversion refuses dates and times the Gregorian calendar lacks, rather than carrying them.
    EXPECT_FALSE(platform::UtcToLocal({2100, 2, 29, 0, 0, 0}, local));
    EXPECT_FALSE(platform::UtcToLocal({2023, 4, 31, 0, 0, 0}, local));
    EXPECT_FALSE(platform::UtcToLocal({2024, 1, 1, 24, 0, 0}, local));
    EXPECT_TRUE(platform::UtcToLocal({2000, 2, 29, 23, 59, 59}, local));
    if (saved != nullptr) {
        setenv("TZ", savedZone.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}
