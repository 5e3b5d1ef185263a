#include "platform/calendar_clock.h"

#include "tests/support/local_zone.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST_F(LocalZone, LocalZoneIsReadAfreshAndImpossibleDatesFail)
{
    platform::CalendarFields local;
    // A zone set after the last tzset is seen at once.
    for (auto [zone, hour] : {std::pair{"America/New_York", 7}, {"Asia/Tokyo", 21}}) {
        setenv("TZ", zone, 1);
        EXPECT_TRUE(platform::UtcToLocal({2024, 1, 15, 12, 0, 0}, local) && local.hour == hour) << zone;
    }
    // Dates and times the Gregorian calendar lacks are refused rather than carried.
    EXPECT_FALSE(platform::UtcToLocal({2100, 2, 29, 0, 0, 0}, local));
    EXPECT_FALSE(platform::UtcToLocal({2023, 4, 31, 0, 0, 0}, local));
    EXPECT_FALSE(platform::UtcToLocal({2024, 1, 1, 24, 0, 0}, local));
}
