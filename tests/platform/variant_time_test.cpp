#include "platform/variant_time.h"

#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <string>

namespace {

std::string Convert(double variantTime)
{
    platform::CalendarFields f;
    if (!platform::VariantTimeToSystemTime(variantTime, f))
        return "failed";
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour, f.minute,
                  f.second);
    return text;
}

}  // namespace

TEST(VariantTime, DaysFrom1899WithTheTimeOfDayAsFraction)
{
    EXPECT_EQ(Convert(0.0), "1899-12-30 00:00:00");
    EXPECT_EQ(Convert(36526.75), "2000-01-01 18:00:00");
    // Before 1899-12-30 the date counts back while the fraction still counts forward.
    EXPECT_EQ(Convert(-1.25), "1899-12-29 06:00:00");
    // Rounded to the nearest second, carrying into the next day.
    EXPECT_EQ(Convert(36526.0 + 1.6 / 86400), "2000-01-01 00:00:02");
    EXPECT_EQ(Convert(36526.0 - 0.2 / 86400), "2000-01-01 00:00:00");
    EXPECT_EQ(Convert(-1.0 - 86399.7 / 86400), "1899-12-30 00:00:00");
    // Only the years 100 to 9999.
    EXPECT_EQ(Convert(-657434.75), "0100-01-01 18:00:00");
    EXPECT_EQ(Convert(-657435.0), "failed");
    EXPECT_EQ(Convert(2958465.5), "9999-12-31 12:00:00");
    EXPECT_EQ(Convert(2958465.9999999), "failed") << "rounds into the year 10000";
    EXPECT_EQ(Convert(std::numeric_limits<double>::quiet_NaN()), "failed");
    // Every 13th date of the range matches the Gregorian calendar of the C library.
    for (int64_t day = -657434; day <= 2958465; day += 13) {
        platform::CalendarFields f;
        ASSERT_TRUE(platform::VariantTimeToSystemTime(static_cast<double>(day), f)) << day;
        std::tm tm{};
        tm.tm_year = f.year - 1900, tm.tm_mon = f.month - 1, tm.tm_mday = f.day;
        ASSERT_EQ(timegm(&tm) / 86400 + 25569, day);
        ASSERT_EQ(tm.tm_mday, f.day) << "not a real date";
    }
}
