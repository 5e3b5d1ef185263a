#include "foundation/xc_time.h"

#include "tests/support/local_zone.h"

#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <set>
#include <string>

namespace {

const std::time_t kUnix1999 = 915148800;  // where the count starts, in Unix seconds

XCTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int micro = 0, int milli = 0)
{
    XCTime t;
    t.Set(year, month, day, hour, minute, second, milli, micro);
    return t;
}

std::string Describe(const XCTime& t)
{
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%06d", t.GetYear(), t.GetMonth(),
                  t.GetDay(), t.GetHour(), t.GetMinute(), t.GetSecond(), t.GetMicroseconds());
    return text;
}

// The C library's count for a time's fields, read as UTC or as local time.
std::time_t CLibraryCount(const XCTime& t, bool local)
{
    std::tm tm{};
    strptime(Describe(t).c_str(), "%Y-%m-%d %H:%M:%S", &tm);
    tm.tm_isdst = -1;
    return (local ? mktime(&tm) : timegm(&tm)) - kUnix1999;
}

}  // namespace

TEST(XCTimeCalendar, CountsEveryFourthYearAsLeapUpTo2135)
{
    // 2100 is a leap year here; 31 February runs into March.
    EXPECT_EQ(Describe(At(2100, 2, 29)), "2100-02-29 00:00:00.000000");
    EXPECT_EQ(Describe(At(2001, 2, 31)), "2001-03-03 00:00:00.000000");
    // The last second the count holds; one more is invalid rather than wrapping to 1999.
    EXPECT_EQ(At(2135, 2, 6, 6, 28, 14).GetSeconds(), 0xFFFFFFFEu);
    EXPECT_FALSE(At(2135, 2, 6, 6, 28, 15).IsValid());
    // Hours, minutes and seconds carry over without a check.
    EXPECT_EQ(Describe(At(2020, 1, 1, 25, 61, 61)), "2020-01-02 02:02:01.000000");
    // The invalid time reads as the moment after the last one; microseconds order within a second.
    EXPECT_EQ(Describe(XCTime()), "2135-02-06 06:28:15.000000");
    EXPECT_TRUE(At(2020, 1, 1, 0, 0, 0, 999999) < At(2020, 1, 1, 0, 0, 1));

    // Every day splits back; up to 2100-02-28 the count matches the Gregorian one.
    for (int year = 1999; year <= 2134; ++year) {
        int yearOffset = -1, firstDay = -1, unused = 0;
        XCTime::SplitDate(At(year, 7, 1).GetSeconds(), firstDay, unused, yearOffset, true);
        ASSERT_EQ(yearOffset, year - 1999);
        ASSERT_EQ(static_cast<uint32_t>(firstDay) * 86400u, At(year, 1, 1).GetSeconds());
        for (XCTime t = At(year, 1, 1, 13); t.GetYear() == year; t = XCTime(t.GetSeconds() + 86400, 0)) {
            if (t < At(2100, 2, 29)) {
                ASSERT_EQ(t.GetSeconds(), CLibraryCount(t, false)) << Describe(t);
            }
            ASSERT_EQ(At(year, t.GetMonth(), t.GetDay(), 13).GetSeconds(), t.GetSeconds()) << Describe(t);
        }
    }

    // Years, months and days out of range give the invalid time and keep the microseconds.
    const int bad[][3] = {{1998, 1, 1}, {2136, 1, 1}, {2020, 0, 1}, {2020, 13, 1}, {2020, 1, 0}, {2020, 1, 32}};
    for (const auto& date : bad) {
        XCTime t = At(2020, 1, 1, 0, 0, 0, 77);
        t.Set(date[0], date[1], date[2], 0, 0, 0, 0, 0);
        EXPECT_TRUE(!t.IsValid() && t.GetMicroseconds() == 77) << date[0] << "-" << date[1] << "-" << date[2];
    }
    // A negative part borrows a second, though not before the epoch; a part of a second or more carries.
    EXPECT_EQ(Describe(At(2000, 1, 1, 0, 0, 0, -1)), "1999-12-31 23:59:59.999999");
    EXPECT_FALSE(At(1999, 1, 1, 0, 0, 0, -1).IsValid());
    EXPECT_EQ(Describe(At(2000, 1, 1, 0, 0, 0, 0, 1500)), "2000-01-01 00:00:01.500000");
}

TEST_F(LocalZone, ConversionsAgreeWithTheCLibraryAcrossDaylightSavingChangesAndTruncateFindsLocalPeriods)
{
    // Every 45 minutes of two years, taken as UTC and as local time, the missing and the repeated
    // local hour included, as the C library has it; Madrid last for what follows.
    for (const char* zone : {"America/New_York", "Australia/Sydney", "Europe/Madrid"}) {
        Use(zone);
        for (const int year : {2024, 2099}) {
            std::set<long> offsets;
            for (XCTime at = At(year, 1, 1); at.GetYear() == year; at = XCTime(at.GetSeconds() + 2700, 0)) {
                XCTime ours;
                std::tm tm{};
                const std::time_t unixTime = at.GetSeconds() + kUnix1999;
                offsets.insert(localtime_r(&unixTime, &tm)->tm_gmtoff);
                at.ToLocal(ours);
                ASSERT_EQ(ours.GetSeconds(), unixTime + tm.tm_gmtoff - kUnix1999) << zone << " from UTC " << Describe(at);
                at.ToUtc(ours);
                ASSERT_EQ(ours.GetSeconds(), CLibraryCount(at, true)) << zone << " from local " << Describe(at);
            }
            ASSERT_EQ(offsets.size(), 2u) << zone << " " << year << ": no change of offset";
        }
    }

    // ToLocal keeps the microseconds, ToUtc the milliseconds only; either may write into its source.
    XCTime t = At(2024, 1, 15, 12, 0, 0, 123456);
    t.ToLocal(t);
    EXPECT_EQ(Describe(t), "2024-01-15 13:00:00.123456");
    t.ToUtc(t);
    EXPECT_EQ(Describe(t), "2024-01-15 12:00:00.123000");
    // The invalid time stays invalid instead of becoming a real moment an hour away.
    XCTime local = t, utc = t;
    XCTime().ToLocal(local);
    XCTime().ToUtc(utc);
    EXPECT_FALSE(local.IsValid() || utc.IsValid());
    // 29 February 2100 exists only in this calendar: the UTC value is kept.
    At(2100, 2, 29, 10).ToLocal(t);
    EXPECT_EQ(Describe(t), "2100-02-29 10:00:00.000000");
    // Truncation, still in Madrid: zero or negative intervals change nothing; an hour or two days are
    // multiples counted from 1999 in UTC; local day, month, quarter and year are given back in UTC.
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "2024-08-15 10:20:30.000500"},  {0x80000000u, "2024-08-15 10:20:30.000500"},
        {3600, "2024-08-15 10:00:00.000000"}, {172800, "2024-08-15 00:00:00.000000"},
        {86400, "2024-08-14 22:00:00.000000"}, {2678400, "2024-07-31 22:00:00.000000"},
        {7862400, "2024-06-30 22:00:00.000000"}, {31536000, "2023-12-31 23:00:00.000000"},
    };
    for (const auto& [interval, expected] : cases) {
        t = At(2024, 8, 15, 10, 20, 30, 500);
        t.Truncate(XCTime(interval, 0));
        EXPECT_EQ(Describe(t), expected) << interval;
    }
    // NowLocal is NowUtc shifted by the zone, in whole seconds (allowing a few between the readings).
    Use("Asia/Kolkata");
    utc.NowUtc();
    t.NowLocal();
    const int64_t shift = static_cast<int64_t>(t.GetSeconds()) - utc.GetSeconds();
    EXPECT_TRUE(utc.GetMicroseconds() == 0 && utc.GetYear() >= 2024);
    EXPECT_TRUE(shift >= 19800 && shift <= 19800 + 30) << shift;
}

TEST(XCTimeDouble, FromDoubleTakesEarlyValuesAsAutomationDatesAndPackCountsTheYearFromTheBase)
{
    XCTime t;
    // Unix seconds from 2000 on, in whole seconds.
    t.FromDouble(946684800.0 + 3661.9);
    EXPECT_EQ(Describe(t), "2000-01-01 01:01:01.000000");
    EXPECT_EQ(t.ToDouble(), 946684800.0 + 3661);
    // Smaller values are days since 1899-12-30 with the time of day as fraction.
    t.FromDouble(36526.75);
    EXPECT_EQ(Describe(t), "2000-01-01 18:00:00.000000");
    // Before 1999 (0.0 is 30 December 1899), negative, huge, non-numbers, and a 1999 time in
    // Unix seconds (far beyond any Automation date) are invalid.
    for (double bad : {36160.5, 0.0, -1.0, 1e300, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity(), At(1999, 6, 1).ToDouble()}) {
        t = At(2020, 1, 1);
        t.FromDouble(bad);
        EXPECT_FALSE(t.IsValid()) << bad;
    }
    // The limits of packing (the record-file tests check both ways against stamps packed independently):
    // sixty-four years on, the field wraps to 0 and reads back as the base year.
    EXPECT_EQ(XCTime::Unpack(2000, XCTime::Pack(2000, At(2064, 5, 17).ToDouble())), At(2000, 5, 17).ToDouble());
    // All six year bits are read back.
    EXPECT_EQ(XCTime::Unpack(2015, XCTime::Pack(2015, At(2078, 1, 2).ToDouble())), At(2078, 1, 2).ToDouble());
    // Values no packed date can hold, a base past the calendar and month 0 read as the invalid time.
    for (double packed : {-1.0, std::numeric_limits<double>::quiet_NaN(), double(PackDateTime(10, 0, 17, 8, 9, 10)),
                          PackDateTime(10, 5, 17, 8, 9, 10) - 4294967296.0})
        EXPECT_EQ(XCTime::Unpack(2000, packed), XCTime().ToDouble()) << packed;
    // A signed 32-bit field reads a date with bit 31 set as a negative number.
    EXPECT_EQ(XCTime::Unpack(1992, PackDateTime(33, 3, 14, 15, 9, 26) - 4294967296.0),
              At(2025, 3, 14, 15, 9, 26).ToDouble());
    EXPECT_EQ(XCTime::Unpack(std::numeric_limits<int32_t>::max(), PackDateTime(10, 5, 17, 8, 9, 10)), XCTime().ToDouble());
}
